#pragma once
// How register words become numbers and numbers become texts. Formatting never depends on
// the process locale: the decimal separator is always the point.

#include <cstdint>
#include <string>
#include <string_view>

namespace flowcfg {

// Which received byte is which byte of an IEEE single, most significant first:
// 0 "0 1 2 3", 1 "2 3 0 1", 2 "1 0 3 2", 3 "3 2 1 0". Any other code reads as 0.
enum class FloatByteOrder : std::uint8_t { Abcd = 0, Cdab = 1, Badc = 2, Dcba = 3 };
FloatByteOrder floatByteOrderFromCode(unsigned code);

struct DecodedFloat {
    float value = 0.0f;
    bool invalid = false; // NaN or |value| > 1e7: value is then 0
};

std::uint32_t decodeU32(std::uint16_t hi, std::uint16_t lo);
double decodeDouble(std::uint16_t w0, std::uint16_t w1, std::uint16_t w2, std::uint16_t w3,
                    bool skip = false);
DecodedFloat decodeFloat(std::uint16_t w0, std::uint16_t w1, FloatByteOrder order);
// The IEEE single's bit pattern the two words hold in that order, before any plausibility
// check (decodeFloat's first step).
std::uint32_t floatBits(std::uint16_t w0, std::uint16_t w1, FloatByteOrder order);
// The parameter groups: word[n] high half, no plausibility check.
float floatFromWords(std::uint16_t hi, std::uint16_t lo);

struct WordPair {
    std::uint16_t first;  // lower register
    std::uint16_t second; // next register
};
WordPair encodeFloat(float value); // code 0: high half first
// The two words that hold the single in that order (each order is its own inverse).
WordPair encodeFloat(float value, FloatByteOrder order);
WordPair encodeU32(std::uint32_t value); // high half first

std::string formatFixed4(float v);             // "%-11.4f"
std::string formatFixed2(float v);             // "%-5.2f"
std::string formatTotal(double v);             // "%-24.4f"
std::string formatExp(float v);                // "%-E"
std::string formatHex32(std::uint32_t v);      // "0x%04lx"
std::string formatHex16(std::uint16_t v);      // "0x%04X"
std::string formatUnsigned(std::uint32_t v);   // "%u"
std::string formatHexGrouped(std::uint32_t v); // "%X", last four digits set off by " ' "

// A text without the blanks around it: the padding of the left-justified formats, the
// leading blank of a screen's texts.
std::string_view trimBlanks(std::string_view text);

// Parsers scan the start of the text like C's scanf: leading blanks, an optional sign, digits
// (for hexadecimal an optional 0x), and stop at the first other character.
// "%u" scan; 0 when no number; a number beyond 32 bits gives 4294967295 (so that range checks
// reject it rather than see the wrapped low bits).
std::uint32_t parseUnsigned(std::string_view text);
std::uint16_t parseHex16(std::string_view text); // "%x" scan, low 16 bits; 0 when no number
struct ParsedHex32 {
    std::uint32_t value = 0;
    bool failed = false; // no hexadecimal digit; empty or blank text is not a failure (value 0)
};
// "%lx" scan of the first 32 characters; the value keeps the low 32 bits.
ParsedHex32 parseHex32(std::string_view text);

} // namespace flowcfg
