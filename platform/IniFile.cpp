#include "platform/IniFile.h"

#include "platform/TextEncoding.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace flowcfg {

namespace {

constexpr std::string_view kBlanks = " \t\v\f\r";

std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

// Sections and keys compare without regard to ASCII case, as on Windows.
std::string fold(std::string_view s) {
    std::string out(trim(s));
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

// A line break inside a name or value would split the line and corrupt the file.
std::string singleLine(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return out;
}

} // namespace

// A key line written by this program: "key=value".
void IniFile::setKeyLine(Line& line, std::size_t keyLength) {
    line.kind = Line::Kind::Key;
    line.keyBegin = 0;
    line.keyEnd = static_cast<std::uint32_t>(keyLength);
    line.valueBegin = static_cast<std::uint32_t>(keyLength + 1);
}

namespace {

std::string systemError(int err) {
    return std::strerror(err);
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

bool IniFile::load() {
    sections_.clear();
    sections_.emplace_back();
    sectionIndex_.clear();
    crlf_ = false;
    bom_ = false;
    existed_ = false;

    // O_NONBLOCK: a FIFO or device in place of the file must not hang the load; anything
    // but a regular file is refused below.
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR;
    }
    existed_ = true;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
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
    ::close(fd);
    if (!ok) {
        return false;
    }
    parse(bytes);
    return true;
}

void IniFile::parse(std::string_view bytes) {
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
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        auto end = bytes.find('\n', pos);
        if (end == std::string_view::npos) {
            end = bytes.size();
        }
        std::string_view bytesOfLine = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (!bytesOfLine.empty() && bytesOfLine.back() == '\r') {
            bytesOfLine.remove_suffix(1);
        }
        Line line;
        line.raw = toUtf8(bytesOfLine);
        const std::string_view text = trim(line.raw);
        if (!text.empty() && text.front() == '[' && text.find(']') != std::string_view::npos) {
            line.kind = Line::Kind::Section;
            const auto close = text.rfind(']');
            Section section;
            const std::string name = fold(text.substr(1, close - 1));
            section.header = std::move(line);
            sections_.push_back(std::move(section));
            sectionIndex_.try_emplace(name, sections_.size() - 1);
            continue;
        }
        Section& current = sections_.back();
        const auto eq = text.find('=');
        if (eq != std::string_view::npos && text.front() != ';' &&
            line.raw.size() < std::numeric_limits<std::uint32_t>::max()) {
            line.kind = Line::Kind::Key;
            const std::string_view raw = line.raw;
            const auto rawEq = raw.find('=');
            const std::string_view key = trim(raw.substr(0, rawEq));
            line.keyBegin = static_cast<std::uint32_t>(key.data() - raw.data());
            line.keyEnd = static_cast<std::uint32_t>(line.keyBegin + key.size());
            line.valueBegin = static_cast<std::uint32_t>(rawEq + 1);
            current.keys.try_emplace(fold(key), current.body.size());
            current.afterLastKey = current.body.size() + 1;
        }
        current.body.push_back(std::move(line));
    }
}

const IniFile::Line* IniFile::findKey(std::string_view section, std::string_view key) const {
    const auto s = sectionIndex_.find(fold(section));
    if (s == sectionIndex_.end()) {
        return nullptr;
    }
    const Section& sec = sections_[s->second];
    const auto k = sec.keys.find(fold(key));
    return k == sec.keys.end() ? nullptr : &sec.body[k->second];
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    const Line* line = findKey(section, key);
    return std::string(line == nullptr ? defaultValue : trim(line->value()));
}

std::int64_t IniFile::readInt(std::string_view section, std::string_view key,
                              std::int64_t defaultValue) const {
    const Line* line = findKey(section, key);
    if (line == nullptr) {
        return defaultValue;
    }
    std::string_view text = trim(line->value());
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

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string folded = fold(section);
    auto s = sectionIndex_.find(folded);
    if (s == sectionIndex_.end()) {
        Section created;
        created.header.kind = Line::Kind::Section;
        std::string& header = created.header.raw;
        header.push_back('[');
        header += singleLine(trim(section));
        header.push_back(']');
        sections_.push_back(std::move(created));
        s = sectionIndex_.emplace(folded, sections_.size() - 1).first;
    }
    Section& sec = sections_[s->second];
    const std::string cleanValue = singleLine(value);
    const std::string foldedKey = fold(key);
    const auto k = sec.keys.find(foldedKey);
    if (k != sec.keys.end()) {
        Line& line = sec.body[k->second];
        line.raw = std::string(line.key()) + "=" + cleanValue;
        setKeyLine(line, line.keyEnd - line.keyBegin);
        return;
    }
    Line line;
    line.raw = singleLine(trim(key)) + "=" + cleanValue;
    setKeyLine(line, line.raw.size() - cleanValue.size() - 1);
    // New keys go after the section's last key, so blank lines or comments that close the
    // section stay where they are. Only lines after the insertion point move, and none of
    // them is a key.
    const std::size_t at = sec.afterLastKey;
    sec.body.insert(sec.body.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    sec.keys.emplace(foldedKey, at);
    sec.afterLastKey = at + 1;
}

void IniFile::writeInt(std::string_view section, std::string_view key, std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    writeString(section, key, std::string_view(buffer, result.ptr));
}

bool IniFile::hasSection(std::string_view section) const {
    return sectionIndex_.contains(fold(section));
}

bool IniFile::hasKey(std::string_view section, std::string_view key) const {
    return findKey(section, key) != nullptr;
}

std::string IniFile::text() const {
    const std::string_view eol = crlf_ ? "\r\n" : "\n";
    std::size_t size = 0;
    for (const Section& sec : sections_) {
        size += sec.header.raw.size() + eol.size();
        for (const Line& line : sec.body) {
            size += line.raw.size() + eol.size();
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
            out += sec.header.raw;
            out += eol;
        }
        first = false;
        for (const Line& line : sec.body) {
            out += line.raw;
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
    std::string pattern = (dir / ("." + name + ".tmp-XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return fail(error, "Не удалось создать временный файл в папке \"" + dir.string() +
                               "\": " + systemError(errno));
    }
    TemporaryFile temp(fd, pattern);

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
                    "Не удалось записать файл \"" + path_.string() + "\": " + systemError(err));
    }
    if (!temp.closeFd()) {
        return fail(error,
                    "Не удалось записать файл \"" + path_.string() + "\": " + systemError(errno));
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
                               "\": " + systemError(renameErr));
    }
    temp.release();
    // Make the rename itself durable.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace flowcfg
