#pragma once
// The few printf conversions the archive export uses, written without the C library's
// printf so the output never depends on the process locale (the point is always the decimal
// separator) and is fast enough for 131,080 lines. Each appends to out exactly what printf
// in the "C" locale would print.

#include <cstdint>
#include <string>

namespace flowcfg {

// "%0<digits>u"
void appendUnsigned(std::string& out, std::uint32_t value, int minDigits = 1);
// "%0<digits>x" (lower case)
void appendHex(std::string& out, std::uint32_t value, int minDigits = 1);
// "%<width>.<precision>f"
void appendFixed(std::string& out, double value, int width, int precision);
// "%<width>.<precision>g"
void appendGeneral(std::string& out, double value, int width, int precision);

} // namespace flowcfg
