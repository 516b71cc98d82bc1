#include "platform/IniFile.h"

#include "platform/SystemErrorText.h"
#include "platform/TextEncoding.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace flowcfg {

namespace {

// Blanks trimmed from names and values: space, tab, vertical tab, form feed, CR.
bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r' && c != '\n');
}

// Every lookup trims its names: a plain loop, cheaper than find_first_not_of.
std::string_view trim(std::string_view s) {
    std::size_t first = 0;
    std::size_t last = s.size();
    while (first < last && isBlank(s[first])) {
        ++first;
    }
    while (last > first && isBlank(s[last - 1])) {
        --last;
    }
    return {s.data() + first, last - first};
}

// Every lookup folds its names to ASCII lower case: eight bytes at a time.
constexpr std::uint64_t kEveryByte = 0x0101010101010101ULL;

// Bytes [at, at + 8) of s, or up to its end with zeros after; a shorter rest is read by two
// overlapping loads, not byte by byte.
std::uint64_t wordAt(std::string_view s, std::size_t at) {
    const char* const p = s.data() + at;
    const std::size_t n = s.size() - at;
    if (n >= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, 8);
        return word;
    }
    if (n >= 4) {
        std::uint32_t first = 0, last = 0;
        std::memcpy(&first, p, 4);
        std::memcpy(&last, p + n - 4, 4);
        return first | (std::uint64_t{last} << (8 * (n - 4)));
    }
    const auto byte = [p](std::size_t i) {
        return std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
    };
    return n == 0 ? 0 : byte(0) | byte(n / 2) | byte(n - 1);
}

// 'A'..'Z' to 'a'..'z' in each byte; the other bytes, those above 0x7F too, as they are.
std::uint64_t lowerWord(std::uint64_t word) {
    const std::uint64_t low7 = word & (0x7F * kEveryByte);
    const std::uint64_t fromA = low7 + (0x80 - 'A') * kEveryByte;  // high bit: low7 >= 'A'
    const std::uint64_t aboveZ = low7 + (0x7F - 'Z') * kEveryByte; // high bit: low7 > 'Z'
    const std::uint64_t upper = fromA & ~aboveZ & ~word & (0x80 * kEveryByte);
    return word | (upper >> 2);
}

// Appends s with line breaks as blanks: a line break inside a name or value would split the
// line and corrupt the file.
void appendSingleLine(std::string& out, std::string_view s) {
    const std::size_t from = out.size();
    out += s;
    for (const char lineEnd : {'\n', '\r'}) {
        char* p = out.data() + from;
        char* const end = out.data() + out.size();
        while ((p = static_cast<char*>(std::memchr(p, lineEnd, end - p))) != nullptr) {
            *p = ' ';
        }
    }
}

// Room for the keys a new section usually gets, so that writing them grows its lines rarely.
constexpr std::size_t kNewSectionLines = 16;

// Whether `line` is what appendSingleLine makes of `s`.
bool isSingleLine(std::string_view line, std::string_view s) {
    if (line.size() != s.size()) {
        return false;
    }
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i] == '\n' || s[i] == '\r' ? ' ' : s[i];
        if (line[i] != c) {
            return false;
        }
    }
    return true;
}

} // namespace

std::size_t IniFile::NameHash::operator()(std::string_view name) const noexcept {
    // FNV-1a over words, then every bit mixed into the low ones the index masks (the
    // finaliser of MurmurHash3): names that differ in a few bits of one word spread.
    std::uint64_t h = 14695981039346656037ULL;
    for (std::size_t at = 0; at < name.size(); at += 8) {
        h = (h ^ lowerWord(wordAt(name, at))) * 1099511628211ULL;
    }
    h = (h ^ (h >> 33)) * 0xFF51AFD7ED558CCDULL;
    h = (h ^ (h >> 33)) * 0xC4CEB9FE1A85EC53ULL;
    return h ^ (h >> 33);
}

bool IniFile::NameEqual::operator()(std::string_view a, std::string_view b) const noexcept {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t at = 0; at < a.size(); at += 8) {
        const std::uint64_t x = wordAt(a, at);
        const std::uint64_t y = wordAt(b, at);
        // Names are mostly written in the same case: equal bytes need no folding.
        if (x != y && lowerWord(x) != lowerWord(y)) {
            return false;
        }
    }
    return true;
}

template <typename KeyOf>
std::size_t IniFile::KeyIndex::slotOf(std::string_view key, KeyOf keyOf) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = NameHash{}(key)&mask;
    while (slots_[i] != 0 && !NameEqual{}(keyOf(slots_[i] - 1), key)) {
        i = (i + 1) & mask;
    }
    return i;
}

template <typename KeyOf>
std::size_t IniFile::KeyIndex::find(std::string_view key, KeyOf keyOf) const {
    if (slots_.empty()) {
        return std::string::npos;
    }
    const std::uint32_t line = slots_[slotOf(key, keyOf)];
    return line == 0 ? std::string::npos : line - 1;
}

void IniFile::KeyIndex::reserve(std::size_t keys) {
    std::size_t size = 16;
    while (size < 2 * keys) {
        size *= 2;
    }
    if (count_ == 0 && size > slots_.size()) {
        slots_.assign(size, 0);
    }
}

template <typename KeyOf>
void IniFile::KeyIndex::add(std::string_view key, std::size_t at, KeyOf keyOf) {
    // At most half full, so probes stay short.
    if (2 * (count_ + 1) > slots_.size()) {
        std::vector<std::uint32_t> old(std::max<std::size_t>(16, 2 * slots_.size()), 0);
        old.swap(slots_);
        for (const std::uint32_t line : old) {
            if (line != 0) {
                slots_[slotOf(keyOf(line - 1), keyOf)] = line;
            }
        }
    }
    std::uint32_t& slot = slots_[slotOf(key, keyOf)];
    if (slot == 0) {
        slot = static_cast<std::uint32_t>(at + 1);
        ++count_;
    }
}

// A key line written by this program: "key=value".
void IniFile::setKeyLine(Line& line, std::size_t keyLength) {
    line.kind = Line::Kind::Key;
    line.keyBegin = 0;
    line.keyEnd = static_cast<std::uint32_t>(keyLength);
    line.valueBegin = static_cast<std::uint32_t>(keyLength + 1);
}

namespace {

// Temporary files of a save: ".NAME.tmp-XXXXXX" beside the target (mkstemp fills the X).
constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr std::size_t kTemporaryRandom = 6;

std::string temporaryPrefix(const std::string& name) {
    return "." + name + std::string(kTemporaryMark);
}

// A save holds an exclusive flock() on its temporary file until the file is renamed, so a
// temporary file that can be locked belongs to a save that was killed: it is removed.
void removeLeftovers(const std::filesystem::path& dir, const std::string& name) {
    const std::string prefix = temporaryPrefix(name);
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (entry.size() != prefix.size() + kTemporaryRandom || !entry.starts_with(prefix))
            continue;
        const int fd = ::open(it->path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(it->path().c_str());
        ::close(fd);
    }
}

// Creates and locks the temporary file; -1 with errno set on failure. A leftover sweep of
// another process may remove the file between its creation and the lock: then it is made
// again.
int createLockedTemporary(std::string& path, const std::string& pattern) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        path = pattern;
        const int fd = ::mkstemp(path.data());
        if (fd < 0)
            return -1;
        struct stat st {};
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &st) == 0 && st.st_nlink > 0)
            return fd;
        ::close(fd);
    }
    errno = EAGAIN;
    return -1;
}

// Closes a descriptor and removes a temporary file unless released.
class TemporaryFile {
public:
    TemporaryFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        closeFd();
        if (!released_) {
            ::unlink(path_.c_str());
        }
    }
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    bool closeFd() {
        if (fd_ < 0) {
            return true;
        }
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0;
    }
    void release() { released_ = true; }

private:
    int fd_;
    std::string path_;
    bool released_ = false;
};

bool writeAll(int fd, std::string_view data, int& err) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            err = errno;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool fail(std::string* error, std::string message) {
    if (error != nullptr) {
        *error = std::move(message);
    }
    return false;
}

} // namespace

IniFile::IniFile(std::filesystem::path path) : path_(std::move(path)) {
    sections_.emplace_back();
}

std::string IniFile::loadFailureText() const {
    return "Не удалось прочитать файл \"" + path_.string() + "\" (" + loadError_ + ")";
}

void IniFile::loadText(std::string_view bytes) {
    parse(bytes);
    existed_ = true;
}

bool IniFile::load() {
    parse({});
    existed_ = false;
    loadError_.clear();

    // O_NONBLOCK: a FIFO or device in place of the file must not hang the load; anything
    // but a regular file is refused below.
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return true;
        }
        loadError_ = systemErrorText(errno);
        return false;
    }
    existed_ = true;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        loadError_ = S_ISDIR(st.st_mode) ? systemErrorText(EISDIR) : "это не обычный файл";
        ::close(fd);
        return false;
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ok = false;
            break;
        }
        if (n == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    const int readErr = errno;
    ::close(fd);
    if (!ok) {
        loadError_ = systemErrorText(readErr);
        return false;
    }
    parse(bytes);
    return true;
}

void IniFile::parse(std::string_view bytes) {
    text_.clear();
    sections_.clear();
    sections_.emplace_back();
    sectionIndex_.clear();
    lastSection_ = 0;
    lastKeySection_ = 0;
    crlf_ = false;
    bom_ = false;
    // A byte-order mark (Windows editors write one) is kept aside, or the first section
    // header would not be recognised.
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.starts_with(kBom)) {
        bom_ = true;
        bytes.remove_prefix(kBom.size());
    }
    const auto firstLf = bytes.find('\n');
    if (firstLf != std::string_view::npos && firstLf > 0 && bytes[firstLf - 1] == '\r') {
        crlf_ = true;
    }
    // A file without the mark is mostly UTF-8 throughout: then its text is taken in one piece.
    const bool asIs = bom_ || isValidUtf8(bytes);
    if (asIs) {
        text_ = bytes;
    } else {
        text_.reserve(bytes.size());
    }
    // The lines first, then each section's share moved in: every section's lines and keys are
    // counted before they are stored.
    std::vector<Line> lines;
    lines.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    std::vector<std::size_t> headers; // indexes of the section header lines
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        auto end = bytes.find('\n', pos);
        if (end == std::string_view::npos) {
            end = bytes.size();
        }
        std::string_view bytesOfLine = bytes.substr(pos, end - pos);
        const std::size_t lineBegin = pos;
        pos = end + 1;
        // Every CR before the line feed goes: a stray one kept in the line would be read as
        // a line end of its own after a save.
        while (!bytesOfLine.empty() && bytesOfLine.back() == '\r') {
            bytesOfLine.remove_suffix(1);
        }
        Line& line = lines.emplace_back();
        if (asIs) {
            line.textBegin = lineBegin;
        } else {
            line.textBegin = text_.size();
            text_ += toUtf8(bytesOfLine);
        }
        line.textSize = asIs ? bytesOfLine.size() : text_.size() - line.textBegin;
        const std::string_view raw = this->raw(line);
        const std::string_view text = trim(raw);
        if (!text.empty() && text.front() == '[' && text.find(']') != std::string_view::npos) {
            line.kind = Line::Kind::Section;
            headers.push_back(lines.size() - 1);
            continue;
        }
        const auto eq = text.find('=');
        if (eq != std::string_view::npos && text.front() != ';' &&
            raw.size() < std::numeric_limits<std::uint32_t>::max()) {
            line.kind = Line::Kind::Key;
            const auto rawEq = raw.find('=');
            const std::string_view key = trim(raw.substr(0, rawEq));
            line.keyBegin = static_cast<std::uint32_t>(key.data() - raw.data());
            line.keyEnd = static_cast<std::uint32_t>(line.keyBegin + key.size());
            line.valueBegin = static_cast<std::uint32_t>(rawEq + 1);
        }
    }

    const auto fill = [&](Section& section, std::size_t from, std::size_t to) {
        const auto first = lines.begin() + static_cast<std::ptrdiff_t>(from);
        const auto last = lines.begin() + static_cast<std::ptrdiff_t>(to);
        section.body.reserve(to - from);
        section.keys.reserve(static_cast<std::size_t>(std::count_if(
            first, last, [](const Line& line) { return line.kind == Line::Kind::Key; })));
        for (auto line = first; line != last; ++line) {
            section.body.push_back(std::move(*line));
            if (section.body.back().kind == Line::Kind::Key) {
                section.keys.add(keyOf(section.body.back()), section.body.size() - 1,
                                 lineKey(section));
                section.afterLastKey = section.body.size();
            }
        }
    };
    sections_.reserve(headers.size() + 1);
    fill(sections_[0], 0, headers.empty() ? lines.size() : headers[0]);
    for (std::size_t h = 0; h < headers.size(); ++h) {
        Section section;
        section.header = std::move(lines[headers[h]]);
        const std::string_view text = trim(raw(section.header));
        section.name = trim(text.substr(1, text.rfind(']') - 1));
        fill(section, headers[h] + 1, h + 1 < headers.size() ? headers[h + 1] : lines.size());
        sections_.push_back(std::move(section));
        sectionIndex_.try_emplace(sections_.back().name, sections_.size() - 1);
    }
}

std::size_t IniFile::findSection(std::string_view name) const {
    if (lastSection_ != 0 && NameEqual{}(sections_[lastSection_].name, name)) {
        return lastSection_;
    }
    const auto s = sectionIndex_.find(name);
    if (s == sectionIndex_.end()) {
        return std::string::npos;
    }
    lastSection_ = s->second;
    return s->second;
}

std::size_t IniFile::findKeyLine(std::size_t s, std::string_view key) const {
    const Section& sec = sections_[s];
    if (lastKeySection_ == s && NameEqual{}(keyOf(sec.body[lastKeyLine_]), key)) {
        return lastKeyLine_;
    }
    const std::size_t k = sec.keys.find(key, lineKey(sec));
    if (k != std::string::npos) {
        lastKeySection_ = s;
        lastKeyLine_ = k;
    }
    return k;
}

const IniFile::Line* IniFile::findKey(std::string_view section, std::string_view key) const {
    const std::size_t s = findSection(trim(section));
    if (s == std::string::npos) {
        return nullptr;
    }
    const std::size_t k = findKeyLine(s, trim(key));
    return k == std::string::npos ? nullptr : &sections_[s].body[k];
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    const Line* line = findKey(section, key);
    return std::string(line == nullptr ? defaultValue : trim(valueOf(*line)));
}

std::int64_t IniFile::readInt(std::string_view section, std::string_view key,
                              std::int64_t defaultValue) const {
    const Line* line = findKey(section, key);
    if (line == nullptr) {
        return defaultValue;
    }
    std::string_view text = trim(valueOf(*line));
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return defaultValue;
    }
    // Leading digits only; the rest of the value is ignored. Out-of-range values saturate.
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        const int digit = c - '0';
        if (value > (kMax - digit) / 10) {
            return negative ? std::numeric_limits<std::int64_t>::min() : kMax;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

// Bytes that are not UTF-8 stay as they are only in a file marked as UTF-8.
void IniFile::noteEncoding(std::string_view text) {
    if (!bom_ && !isValidUtf8(text)) {
        bom_ = true;
    }
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    // A name or value already in a file without the mark is UTF-8: only what is new is checked.
    section = trim(section);
    key = trim(key);
    std::size_t s = findSection(section);
    if (s == std::string::npos) {
        noteEncoding(section);
        Section created;
        created.name = section;
        created.header.kind = Line::Kind::Section;
        created.header.isWritten = true;
        std::string& header = created.header.written;
        header.push_back('[');
        appendSingleLine(header, section);
        header.push_back(']');
        created.body.reserve(kNewSectionLines);
        sections_.push_back(std::move(created));
        s = sections_.size() - 1;
        sectionIndex_.emplace(sections_.back().name, s);
    }
    Section& sec = sections_[s];
    const std::size_t k = findKeyLine(s, key);
    if (k != std::string::npos) {
        Line& line = sec.body[k];
        const std::size_t keyLength = line.keyEnd - line.keyBegin;
        // Loads write back every key they read: a line that already says so stays as it is.
        if (line.keyBegin == 0 && line.valueBegin == keyLength + 1 &&
            isSingleLine(valueOf(line), value)) {
            return;
        }
        noteEncoding(value);
        if (!line.isWritten) {
            line.written.reserve(line.keyEnd + 1 + value.size());
            line.written = raw(line);
            line.isWritten = true;
        }
        line.written.erase(0, line.keyBegin);
        line.written.resize(keyLength);
        line.written += '=';
        appendSingleLine(line.written, value);
        setKeyLine(line, keyLength);
        return;
    }
    noteEncoding(key);
    noteEncoding(value);
    Line line;
    line.isWritten = true;
    line.written.reserve(key.size() + 1 + value.size());
    appendSingleLine(line.written, key);
    const std::size_t keyLength = line.written.size();
    line.written += '=';
    appendSingleLine(line.written, value);
    setKeyLine(line, keyLength);
    // New keys go after the section's last key, so blank lines or comments that close the
    // section stay where they are. Only lines after the insertion point move, and none of
    // them is a key.
    const std::size_t at = sec.afterLastKey;
    sec.body.insert(sec.body.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    sec.keys.add(key, at, lineKey(sec));
    sec.afterLastKey = at + 1;
}

void IniFile::writeInt(std::string_view section, std::string_view key, std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    writeString(section, key, std::string_view(buffer, result.ptr));
}

bool IniFile::hasSection(std::string_view section) const {
    return findSection(trim(section)) != std::string::npos;
}

bool IniFile::hasKey(std::string_view section, std::string_view key) const {
    return findKey(section, key) != nullptr;
}

std::string IniFile::text() const {
    const std::string_view eol = crlf_ ? "\r\n" : "\n";
    std::size_t size = 0;
    for (const Section& sec : sections_) {
        size += raw(sec.header).size() + eol.size();
        for (const Line& line : sec.body) {
            size += raw(line).size() + eol.size();
        }
    }
    std::string out;
    out.reserve(size + 3);
    if (bom_) {
        out += "\xEF\xBB\xBF";
    }
    bool first = true;
    for (const Section& sec : sections_) {
        if (!first) {
            out += raw(sec.header);
            out += eol;
        }
        first = false;
        for (const Line& line : sec.body) {
            out += raw(line);
            out += eol;
        }
    }
    return out;
}

bool IniFile::save(std::string* error) const {
    namespace fs = std::filesystem;
    // A symbolic link keeps pointing at the file: the file it names is replaced, not the link.
    std::error_code ec;
    fs::path target = path_;
    if (fs::is_symlink(path_, ec)) {
        const fs::path resolved = fs::weakly_canonical(path_, ec);
        if (!ec) {
            target = resolved;
        }
    }
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string name = target.filename().string();
    removeLeftovers(dir, name);
    const std::string pattern =
        (dir / (temporaryPrefix(name) + std::string(kTemporaryRandom, 'X'))).string();
    std::string temporaryPath;
    const int fd = createLockedTemporary(temporaryPath, pattern);
    if (fd < 0) {
        return fail(error, "Не удалось создать временный файл в папке \"" + dir.string() +
                               "\": " + systemErrorText(errno));
    }
    // Closed (and so unlocked) only after the rename, or removed on failure.
    TemporaryFile temp(fd, temporaryPath);

    // The new file gets the old file's permissions, made writable; a new file gets 0644.
    mode_t mode = 0644;
    struct stat st {};
    const bool targetExists = ::stat(target.c_str(), &st) == 0;
    if (targetExists) {
        mode = (st.st_mode & 07777) | S_IWUSR;
    }
    ::fchmod(temp.fd(), mode);

    int err = 0;
    if (!writeAll(temp.fd(), text(), err) || ::fsync(temp.fd()) != 0) {
        if (err == 0) {
            err = errno;
        }
        return fail(error,
                    "Не удалось записать файл \"" + path_.string() + "\": " + systemErrorText(err));
    }
    if (beforeReplace_ && !beforeReplace_(fs::path(temp.path()))) {
        return fail(error, "Запись файла \"" + path_.string() + "\" прервана");
    }
    // A read-only target has its attributes cleared before it is replaced.
    if (targetExists && (st.st_mode & S_IWUSR) == 0) {
        ::chmod(target.c_str(), (st.st_mode & 07777) | S_IWUSR);
    }
    if (::rename(temp.path().c_str(), target.c_str()) != 0) {
        const int renameErr = errno;
        if (targetExists && (st.st_mode & S_IWUSR) == 0) {
            ::chmod(target.c_str(), st.st_mode & 07777);
        }
        return fail(error, "Не удалось заменить файл \"" + path_.string() +
                               "\": " + systemErrorText(renameErr));
    }
    temp.release();
    temp.closeFd();
    // Make the rename itself durable.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace flowcfg
