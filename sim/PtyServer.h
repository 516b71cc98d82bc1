#pragma once
// Serves a MeterSlave on the master side of a pseudo-terminal pair: frames requests by their
// length or by the silence after them, feeds the meter the steady clock, answers (optionally
// paced at the line's character time) and keeps serving when a master closes the device and
// another one opens it.

#include "sim/MeterSlave.h"

#include <atomic>
#include <cstdint>
#include <ostream>
#include <string>

namespace flowcfg::sim {

struct ServeOptions {
    bool pace = false;               // send answer bytes at the character time of the meter's line
    bool freezeTime = false;         // the meter's time stays at 0: fully predictable values
    bool checkLine = false;          // ignore requests when the device's speed or parity is not the
                                     // meter's (as a meter would hear noise)
    std::ostream* verbose = nullptr; // each request and answer in hex
};

class PtyServer {
public:
    // Opens the pair; throws std::runtime_error with the system's reason on failure.
    PtyServer();
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    const std::string& slavePath() const { return slavePath_; }

    // Serves until `stop` becomes true (checked at least every 200 ms, also while an answer is
    // delayed or paced out).
    void serve(MeterSlave& slave, const ServeOptions& options, const std::atomic<bool>& stop);

private:
    bool lineMatches(const Meter& meter) const;
    void answer(const SlaveReply& reply, const ServeOptions& options,
                const std::atomic<bool>& stop);

    int master_ = -1;
    int slave_ = -1; // kept open so the line settings persist between masters
    std::string slavePath_;
};

// "01 03 00 00" for the verbose log.
std::string hexBytes(std::span<const std::uint8_t> bytes);

} // namespace flowcfg::sim
