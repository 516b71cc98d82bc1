#pragma once
// The profile layout as data: one table of keys per section, in the order a save creates the
// sections in a new file. Generic code (ProfileFile.cpp) loads and saves from these tables;
// whole-configuration features and tests walk them to reach every value.

#include "model/DeviceImage.h"
#include "profiles/ToolSettings.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace flowcfg {

// How a value is written: i, f ("%-11.4f"), f2 ("%-5.2f"), s.
enum class ValueKind : std::uint8_t { Int, Float, Float2, String };

// A reference to a value a profile key holds: a device value (ValueRef) or a tool setting.
using ProfileRef =
    std::variant<std::uint16_t*, std::uint32_t*, float*, std::string*, std::int32_t*>;
using ToolMember = ProfileRef (*)(ToolSettings&);

// What a load takes for a missing key.
struct KeyDefault {
    enum class Base : std::uint8_t {
        Literal,   // number, or text as it is
        WorkDir,   // the working directory itself
        InWorkDir, // text is a file name in the working directory
    };
    double number = 0;
    std::string_view text{};
    Base base = Base::Literal;
};

namespace key_flags {
inline constexpr unsigned Load = 1;           // read on load and written straight back
inline constexpr unsigned Save = 2;           // written on save
inline constexpr unsigned Last = 4;           // saved after every other key
inline constexpr unsigned FixedWriteBack = 8; // a load writes back `fixed`, keeps the value read
inline constexpr unsigned FixedSave = 16;     // a save writes `fixed` / `fixedText`
// A key the tool added to the format: a load writes it back and a save writes it only when
// the file has it or the value is not 0, so files that lack it stay as they were.
inline constexpr unsigned OnlyWhenSet = 32;
inline constexpr unsigned LoadSave = Load | Save;
} // namespace key_flags

struct ProfileKey {
    std::string_view key;
    ValueKind kind = ValueKind::Int;
    KeyDefault def{};
    ImageMember image = nullptr; // a DeviceImage member, or
    ToolMember tool = nullptr;   // a ToolSettings member, or neither (a fixed value)
    unsigned flags = key_flags::LoadSave;
    std::int64_t fixed = 0;
    std::string_view fixedText{};
    std::optional<std::int64_t> loadCeiling{}; // a larger value read becomes this
};

struct ProfileSection {
    std::string_view name;
    std::span<const ProfileKey> keys;
    bool toolSettings = false; // holds tool settings, not device values
};

// Every section, in the order a save creates them; the sections that only a load touches
// ("Form title", "USR", "mediana_filtr_flow") come last.
std::span<const ProfileSection> profileSections();
// The section of that name (case-insensitive), or nullptr.
const ProfileSection* findProfileSection(std::string_view name);

// One value a load writes into a profile file that does not exist yet.
struct CreationValue {
    std::string_view section, key;
    std::string_view text; // written as it is
};
std::span<const CreationValue> creationValues();

// The value a row refers to; nullopt for a row without a member (a fixed value).
std::optional<ProfileRef> refOf(const ProfileKey& row, DeviceImage& image, ToolSettings& tools);

// The load default of a row as text, with paths in workDir.
std::string defaultText(const ProfileKey& row, const std::filesystem::path& workDir);

} // namespace flowcfg
