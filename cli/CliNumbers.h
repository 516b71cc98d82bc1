#pragma once
// Numbers on the command line: decimal or 0x-hexadecimal, no sign, nothing after the digits.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg {

// A command line that cannot be carried out as written: exit code 1 with the message.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::optional<std::uint64_t> parseCliNumber(std::string_view text);

// parseCliNumber within [min, max]; otherwise UsageError naming what was wrong.
std::uint64_t cliNumber(std::string_view text, std::uint64_t min, std::uint64_t max,
                        std::string_view what);

// A speed in baud (1200..115200) as its speed index 3..10, and a parity letter N, O or E (either
// case) as its code 0..2; UsageError naming the option `what` otherwise.
std::uint16_t speedIndexOfBaud(std::string_view text, std::string_view what);
std::uint16_t parityOfLetter(std::string_view text, std::string_view what);

// --addresses "1,3-5": addresses 1..247 and ranges of them, each once, in the order given;
// UsageError naming what is wrong.
std::vector<std::uint16_t> addressList(const std::string& text);

// "0x0100 (256)": the way registers and values are printed.
std::string hexAndDecimal(std::uint32_t value, int hexDigits = 4);

} // namespace flowcfg
