#pragma once
// The meter as a Modbus RTU slave: takes one request frame as it came off the line and
// returns the answer frame (empty when the meter stays silent).
//
//  - a frame whose CRC does not check, or that is too short, is not answered (as on a bus);
//  - a request for another address is ignored; address 0 is a broadcast: executed, not
//    answered;
//  - FC3 (read holding registers, 1..125), FC16 (write multiple registers, 1..123, byte count
//    = 2 x count), FC 0x19 (read one 1024-byte archive block by its 32-bit number); any other
//    function: exception 1; a range outside the meter's registers: exception 2; a bad count
//    or frame length: exception 3; a locked write: exception 4;
//  - FC 0x19 answers address, 0x19, 0x04, 0x00, the 1024 block bytes, CRC (1030 bytes);
//  - a network write takes effect after its own answer: the meter answers at the new address
//    from the next request on;
//  - the fault plan can damage, delay or drop answers.

#include "sim/FaultPlan.h"
#include "sim/Meter.h"

#include <cstdint>
#include <span>
#include <vector>

namespace flowcfg::sim {

struct ServedRequest {
    std::uint64_t timeMs = 0;
    std::uint8_t address = 0;
    std::uint8_t function = 0;
    std::uint16_t start = 0; // FC3 / FC16
    std::uint16_t count = 0; // FC3 / FC16
    std::uint32_t block = 0; // FC 0x19
    ModbusException exception = ModbusException::None;
    bool answered = false;
    bool faulted = false; // a fault rule hit this request
};

// What the slave did since it was made, for flowsim's summary and a soak's check: requests
// it took (good CRC, its address or a broadcast), answers made (a delayed one may still be
// cut short by a stop), and the faults that hit, by kind (a request can meet several).
struct SlaveCounts {
    std::uint64_t requests = 0, answered = 0, faulted = 0;
    std::uint64_t silent = 0, truncated = 0, badCrc = 0, otherAddress = 0, exception = 0,
                  delayed = 0, garbage = 0;
    std::uint64_t badFrames = 0, foreignFrames = 0;
    std::uint64_t writes = 0; // FC16 frames taken (own address or broadcast), faulted or not
};

struct SlaveReply {
    std::vector<std::uint8_t> bytes; // empty: no answer
    std::uint32_t delayMs = 0;       // extra delay before the first byte (fault)
    std::uint32_t baud = 19200;      // the line the answer goes out on
    std::uint16_t parity = 0;
};

// Time of one character on the line: start bit, 8 data bits, parity bit if any, stop bit.
inline double charTimeUs(std::uint32_t baud, std::uint16_t parity) {
    return (parity == 0 ? 10.0 : 11.0) * 1e6 / baud;
}

class MeterSlave {
public:
    explicit MeterSlave(const MeterConfig& config = {}, std::uint64_t seed = 1);

    Meter& meter() { return meter_; }
    const Meter& meter() const { return meter_; }
    FaultPlan& faults() { return faults_; }

    std::vector<std::uint8_t> handle(std::span<const std::uint8_t> request) {
        return respond(request).bytes;
    }
    SlaveReply respond(std::span<const std::uint8_t> request);

    // Requests addressed to the meter (or broadcast) with a good CRC, oldest first; the last
    // 100000 are kept.
    const std::vector<ServedRequest>& served() const { return served_; }
    void clearServed() { served_.clear(); }
    // Frames dropped for a bad CRC or length, frames for other addresses, and requests
    // answered (all of them, however many served() still keeps).
    std::uint64_t badFrames() const { return counts_.badFrames; }
    std::uint64_t foreignFrames() const { return counts_.foreignFrames; }
    std::uint64_t answeredCount() const { return counts_.answered; }
    // Everything counted, faults by kind included.
    const SlaveCounts& counts() const { return counts_; }

private:
    std::vector<std::uint8_t> execute(std::span<const std::uint8_t> frame, ServedRequest& info);
    void record(const ServedRequest& info);
    void count(const FaultDecision& fault);

    Meter meter_;
    FaultPlan faults_;
    std::vector<ServedRequest> served_;
    SlaveCounts counts_;
};

} // namespace flowcfg::sim
