#pragma once
// Numbers typed into the pages' edit fields, parsed when a page is taken into the image, and
// the boxes that tell the user a field did not parse. Parsing never depends on the process
// locale: the decimal separator is always the point, so "1,5" is not a number.

#include "platform/Dialogs.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace flowcfg {

inline constexpr std::string_view kInputErrorCaption = "Ошибка ввода";
inline constexpr std::string_view kNoticeCaption = "Сообщение";
inline constexpr std::string_view kNothingWritten = "Запись данных не будет производиться.";

// What a field that did not parse says.
enum class InputMessage : std::uint8_t {
    Float, // the generic messages: box 1, then "Запись данных не будет производиться."
    Integer,
    LongInteger,
    FactoryNumber, // fields with a message of their own: box 1 only
    AnswerDelay,
    HardwareVersion,
    SoftwareVersion,
    PanelPassword,
};

std::string_view inputMessageText(InputMessage message);
// Box 1 ("Ошибка ввода", exclamation icon) and, for the generic messages, box 2 ("Сообщение",
// information icon).
void reportBadInput(Dialogs& dialogs, InputMessage message);

// Blanks around the text are ignored everywhere.
// A decimal number with "." as separator and an optional exponent, that a single holds
// (finite after rounding to single precision).
std::optional<float> parseFloatText(std::string_view text);
// A signed decimal integer (the integer and the long-integer fields alike); whether it fits
// the field is the take's check.
std::optional<std::int64_t> parseIntegerText(std::string_view text);
// A hexadecimal number with an optional "0x" prefix, as formatHex16 shows it, up to FFFF:
// a larger one does not fit the 16-bit field and is not cut to its low bits.
std::optional<std::uint16_t> parseHex16Text(std::string_view text);

// A signed decimal integer, or a hexadecimal one after "0x" or "$" ("0x1F", "$1f").
std::optional<std::int64_t> parseIntegerOrHexText(std::string_view text);

// The input filter of hexadecimal fields, for one typed text: hexadecimal digits upper-cased,
// everything else dropped. Typing "g" inserts nothing, typing "c" inserts "C".
std::string filterHexInput(std::string_view typed);

} // namespace flowcfg
