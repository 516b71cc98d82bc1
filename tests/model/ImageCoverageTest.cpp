// Every device value of the image has its register group, unless the meter has no register
// for it (values only the tool and its profiles keep). Walks the profile tables so that a
// value added to a profile section without a group, or a group bound to a value no profile
// or reading holds, shows up here.

#include "model/RegisterMap.h"
#include "profiles/ProfileTables.h"

#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

namespace flowcfg::test {
namespace {

const void* addressOf(const ValueRef& ref) {
    return std::visit([](auto* p) -> const void* { return p; }, ref);
}

// Byte ranges of the image that some group field reads or writes.
std::map<const unsigned char*, std::size_t> groupRanges(DeviceImage& image) {
    std::map<const unsigned char*, std::size_t> out;
    for (const GroupDescriptor& g : registerMap())
        for (const FieldDescriptor& f : g.fields) {
            if (f.member == nullptr)
                continue;
            const ValueRef ref = f.member(image);
            const std::size_t size =
                f.encoding == Encoding::RawWords ? 2u * f.extra : (f.width() == 2 ? 4u : 2u);
            out[static_cast<const unsigned char*>(addressOf(ref))] = size;
        }
    return out;
}

bool coveredBy(const std::map<const unsigned char*, std::size_t>& ranges, const void* p) {
    const auto* b = static_cast<const unsigned char*>(p);
    auto it = ranges.upper_bound(b);
    if (it == ranges.begin())
        return false;
    --it;
    return b < it->first + it->second;
}

TEST(ImageCoverage, EveryProfileDeviceValueHasAGroupOrIsToolOnly) {
    // Profile values the meter has no register for.
    const std::set<std::string> toolOnly = {
        "izm_i_f_diskr/use",
        "el_clear/time_val",
        "izm_to_comp/time_stamp_val_corr_en",
        "output/flow_v_for_pulse_unit",
        "output/flow_v_for_pulse_unit_1",
        "NEW_COMM/NET_DELY",
        "NEW_COMM/NET_FLTYPE",
        "NEW_DAT/LONG_NUM",
        "IND/point",
        "MTR/msenstype",
        "MTR/mox",
        "MTR/mcl",
        "MTR/mdest",
        "MTR/mprecis",
        "MTR/mmat",
        "MTR/mdat",
        "err_msk/izm_flow_v_err_hi_msk",
        "err_msk/izm_flow_v_err_lo_msk",
    };
    DeviceImage image;
    const auto ranges = groupRanges(image);
    std::set<std::string> seenToolOnly;
    for (const ProfileSection& section : profileSections()) {
        if (section.toolSettings)
            continue;
        for (const ProfileKey& key : section.keys) {
            if (key.image == nullptr)
                continue;
            const std::string name = std::string(section.name) + "/" + std::string(key.key);
            const bool userRegister = section.name == "USR_REG_HOLD";
            if (toolOnly.count(name) != 0 || userRegister) {
                seenToolOnly.insert(name);
                EXPECT_FALSE(coveredBy(ranges, addressOf(key.image(image))))
                    << name << " is marked tool-only but a group uses it";
                continue;
            }
            EXPECT_TRUE(coveredBy(ranges, addressOf(key.image(image))))
                << name << " has no register group";
        }
    }
    for (const std::string& name : toolOnly)
        EXPECT_TRUE(seenToolOnly.count(name)) << name << " is no longer a profile value";
}

// The readings are all meter values: every byte of them belongs to a group, apart from the
// slots of words that have a named field elsewhere and the padding of 4-byte alignment.
TEST(ImageCoverage, EveryReadingHasAGroup) {
    DeviceImage image;
    auto& r = image.readings;
    const auto ranges = groupRanges(image);
    std::set<const void*> unusedSlots = {&r.measurementSettings[1], &r.measurementSettings[7],
                                         &r.electrodeCleaning[1], &r.electrodeCleaning[3]};
    for (std::size_t w :
         {0, 8, 12, 14, 22, 24, 26, 28, 30, 32, 34, 36, 38, 40, 42, 44, 46, 48, 50, 52, 54})
        unusedSlots.insert(&r.errorEnables[w]);

    const auto* begin = reinterpret_cast<const unsigned char*>(&r);
    for (std::size_t off = 0; off < sizeof r; off += 2) {
        const unsigned char* p = begin + off;
        if (coveredBy(ranges, p) || unusedSlots.count(p))
            continue;
        // Padding: two bytes at 2 mod 4 before a covered 4-aligned member or at the end.
        const bool padding = (off % 4) == 2 && (off + 2 == sizeof r || coveredBy(ranges, p + 2));
        EXPECT_TRUE(padding) << "readings byte " << off << " belongs to no group";
    }
}

} // namespace
} // namespace flowcfg::test
