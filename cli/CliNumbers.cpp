#include "cli/CliNumbers.h"

#include "link/LinkSettings.h"
#include "platform/CFormat.h"

#include <algorithm>
#include <charconv>
#include <sstream>

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

// "1,3-5": addresses 1..247 and ranges of them, each once, in the order given.
std::vector<std::uint16_t> addressList(const std::string& text) {
    std::vector<std::uint16_t> out;
    std::stringstream items(text);
    std::string item;
    const auto bad = [&text](const std::string& why) {
        return UsageError("--addresses \"" + text + "\": " + why +
                          " (addresses 1..247, e.g. 1,3-5)");
    };
    while (std::getline(items, item, ',')) {
        const auto dash = item.find('-');
        const auto first = parseCliNumber(item.substr(0, dash));
        const auto last = dash == std::string::npos ? first : parseCliNumber(item.substr(dash + 1));
        if (!first || !last || *first < 1 || *last > 247 || *first > *last)
            throw bad("\"" + item + "\" is not an address or a range of them");
        for (auto a = *first; a <= *last; ++a) {
            if (std::ranges::find(out, a) != out.end())
                throw bad("address " + std::to_string(a) + " is named twice");
            out.push_back(static_cast<std::uint16_t>(a));
        }
    }
    if (out.empty() || text.back() == ',')
        throw bad("no address");
    return out;
}

std::uint16_t speedIndexOfBaud(std::string_view text, std::string_view what) {
    const std::uint64_t baud = cliNumber(text, 1, 1'000'000, what);
    for (std::uint16_t index = 3; index <= 10; ++index) {
        if (baudOfSpeedIndex(index) == baud)
            return index;
    }
    throw UsageError(std::string(what) + ": " + std::string(text) +
                     " is not one of 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200");
}

std::uint16_t parityOfLetter(std::string_view text, std::string_view what) {
    if (text == "N" || text == "n")
        return 0;
    if (text == "O" || text == "o")
        return 1;
    if (text == "E" || text == "e")
        return 2;
    throw UsageError(std::string(what) + ": \"" + std::string(text) + "\" is not N, O or E");
}

} // namespace flowcfg
