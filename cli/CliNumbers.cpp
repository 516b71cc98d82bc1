#include "cli/CliNumbers.h"

#include "platform/CFormat.h"

#include <charconv>

namespace flowcfg {

std::optional<std::uint64_t> parseCliNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.front() == '+' || text.front() == '-')
        return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::uint64_t cliNumber(std::string_view text, std::uint64_t min, std::uint64_t max,
                        std::string_view what) {
    const auto value = parseCliNumber(text);
    if (!value || *value < min || *value > max)
        throw UsageError(std::string(what) + ": \"" + std::string(text) +
                         "\" is not a number from " + std::to_string(min) + " to " +
                         std::to_string(max) + " (decimal or 0x-hex)");
    return *value;
}

std::string hexAndDecimal(std::uint32_t value, int hexDigits) {
    std::string out = "0x";
    appendHex(out, value, hexDigits, LetterCase::Upper);
    out += " (" + std::to_string(value) + ")";
    return out;
}

} // namespace flowcfg
