// The parsers of typed and stored numbers, on the fuzzer's text: the edit fields
// (NumberInput), the command line (CliNumbers), the scans of the value encodings and the
// profile's float scan. Each result is held against the C library's conversion of the same
// text, where the parser promises to agree with it.

#include "FuzzSupport.h"
#include "cli/CliNumbers.h"
#include "config/NumberInput.h"
#include "model/Encodings.h"
#include "profiles/ProfileValueText.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>

namespace flowcfg::fuzz {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isCSpace(char c) {
    return isBlank(c) || c == '\v' || c == '\f';
}
bool isHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// True when strto* stopped where only the blanks the field parsers ignore are left.
bool restIsBlank(const char* end) {
    while (*end != 0 && isBlank(*end))
        ++end;
    return *end == 0;
}

// [blanks][sign]digits[.digits][(e|E)[sign]digits][blanks]: a number every float parser
// reads the same way.
bool plainDecimal(const std::string& s) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t from = i;
        while (i < s.size() && isDigit(s[i]))
            ++i;
        return i > from;
    };
    while (i < s.size() && isBlank(s[i]))
        ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    if (!digits())
        return false;
    if (i < s.size() && s[i] == '.') {
        ++i;
        digits();
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        if (!digits())
            return false;
    }
    while (i < s.size() && isBlank(s[i]))
        ++i;
    return i == s.size();
}

void checkFieldParsers(const std::string& text) {
    if (const auto v = parseIntegerText(text)) {
        char* end = nullptr;
        errno = 0;
        const long long c = std::strtoll(text.c_str(), &end, 10);
        FUZZ_CHECK(errno == 0 && c == *v && restIsBlank(end), "integer %lld vs strtoll %lld",
                   static_cast<long long>(*v), c);
    }
    if (const auto v = parseFloatText(text)) {
        char* end = nullptr;
        const double c = std::strtod(text.c_str(), &end);
        FUZZ_CHECK(std::isfinite(*v) && static_cast<float>(c) == *v && restIsBlank(end),
                   "float %a vs strtod %a", double(*v), c);
    }
    if (const auto v = parseHex16Text(text)) {
        char* end = nullptr;
        const unsigned long long c = std::strtoull(text.c_str(), &end, 16);
        FUZZ_CHECK((c & 0xFFFF) == *v && restIsBlank(end), "hex %x vs strtoull %llx", *v, c);
    }
    for (const char c : filterHexInput(text))
        FUZZ_CHECK(isDigit(c) || (c >= 'A' && c <= 'F'), "filtered hex input kept 0x%02x", c);
    if (plainDecimal(text) && text.find_first_of("eE.") == std::string::npos &&
        text.find('-') == std::string::npos) {
        char* end = nullptr;
        errno = 0;
        const long long c = std::strtoll(text.c_str(), &end, 10);
        if (errno == 0 && c >= INT32_MIN && c <= INT32_MAX)
            FUZZ_CHECK(parseIntegerText(text) == static_cast<std::int32_t>(c),
                       "integer text %lld not taken", c);
    }
}

void checkCliNumber(const std::string& text) {
    const auto v = parseCliNumber(text);
    if (!v)
        return;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    char* end = nullptr;
    errno = 0;
    const unsigned long long c = std::strtoull(text.c_str(), &end, hex ? 16 : 10);
    FUZZ_CHECK(errno == 0 && c == *v && *end == 0 && !isCSpace(text[0]),
               "command-line number %llu vs strtoull %llu", static_cast<unsigned long long>(*v), c);
}

// The scans of the encodings take the start of the text like C's scanf.
void checkScans(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const std::string_view body = std::string_view(text).substr(i);
    if (!body.empty() && isDigit(body[0]) && !negative) {
        errno = 0;
        const unsigned long long c = std::strtoull(text.c_str(), nullptr, 10);
        const unsigned expected = errno == 0 && c <= UINT32_MAX ? unsigned(c) : UINT32_MAX;
        FUZZ_CHECK(parseUnsigned(text) == expected, "%%u scan %u vs %u", parseUnsigned(text),
                   expected);
    }
    // "0x" without a hex digit after it is read differently by C libraries: left out.
    const bool prefix = body.size() >= 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'X');
    if (!body.empty() && isHex(body[0]) && (!prefix || (body.size() > 2 && isHex(body[2])))) {
        const unsigned long long c = std::strtoull(text.c_str(), nullptr, 16);
        FUZZ_CHECK(parseHex16(text) == (c & 0xFFFF), "%%x scan %x vs %llx", parseHex16(text), c);
        if (i + 3 < 32) {
            const std::string first32 = text.substr(0, 32);
            const unsigned long long c32 = std::strtoull(first32.c_str(), nullptr, 16);
            const ParsedHex32 h = parseHex32(text);
            FUZZ_CHECK(!h.failed && h.value == (c32 & 0xFFFFFFFF), "%%lx scan %x vs %llx", h.value,
                       c32);
        }
    }
    const float scanned = scanFloat(text);
    if (plainDecimal(text)) {
        errno = 0;
        const float c = std::strtof(text.c_str(), nullptr);
        if (errno == 0 && std::isfinite(c))
            FUZZ_CHECK(std::memcmp(&scanned, &c, sizeof c) == 0, "%%E scan %a vs strtof %a",
                       double(scanned), double(c));
    }
}

} // namespace
} // namespace flowcfg::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace flowcfg::fuzz;
    // The C conversions stop at a zero byte: give every parser the text up to the first one.
    const std::string text(reinterpret_cast<const char*>(bytes),
                           strnlen(reinterpret_cast<const char*>(bytes), size));
    checkFieldParsers(text);
    checkCliNumber(text);
    checkScans(text);
    return 0;
}
