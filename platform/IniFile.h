#pragma once
// An INI-layout settings file with Windows profile-string semantics: sections and keys
// matched without regard to case, sections created on first write, keys replaced in place,
// values trimmed on read, a missing key gives the default, integers in decimal. Reads CR LF
// and LF. Sections and keys the program does not know are kept, in place.
//
// The file is parsed once by load(); reads and writes work on memory; save() writes the
// whole file to a temporary file in the same directory and renames it over the target (a
// read-only target is made writable first), so a crash never leaves a half-written file.
// Text is UTF-8; a line that is not valid UTF-8 is taken as Windows-1251.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg {

class IniFile {
public:
    explicit IniFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return path_; }
    // True when the file existed at load().
    bool existed() const { return existed_; }

    // Reads the file; a missing or unreadable file loads as empty. Returns false only when the
    // file exists but cannot be read.
    bool load();
    // Writes the file atomically. On failure returns false, leaves the old file intact and
    // puts the reason into error.
    bool save(std::string* error = nullptr) const;

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Windows GetPrivateProfileInt: leading decimal digits (with an optional sign); a value
    // that does not start with a number gives the default.
    std::int64_t readInt(std::string_view section, std::string_view key,
                         std::int64_t defaultValue) const;
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInt(std::string_view section, std::string_view key, std::int64_t value);

    bool hasSection(std::string_view section) const;
    bool hasKey(std::string_view section, std::string_view key) const;

    // The file as it would be saved.
    std::string text() const;

private:
    struct Line {
        std::string raw;     // the line as read (without its end)
        std::string section; // for section lines: the name
        std::string key;     // for key lines: the key as written
        std::string value;   // for key lines: the value as written
        enum class Kind : std::uint8_t { Other, Section, Key } kind = Kind::Other;
    };
    std::filesystem::path path_;
    bool existed_ = false;
    std::vector<Line> lines_;
};

} // namespace flowcfg
