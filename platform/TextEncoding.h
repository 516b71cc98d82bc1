#pragma once
// Text encodings of settings files: files are UTF-8; files made by the Windows tools carry
// Windows-1251 text, which is recognised by not being valid UTF-8.

#include <string>
#include <string_view>

namespace flowcfg {

// True when text is well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool isValidUtf8(std::string_view text);

// Converts Windows-1251 bytes to UTF-8. The one unassigned byte (0x98) maps to U+0098, as the
// Windows converter does.
std::string cp1251ToUtf8(std::string_view text);

// The text as UTF-8: unchanged when it is valid UTF-8, otherwise decoded as Windows-1251.
std::string toUtf8(std::string_view text);

} // namespace flowcfg
