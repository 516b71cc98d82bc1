#pragma once
// Which holding registers the meter has, which of them can be read and how each may be
// written. A read whose range leaves the readable registers, or a write whose range leaves
// the writable ones, is answered with "illegal data address", as the meter does; so is a read
// that touches a command register (commands act when written and hold nothing to read).

#include <cstdint>
#include <span>

namespace flowcfg::sim {

enum class Access : std::uint8_t {
    None,     // no such register
    ReadOnly, // measured values, counters, identity of the measuring module
    Config,   // a setting: written only while USERLOCK and CLBLOCK are lifted
    Command,  // an action on write (restart, volume reset, cleaning): also needs the unlock
    Open,     // written at any time: the blink command and the lock pair itself
};

struct RegisterArea {
    std::uint16_t start;
    std::uint16_t count;
    Access access;
    bool writeOnly = false; // a command: acts when written, holds nothing to read
};

// The meter's registers, in address order.
std::span<const RegisterArea> registerAreas();

// The access of one register (None when it is not the meter's).
Access accessOf(std::uint16_t address);

// True when every register of [start, start + count) is the meter's and can be read.
bool readableRange(std::uint32_t start, std::uint32_t count);

// True when every register of [start, start + count) is the meter's and can be written.
bool writableRange(std::uint32_t start, std::uint32_t count);

} // namespace flowcfg::sim
