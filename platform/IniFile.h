#pragma once
// An INI-layout settings file with Windows profile-string semantics: sections and keys
// matched without regard to case, sections created on first write, keys replaced in place,
// values trimmed on read, a missing key gives the default, integers in decimal. Reads CR LF
// and LF. Sections and keys the program does not know are kept, in place, with comments
// (lines starting with ';') and lines without '='. Of duplicate sections or keys the first
// one is read and replaced. A new section goes at the end of the file, a new key after the
// last key of its section. A save keeps the file's line ends (LF for a new file).
//
// The file is parsed once by load(); reads and writes work on memory; save() writes the
// whole file to a temporary file in the same directory and renames it over the target (a
// read-only target is made writable first), so a crash never leaves a half-written file.
// A temporary file that a killed save left behind is removed by the next save of the same
// file (one that another live save still holds is left alone).
//
// Text is UTF-8. In a file without a UTF-8 byte-order mark a line that is not valid UTF-8 was
// written on Windows and is taken as Windows-1251. A file with the mark is UTF-8 throughout:
// its lines are taken byte for byte. Writing a section, key or value that is not valid UTF-8
// (a Linux path in another encoding, say) gives the file the mark, so that what was written
// comes back byte for byte after a save and a load, never re-read as Windows-1251.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace flowcfg {

class IniFile {
public:
    explicit IniFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return path_; }
    // True when the file existed at load().
    bool existed() const { return existed_; }

    // Reads the file; a missing or unreadable file loads as empty. Returns false only when the
    // file exists but cannot be read; loadError() then says why, in Russian.
    bool load();
    const std::string& loadError() const { return loadError_; }
    // "Не удалось прочитать файл "PATH" (REASON)" after a failed load().
    std::string loadFailureText() const;
    // What a save that was not made over an unreadable file says after loadFailureText().
    static constexpr std::string_view kNotOverwritten =
        "; он не перезаписан, чтобы не потерять его содержимое";
    // Takes bytes as the file's contents, as load() does with what it read; the file then
    // counts as existing. With text() it lets the file's logic run without the disk.
    void loadText(std::string_view bytes);
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

    // Called by save() after the temporary file is written and synced, before it replaces the
    // target. Returning false abandons the save there (the temporary file is removed and the
    // target is left as it was); tests use it to stand for a crash at that moment.
    using BeforeReplaceHook = std::function<bool(const std::filesystem::path& temporary)>;
    void setBeforeReplaceHook(BeforeReplaceHook hook) { beforeReplace_ = std::move(hook); }

private:
    // A line as read stays in text_ and only a line written since has a string of its own:
    // loading a file and writing back values that are already right copies no line.
    struct Line {
        std::string written;                     // the line as last written, when isWritten
        std::size_t textBegin = 0, textSize = 0; // else the line as read: text_[begin, +size)
        // For key lines: the line's [keyBegin, keyEnd) is the key as written, trimmed, and
        // [valueBegin, end) the value, untrimmed.
        std::uint32_t keyBegin = 0, keyEnd = 0, valueBegin = 0;
        enum class Kind : std::uint8_t { Other, Section, Key } kind = Kind::Other;
        bool isWritten = false;
    };
    // Section and key names compare without regard to ASCII case, as on Windows; the indexes
    // hold them trimmed, and lookups trim first. A lookup allocates nothing.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const noexcept;
    };
    struct NameEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const noexcept;
    };
    using NameIndex = std::unordered_map<std::string, std::size_t, NameHash, NameEqual>;

    // The first key line of each name in a section's body, by open addressing over line
    // indexes: the names stay in the lines, so indexing a key allocates nothing of its own.
    // Lines only move when a new key goes in before them, and none of those is a key.
    class KeyIndex {
    public:
        // The line of that key, or npos; keyOf(i) gives the key of line i.
        template <typename KeyOf> std::size_t find(std::string_view key, KeyOf keyOf) const;
        // Adds line `at` under `key` unless the key is there already.
        template <typename KeyOf> void add(std::string_view key, std::size_t at, KeyOf keyOf);
        // Room for that many keys, in an index still empty.
        void reserve(std::size_t keys);

    private:
        // The slot that holds the key, or the free one where it would go.
        template <typename KeyOf> std::size_t slotOf(std::string_view key, KeyOf keyOf) const;
        std::vector<std::uint32_t> slots_; // line + 1, 0 = free; a power of two in size
        std::size_t count_ = 0;
    };

    // A section header and the lines up to the next one. The first entry of sections_ holds
    // the lines before the first header and has no header line.
    struct Section {
        std::string name; // trimmed
        Line header;
        std::vector<Line> body;
        KeyIndex keys;                // key -> first line in body
        std::size_t afterLastKey = 0; // where a new key goes: after the last key line
    };

    // The offsets are checked when the line is made, not at every lookup.
    std::string_view raw(const Line& line) const {
        return line.isWritten ? std::string_view(line.written)
                              : std::string_view(text_.data() + line.textBegin, line.textSize);
    }
    std::string_view keyOf(const Line& line) const {
        return {raw(line).data() + line.keyBegin, line.keyEnd - line.keyBegin};
    }
    std::string_view valueOf(const Line& line) const {
        const std::string_view r = raw(line);
        return {r.data() + line.valueBegin, r.size() - line.valueBegin};
    }
    // The key of a line of the section by its index, as KeyIndex asks for it.
    auto lineKey(const Section& section) const {
        return [this, &section](std::size_t i) { return keyOf(section.body[i]); };
    }
    const Line* findKey(std::string_view section, std::string_view key) const;
    // The first line of that (trimmed) key in section s, or npos. A load reads a key and then
    // writes it: the key last found is tried first.
    std::size_t findKeyLine(std::size_t s, std::string_view key) const;
    // The first section of that (trimmed) name, or npos. Loads and saves work section by
    // section, so the last one found is tried first.
    std::size_t findSection(std::string_view name) const;
    void parse(std::string_view bytes);
    void noteEncoding(std::string_view text);
    static void setKeyLine(Line& line, std::size_t keyLength);

    std::filesystem::path path_;
    bool existed_ = false;
    bool bom_ = false; // the file starts (or will start) with a UTF-8 byte-order mark
    std::string loadError_;
    bool crlf_ = false;                   // CR LF line ends (else LF) when saving
    std::string text_;                    // the text as read; lines as read point into it
    std::vector<Section> sections_;       // [0]: lines before any header
    NameIndex sectionIndex_;              // name -> first section
    mutable std::size_t lastSection_ = 0; // index of the section last found, 0 = none
    mutable std::size_t lastKeySection_ = 0, lastKeyLine_ = 0; // the key last found, 0 = none
    BeforeReplaceHook beforeReplace_;
};

} // namespace flowcfg
