#pragma once
// The meters flowsim puts on its line, as the command line names them.
//
//   "1,2,5-7"                              addresses 1, 2, 5, 6 and 7
//   "address=2,baud=9600,parity=even"      one meter; baud and parity default to the given
//                                          configuration's (baud 1200..115200, parity none,
//                                          odd or even)
//   "2:silent@next=3"                      a fault rule for the meter(s) at address 2

#include "sim/Meter.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg::sim {

// Addresses 1..247 and ranges of them, comma-separated; on failure nothing, and why in `error`.
std::optional<std::vector<std::uint8_t>> parseAddressList(std::string_view text,
                                                          std::string& error);

// One meter: `defaults` with the keys given; `address` is required.
std::optional<MeterConfig> parseMeterOption(std::string_view text, const MeterConfig& defaults,
                                            std::string& error);

// The parity code of "none", "odd" or "even"; nothing for another name.
std::optional<std::uint16_t> parityOf(std::string_view name);

// Empty when the meters can share a line; else why not: two meters at one address, speed and
// parity would answer every request of theirs together.
std::string checkBus(std::span<const MeterConfig> meters);

// "2:RULE" split at the first colon into the address and the fault rule's text.
std::optional<std::pair<std::uint8_t, std::string>> parseMeterFault(std::string_view text,
                                                                    std::string& error);

} // namespace flowcfg::sim
