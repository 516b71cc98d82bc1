#include "model/RegisterType.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <system_error>

namespace flowcfg {

namespace {

// Most registers one write carries.
constexpr std::size_t kMaxTextWords = 123;

std::optional<FloatByteOrder> floatOrder(RegisterType type) {
    switch (type) {
    case RegisterType::FloatAbcd:
        return FloatByteOrder::Abcd;
    case RegisterType::FloatCdab:
        return FloatByteOrder::Cdab;
    case RegisterType::FloatBadc:
        return FloatByteOrder::Badc;
    case RegisterType::FloatDcba:
        return FloatByteOrder::Dcba;
    default:
        return std::nullopt;
    }
}

template <typename T> std::string shortest(T value) {
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return {buffer, r.ptr};
}

std::string textOf(std::span<const std::uint16_t> words) {
    std::string text;
    for (const std::uint16_t w : words)
        for (const auto b : {static_cast<unsigned char>(w >> 8), static_cast<unsigned char>(w)})
            text += b == 0 ? '\0' : (b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.');
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    std::ranges::replace(text, '\0', '.');
    return text;
}

// The whole text as a number of T in base; nullopt when anything is left over or out of range.
template <typename T> std::optional<T> wholeNumber(std::string_view text, int base = 10) {
    T value{};
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (r.ec != std::errc{} || r.ptr != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

bool hexPrefixed(std::string_view text) {
    return text.size() > 2 && text[0] == '0' && (text[1] | 0x20) == 'x';
}

// Decimal, or hexadecimal after 0x.
template <typename T> std::optional<T> decimalOrHex(std::string_view text) {
    return hexPrefixed(text) ? wholeNumber<T>(text.substr(2), 16) : wholeNumber<T>(text);
}

EncodedValue refused(std::string_view text, RegisterType type, std::string_view what) {
    return {.words = {},
            .error = "Значение \"" + std::string(text) + "\" не подходит к типу " +
                     std::string(registerTypeInfo(type).name) + ": " + std::string(what) + "."};
}

} // namespace

const RegisterTypeInfo& registerTypeInfo(RegisterType type) {
    return kRegisterTypes[static_cast<std::size_t>(type)];
}

std::optional<RegisterType> parseRegisterType(std::string_view name) {
    if (name == "float")
        return RegisterType::FloatAbcd;
    for (const RegisterTypeInfo& info : kRegisterTypes)
        if (info.name == name)
            return info.type;
    return std::nullopt;
}

std::string registerTypeNames() {
    std::string names;
    for (const RegisterTypeInfo& info : kRegisterTypes) {
        if (!names.empty())
            names += ", ";
        names += info.name;
    }
    return names;
}

std::string registerRangeProblem(RegisterType type, std::size_t count) {
    if (registerTypeInfo(type).words == 2 && count % 2 != 0)
        return "для типа " + std::string(registerTypeInfo(type).name) +
               " нужно четное число регистров";
    return {};
}

std::vector<TypedValue> decodeRegisters(RegisterType type, std::span<const std::uint16_t> words) {
    if (type == RegisterType::Text)
        return {{0, textOf(words)}};
    const std::size_t step = registerTypeInfo(type).words;
    std::vector<TypedValue> values;
    for (std::size_t k = 0; k + step <= words.size(); k += step) {
        const std::uint16_t w = words[k];
        std::string text;
        if (const auto order = floatOrder(type))
            text = shortest(std::bit_cast<float>(floatBits(w, words[k + 1], *order)));
        else if (type == RegisterType::U32)
            text = std::to_string(decodeU32(w, words[k + 1]));
        else if (type == RegisterType::S16)
            text = std::to_string(static_cast<std::int16_t>(w));
        else if (type == RegisterType::Hex)
            text = formatHex16(w);
        else
            text = std::to_string(w);
        values.push_back({k, std::move(text)});
    }
    return values;
}

EncodedValue encodeRegisters(RegisterType type, std::string_view typed) {
    if (type == RegisterType::Text) {
        if (typed.empty() || typed.size() > 2 * kMaxTextWords)
            return refused(typed, type, "от 1 до 246 знаков");
        if (!std::ranges::all_of(typed, [](char c) { return c >= 0x20 && c < 0x7F; }))
            return refused(typed, type, "только латинские буквы, цифры и знаки ASCII");
        EncodedValue out;
        for (std::size_t i = 0; i < typed.size(); i += 2) {
            const auto hi = static_cast<unsigned char>(typed[i]);
            const auto lo = i + 1 < typed.size() ? static_cast<unsigned char>(typed[i + 1]) : 0;
            out.words.push_back(static_cast<std::uint16_t>(hi << 8 | lo));
        }
        return out;
    }
    const std::string_view text = trimBlanks(typed);
    if (const auto order = floatOrder(type)) {
        const std::string_view digits = !text.empty() && text[0] == '+' ? text.substr(1) : text;
        float value = 0;
        const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (digits.empty() || r.ec != std::errc{} || r.ptr != digits.data() + digits.size() ||
            !std::isfinite(value))
            return refused(typed, type, "число с точкой, например 12.5 или -1.5e3");
        const WordPair pair = encodeFloat(value, *order);
        return {{pair.first, pair.second}, {}};
    }
    switch (type) {
    case RegisterType::U16:
        if (const auto v = decimalOrHex<std::uint16_t>(text))
            return {{*v}, {}};
        return refused(typed, type, "целое от 0 до 65535");
    case RegisterType::S16:
        if (const auto v = wholeNumber<std::int16_t>(text))
            return {{static_cast<std::uint16_t>(*v)}, {}};
        return refused(typed, type, "целое от -32768 до 32767");
    case RegisterType::Hex:
        if (const auto v =
                wholeNumber<std::uint16_t>(hexPrefixed(text) ? text.substr(2) : text, 16))
            return {{*v}, {}};
        return refused(typed, type, "шестнадцатеричное от 0 до FFFF");
    case RegisterType::U32:
        if (const auto v = decimalOrHex<std::uint32_t>(text)) {
            const WordPair pair = encodeU32(*v);
            return {{pair.first, pair.second}, {}};
        }
        return refused(typed, type, "целое от 0 до 4294967295");
    default:
        return refused(typed, type, "неизвестный тип");
    }
}

} // namespace flowcfg
