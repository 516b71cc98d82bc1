#include "config/NumberInput.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace flowcfg {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A leading '+' is accepted like a '-'; from_chars itself takes only the minus.
std::string_view withoutPlus(std::string_view text) {
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+')
        text.remove_prefix(1);
    return text;
}

bool isGeneric(InputMessage message) {
    return message == InputMessage::Float || message == InputMessage::Integer ||
           message == InputMessage::LongInteger;
}

} // namespace

std::string_view inputMessageText(InputMessage message) {
    switch (message) {
    case InputMessage::Float:
        return "Вводимые данные не получается представить плавающим числом.";
    case InputMessage::Integer:
        return "Вводимые данные не получается представить целым числом.";
    case InputMessage::LongInteger:
        return "Вводимые данные не получается представить длинным целым числом.";
    case InputMessage::FactoryNumber:
        return "Вводимые данные заводского номера не получается представить целым числом.";
    case InputMessage::AnswerDelay:
        return "Вводимое время задержки не получается представить целым числом.";
    case InputMessage::HardwareVersion:
        return "Вводимые данные версии железа не получается представить целым числом.";
    case InputMessage::SoftwareVersion:
        return "Вводимые данные версии ПО не получается представить целым числом.";
    case InputMessage::PanelPassword:
        return "Вводимый пароль не получается представить целым числом.";
    }
    return {};
}

void reportBadInput(Dialogs& dialogs, InputMessage message) {
    dialogs.message(std::string(kInputErrorCaption), std::string(inputMessageText(message)),
                    DialogIcon::Exclamation);
    if (isGeneric(message))
        dialogs.message(std::string(kNoticeCaption), std::string(kNothingWritten),
                        DialogIcon::Information);
}

std::optional<float> parseFloatText(std::string_view text) {
    text = withoutPlus(trimmed(text));
    if (text.empty())
        return std::nullopt;
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    const auto single = static_cast<float>(value);
    if (!std::isfinite(single))
        return std::nullopt;
    return single;
}

std::optional<std::int64_t> parseIntegerText(std::string_view text) {
    text = withoutPlus(trimmed(text));
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, 10);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<std::uint16_t> parseHex16Text(std::string_view text) {
    text = trimmed(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, 16);
    if (text.empty() || !isHexDigit(text.front()) || ec != std::errc() || ptr != end ||
        value > 0xFFFF)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::optional<std::int64_t> parseIntegerOrHexText(std::string_view text) {
    text = trimmed(text);
    std::size_t prefix = 0;
    if (text.starts_with('$'))
        prefix = 1;
    else if (text.starts_with("0x") || text.starts_with("0X"))
        prefix = 2;
    if (prefix == 0)
        return parseIntegerText(text);
    text.remove_prefix(prefix);
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, 16);
    if (text.empty() || !isHexDigit(text.front()) || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::string filterHexInput(std::string_view typed) {
    std::string out;
    for (const char c : typed)
        if (isHexDigit(c))
            out += (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
    return out;
}

} // namespace flowcfg
