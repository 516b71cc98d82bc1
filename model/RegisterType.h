#pragma once
// How the register monitor and `flowcfg-cli read --type` take raw holding registers: as 16-bit
// unsigned or signed numbers, a hexadecimal word, a 32-bit number (high half in the lower
// register), an IEEE single in one of the four float byte orders of the value encodings, or
// text with two characters per word (high byte first). Decoding shows what the words hold:
// a float is not checked for plausibility here, so a NaN shows as "nan". Encoding takes what
// a user typed for one value and gives the words to write, or says why it cannot.

#include "model/Encodings.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg {

enum class RegisterType : std::uint8_t {
    U16,
    S16,
    Hex,
    U32,
    FloatAbcd,
    FloatCdab,
    FloatBadc,
    FloatDcba,
    Text,
};

struct RegisterTypeInfo {
    RegisterType type;
    std::string_view name;    // on the command line
    std::string_view caption; // in the window: the float orders as their selector items
    std::size_t words;        // of one value; 0: the whole range is one text
};

inline constexpr RegisterTypeInfo kRegisterTypes[] = {
    {RegisterType::U16, "u16", "u16", 1},
    {RegisterType::S16, "s16", "s16", 1},
    {RegisterType::Hex, "hex", "hex", 1},
    {RegisterType::U32, "u32", "u32", 2},
    {RegisterType::FloatAbcd, "float-abcd", "float 0 1 2 3", 2},
    {RegisterType::FloatCdab, "float-cdab", "float 2 3 0 1", 2},
    {RegisterType::FloatBadc, "float-badc", "float 1 0 3 2", 2},
    {RegisterType::FloatDcba, "float-dcba", "float 3 2 1 0", 2},
    {RegisterType::Text, "text", "text", 0},
};

const RegisterTypeInfo& registerTypeInfo(RegisterType type);
// A name of kRegisterTypes; "float" alone is float-abcd. nullopt for anything else.
std::optional<RegisterType> parseRegisterType(std::string_view name);
// The names, "u16, s16, ...", for help and messages.
std::string registerTypeNames();

// Why count registers from start cannot be read as this type (empty when they can): a count
// of 32-bit values must be even.
std::string registerRangeProblem(RegisterType type, std::size_t count);

struct TypedValue {
    std::size_t offset = 0; // of its first word in the range
    std::string text;
};
// The values of a range that registerRangeProblem accepts: one per value, or one text.
std::vector<TypedValue> decodeRegisters(RegisterType type, std::span<const std::uint16_t> words);

struct EncodedValue {
    std::vector<std::uint16_t> words;
    std::string error; // in Russian, for the user; words empty then
};
// The words of one value typed by the user: numbers in decimal (u16 and u32 also 0x-hex),
// hex with or without 0x, floats with the point; text in ASCII, two characters a word, an odd
// last character padded with a zero byte.
EncodedValue encodeRegisters(RegisterType type, std::string_view text);

} // namespace flowcfg
