#include "archive/CFormat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace flowcfg {

namespace {

// Right-justifies [first, last) in a field of width, padding with pad.
void appendPadded(std::string& out, const char* first, const char* last, int width, char pad) {
    const auto length = static_cast<int>(last - first);
    if (width > length)
        out.append(static_cast<std::size_t>(width - length), pad);
    out.append(first, last);
}

void appendInteger(std::string& out, std::uint32_t value, int minDigits, int base) {
    std::array<char, 16> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value, base);
    appendPadded(out, digits.data(), result.ptr, minDigits, '0');
}

void appendFloating(std::string& out, double value, int width, int precision,
                    std::chars_format format) {
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
    appendPadded(out, first, last, width, ' ');
}

} // namespace

void appendUnsigned(std::string& out, std::uint32_t value, int minDigits) {
    appendInteger(out, value, minDigits, 10);
}

void appendHex(std::string& out, std::uint32_t value, int minDigits) {
    appendInteger(out, value, minDigits, 16);
}

void appendFixed(std::string& out, double value, int width, int precision) {
    appendFloating(out, value, width, precision, std::chars_format::fixed);
}

void appendGeneral(std::string& out, double value, int width, int precision) {
    appendFloating(out, value, width, precision, std::chars_format::general);
}

} // namespace flowcfg
