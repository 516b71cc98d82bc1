#pragma once
// Value texts of profile keys: integers in decimal, floats "%-11.4f" or "%-5.2f", strings as
// they are; floats read like a C "%E" scan. A float whose fixed text would not read back as
// the same single is written in the shortest exponent form that does ("3.9083E-03 "), so a
// configuration copied through a file arrives bit for bit. Never depends on the process
// locale.

#include "profiles/ProfileTables.h"

#include <string>
#include <string_view>

namespace flowcfg {

// A "%E" scan of the start of text (leading blanks, sign, decimal or 0x-hexadecimal digits,
// exponent, inf, nan); text that holds no number, or one out of range, gives 0.
float scanFloat(std::string_view text);

// The text a save writes for the value ref points to (a load writes it back too).
std::string profileValueText(ValueKind kind, const ProfileRef& ref);

// Stores what a load read: integers wrap to the member's width like the register they are;
// a float kept in an integer member is rounded and limited to the member's range.
void storeInteger(const ProfileRef& ref, std::int64_t value);
void storeFloat(const ProfileRef& ref, float value);
void storeText(const ProfileRef& ref, std::string text);

} // namespace flowcfg
