#include "model/Encodings.h"

#include "platform/CFormat.h"

#include <bit>
#include <limits>

namespace flowcfg {

namespace {

// Formatters write into a zeroed buffer of this size (64 for the double) and, like a bounded
// print, keep at most size - 1 characters.
constexpr std::size_t kTextBuffer = 60;
constexpr std::size_t kTotalBuffer = 64;

constexpr float kPlausibleLimit = 10000000.0f;

// Cuts the text to what a buffer of bufferSize holds with its terminating zero.
std::string cutToBuffer(std::string text, std::size_t bufferSize) {
    if (text.size() > bufferSize - 1)
        text.resize(bufferSize - 1);
    return text;
}

// "%-<width>.<precision>f" printed into a buffer of bufferSize.
std::string leftFixed(double v, int width, int precision, std::size_t bufferSize) {
    std::string text;
    appendFixed(text, v, -width, precision);
    return cutToBuffer(std::move(text), bufferSize);
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int digitValue(char c, int base) {
    int d = -1;
    if (c >= '0' && c <= '9')
        d = c - '0';
    else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
    return d < base ? d : -1;
}

// What a "%u" / "%x" / "%lx" scan of the start of the text gives: leading white space, an
// optional sign, for base 16 an optional 0x prefix, then digits. The value saturates at the
// 64-bit maximum like the C conversion; a minus sign negates it modulo 2^64.
struct Scan {
    std::uint64_t value = 0;
    bool negative = false;
    bool converted = false;  // at least one digit
    bool endOfInput = false; // nothing but white space: the scan ends before converting
};

Scan scanUnsigned(std::string_view text, int base) {
    Scan scan;
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    if (i == text.size()) {
        scan.endOfInput = true;
        return scan;
    }
    if (text[i] == '+' || text[i] == '-') {
        scan.negative = text[i] == '-';
        ++i;
    }
    if (base == 16 && i + 1 < text.size() && text[i] == '0' && (text[i + 1] | 0x20) == 'x') {
        // "0x" alone still converts the 0.
        scan.converted = true;
        i += 2;
    }
    constexpr auto kMax = std::numeric_limits<std::uint64_t>::max();
    bool saturated = false;
    for (; i < text.size(); ++i) {
        const int d = digitValue(text[i], base);
        if (d < 0)
            break;
        scan.converted = true;
        if (scan.value > (kMax - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base))
            saturated = true;
        else
            scan.value =
                scan.value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    }
    if (saturated)
        scan.value = kMax;
    else if (scan.negative)
        scan.value = 0 - scan.value;
    return scan;
}

} // namespace

FloatByteOrder floatByteOrderFromCode(unsigned code) {
    return code <= 3 ? static_cast<FloatByteOrder>(code) : FloatByteOrder::Abcd;
}

std::uint32_t decodeU32(std::uint16_t hi, std::uint16_t lo) {
    return (static_cast<std::uint32_t>(hi) << 16) | lo;
}

double decodeDouble(std::uint16_t w0, std::uint16_t w1, std::uint16_t w2, std::uint16_t w3,
                    bool skip) {
    if (skip)
        return 0.0;
    const std::uint64_t bits = (static_cast<std::uint64_t>(w0) << 48) |
                               (static_cast<std::uint64_t>(w1) << 32) |
                               (static_cast<std::uint64_t>(w2) << 16) | w3;
    return std::bit_cast<double>(bits);
}

std::uint32_t floatBits(std::uint16_t w0, std::uint16_t w1, FloatByteOrder order) {
    const std::uint32_t b0 = w0 >> 8, b1 = w0 & 0xFF, b2 = w1 >> 8, b3 = w1 & 0xFF;
    std::uint32_t bits = 0;
    switch (order) {
    case FloatByteOrder::Cdab:
        bits = b2 << 24 | b3 << 16 | b0 << 8 | b1;
        break;
    case FloatByteOrder::Badc:
        bits = b1 << 24 | b0 << 16 | b3 << 8 | b2;
        break;
    case FloatByteOrder::Dcba:
        bits = b3 << 24 | b2 << 16 | b1 << 8 | b0;
        break;
    case FloatByteOrder::Abcd:
    default: // a code outside 0..3 reads as 0
        bits = b0 << 24 | b1 << 16 | b2 << 8 | b3;
        break;
    }
    return bits;
}

DecodedFloat decodeFloat(std::uint16_t w0, std::uint16_t w1, FloatByteOrder order) {
    const float value = std::bit_cast<float>(floatBits(w0, w1, order));
    // NaN fails every comparison, so test for plausibility rather than against it.
    if (!(value >= -kPlausibleLimit && value <= kPlausibleLimit))
        return {0.0f, true};
    return {value, false};
}

float floatFromWords(std::uint16_t hi, std::uint16_t lo) {
    return std::bit_cast<float>(decodeU32(hi, lo));
}

WordPair encodeFloat(float value) {
    return encodeU32(std::bit_cast<std::uint32_t>(value));
}

WordPair encodeFloat(float value, FloatByteOrder order) {
    const WordPair plain = encodeFloat(value);
    return encodeU32(floatBits(plain.first, plain.second, order));
}

WordPair encodeU32(std::uint32_t value) {
    return {static_cast<std::uint16_t>(value >> 16), static_cast<std::uint16_t>(value & 0xFFFF)};
}

std::string formatFixed4(float v) {
    return leftFixed(v, 11, 4, kTextBuffer);
}

std::string formatFixed2(float v) {
    return leftFixed(v, 5, 2, kTextBuffer);
}

std::string formatTotal(double v) {
    return leftFixed(v, 24, 4, kTotalBuffer);
}

std::string formatExp(float v) {
    std::string text;
    appendExponent(text, v, 0, 6, LetterCase::Upper);
    return cutToBuffer(std::move(text), kTextBuffer);
}

std::string formatHex32(std::uint32_t v) {
    std::string text = "0x";
    appendHex(text, v, 4);
    return text;
}

std::string formatHex16(std::uint16_t v) {
    std::string text = "0x";
    appendHex(text, v, 4, LetterCase::Upper);
    return text;
}

std::string formatUnsigned(std::uint32_t v) {
    std::string text;
    appendUnsigned(text, v);
    return text;
}

std::string formatHexGrouped(std::uint32_t v) {
    std::string digits;
    appendHex(digits, v, 1, LetterCase::Upper);
    if (digits.size() >= 5)
        digits.insert(digits.size() - 4, " ' ");
    return digits;
}

std::string_view trimBlanks(std::string_view text) {
    const auto begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

std::uint32_t parseUnsigned(std::string_view text) {
    const Scan scan = scanUnsigned(text, 10);
    if (!scan.converted)
        return 0;
    // Beyond 32 bits the number is not representable: give the largest value so that the
    // caller's range check rejects it instead of seeing a wrapped small number.
    if (!scan.negative && scan.value > std::numeric_limits<std::uint32_t>::max())
        return std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(scan.value);
}

std::uint16_t parseHex16(std::string_view text) {
    const Scan scan = scanUnsigned(text, 16);
    return scan.converted ? static_cast<std::uint16_t>(scan.value & 0xFFFF) : 0;
}

ParsedHex32 parseHex32(std::string_view text) {
    const Scan scan = scanUnsigned(text.substr(0, 32), 16);
    ParsedHex32 result;
    if (scan.endOfInput)
        return result;
    if (!scan.converted) {
        result.failed = true;
        return result;
    }
    result.value = static_cast<std::uint32_t>(scan.value);
    return result;
}

} // namespace flowcfg
