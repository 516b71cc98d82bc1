#pragma once
// The printf conversions this tool prints numbers with, written without the C library's
// printf so the output never depends on the process locale (the point is always the decimal
// separator) and is fast enough for the 131,080 lines of an archive export. Each appends to
// out exactly what printf in the "C" locale would print.
//
// A width is printf's field width: the text is right-justified in it with spaces, and a
// negative width left-justifies it (printf's '-' flag, or a negative '*' argument). Text
// longer than the field is never cut.

#include <cstdint>
#include <string>

namespace flowcfg {

// Digits a-f or A-F, and for "%E" the exponent letter and INF / NAN.
enum class LetterCase { Lower, Upper };

// "%0<minDigits>u"
void appendUnsigned(std::string& out, std::uint32_t value, int minDigits = 1);
// "%0<minDigits>x", or "%0<minDigits>X" with LetterCase::Upper
void appendHex(std::string& out, std::uint32_t value, int minDigits = 1,
               LetterCase letters = LetterCase::Lower);
// "%<width>.<precision>f"
void appendFixed(std::string& out, double value, int width, int precision);
// "%<width>.<precision>g"
void appendGeneral(std::string& out, double value, int width, int precision);
// "%<width>.<precision>e", or "%<width>.<precision>E" with LetterCase::Upper
// (C's "%E" prints 1.5 as "1.500000E+00")
void appendExponent(std::string& out, double value, int width, int precision,
                    LetterCase letters = LetterCase::Lower);

} // namespace flowcfg
