#pragma once
// Several meters on one RS-485 line, each with its own registers, address, speed and parity.
//
// Every frame on the line reaches every meter. A meter whose speed, parity or character size
// differs from the master's samples the bits at the wrong times and receives garbage: it does
// not take the request and stays silent. Of the meters that hear a frame, the one it is
// addressed to answers; a broadcast (address 0) is taken by every meter that hears it and
// answered by none. When several meters answer one request (two meters at one address on one
// line), their drivers talk at once: the master receives the answers combined bit by bit, a 0
// from either driver winning, and since two meters never start on the same bit, a frame
// whose CRC fails.
//
// The bus does not see bits: it is told the master's line settings with each frame. On a
// pseudo-terminal those are the settings the master gave the device (PtyServer reads them
// back with tcgetattr); the bytes themselves arrive intact whatever the settings say.
//
//   MeterBus bus;
//   bus.add({.address = 1});
//   bus.add({.address = 2, .parity = 2, .position = 1});
//   const BusReply r = bus.respond(frame, {19200, 0}); // meter 1 answers, meter 2 hears noise

#include "sim/MeterSlave.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace flowcfg::sim {

// The master's side of the line: speed, parity (0 none, 1 odd, 2 even), data bits.
struct MasterLine {
    std::uint32_t baud = 19200;
    std::uint16_t parity = 0;
    unsigned dataBits = 8;
};

struct BusReply {
    SlaveReply answer;          // what goes back on the line (empty: silence)
    std::size_t heardBy = 0;    // meters that took the frame
    std::size_t answeredBy = 0; // meters that answered it (more than 1: a collision)
};

class MeterBus {
public:
    // With `checkLine` false every meter hears the master whatever its line settings (one
    // meter used without regard to the line); with it true a meter hears only its own line.
    explicit MeterBus(bool checkLine = true) : checkLine_(checkLine) {}

    // Puts a meter on the line; the reference stays valid as long as the bus.
    MeterSlave& add(const MeterConfig& config, std::uint64_t seed = 1);
    std::size_t size() const { return members_.size(); }
    MeterSlave& slave(std::size_t i) { return *members_[i].slave; }
    const MeterSlave& slave(std::size_t i) const { return *members_[i].slave; }
    bool checksLine() const { return checkLine_; }

    // True when the meter understands a master on `line`.
    bool hears(const Meter& meter, const MasterLine& line) const;

    // Moves every meter's time (see Meter::setTimeMs).
    void setTimeMs(std::uint64_t ms);

    // One frame as it came off the line from a master on `line`.
    BusReply respond(std::span<const std::uint8_t> frame, const MasterLine& line);

    // Frames meter i did not take because they came at another speed or parity.
    std::uint64_t unheardFrames(std::size_t i) const { return members_[i].unheard; }

private:
    struct Member {
        std::unique_ptr<MeterSlave> slave;
        std::uint64_t unheard = 0;
    };
    std::vector<Member> members_;
    bool checkLine_;
};

} // namespace flowcfg::sim
