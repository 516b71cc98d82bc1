#pragma once
// A device image as a loaded profile that differs from the defaults in every device value a
// load sets, with values the simulated meter takes (codes 0 or 1). Needs flowcfg_profiles.

#include "profiles/ProfileTables.h"

#include <type_traits>
#include <variant>

namespace flowcfg::test {

inline DeviceImage distinctProfile() {
    DeviceImage image;
    int k = 0;
    for (const ProfileSection& section : profileSections())
        for (const ProfileKey& key : section.keys) {
            if (key.image == nullptr || !(key.flags & key_flags::Load))
                continue;
            ++k;
            std::visit(
                [k](auto* p) {
                    using T = std::remove_pointer_t<decltype(p)>;
                    if constexpr (std::is_same_v<T, float>)
                        *p += 1.25f * static_cast<float>(k);
                    else if constexpr (std::is_same_v<T, std::uint32_t>)
                        *p += 70000u + static_cast<std::uint32_t>(k);
                    else if constexpr (std::is_same_v<T, std::uint16_t>)
                        *p = static_cast<std::uint16_t>(k % 2);
                },
                key.image(image));
        }
    return image;
}

} // namespace flowcfg::test
