#include "platform/CFormat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace flowcfg {

namespace {

void toUpper(char* first, char* last) {
    std::transform(first, last, first,
                   [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
}

// Justifies [first, last) in a field of |width|: right with pad, or left with spaces when
// width is negative.
void appendJustified(std::string& out, const char* first, const char* last, int width, char pad) {
    const auto length = static_cast<int>(last - first);
    if (width < 0) {
        out.append(first, last);
        if (-width > length)
            out.append(static_cast<std::size_t>(-width - length), ' ');
        return;
    }
    if (width > length)
        out.append(static_cast<std::size_t>(width - length), pad);
    out.append(first, last);
}

void appendInteger(std::string& out, std::uint32_t value, int minDigits, int base,
                   LetterCase letters) {
    std::array<char, 16> digits{};
    char* const last = std::to_chars(digits.data(), digits.data() + digits.size(), value, base).ptr;
    if (letters == LetterCase::Upper)
        toUpper(digits.data(), last);
    appendJustified(out, digits.data(), last, minDigits, '0');
}

void appendFloating(std::string& out, double value, int width, int precision,
                    std::chars_format format, LetterCase letters = LetterCase::Lower) {
    // Wide enough for the longest fixed conversion of a double (309 integer digits).
    std::array<char, 400> text{};
    char* const first = text.data();
    char* last = first;
    if (std::isnan(value)) {
        // printf prints the sign bit of a NaN; to_chars is not required to.
        last =
            std::copy_n(std::signbit(value) ? "-nan" : "nan", std::signbit(value) ? 4 : 3, first);
    } else {
        last = std::to_chars(first, first + text.size(), value, format, precision).ptr;
    }
    if (letters == LetterCase::Upper)
        toUpper(first, last);
    appendJustified(out, first, last, width, ' ');
}

} // namespace

void appendUnsigned(std::string& out, std::uint32_t value, int minDigits) {
    appendInteger(out, value, minDigits, 10, LetterCase::Lower);
}

void appendHex(std::string& out, std::uint32_t value, int minDigits, LetterCase letters) {
    appendInteger(out, value, minDigits, 16, letters);
}

void appendFixed(std::string& out, double value, int width, int precision) {
    appendFloating(out, value, width, precision, std::chars_format::fixed);
}

void appendGeneral(std::string& out, double value, int width, int precision) {
    appendFloating(out, value, width, precision, std::chars_format::general);
}

void appendExponent(std::string& out, double value, int width, int precision, LetterCase letters) {
    appendFloating(out, value, width, precision, std::chars_format::scientific, letters);
}

} // namespace flowcfg
