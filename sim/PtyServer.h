#pragma once
// Serves the meters of a MeterBus on the master side of a pseudo-terminal pair: frames
// requests by their length or by the silence after them, feeds the meters the steady clock,
// hands each frame to the bus with the line settings the master gave the device (read back
// with tcgetattr on the device: a pty carries bytes, not bit timing), answers (optionally paced
// as a real line would carry the exchange, see LinePace.h) and keeps serving when a master
// closes the device and another one opens it.

#include "sim/LinePace.h"
#include "sim/MeterBus.h"

#include <atomic>
#include <cstdint>
#include <ostream>
#include <string>

namespace flowcfg::sim {

struct ServeOptions {
    bool pace = false;               // send answers at the pace of the meter's line
    bool freezeTime = false;         // the meter's time stays at 0: fully predictable values
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
    void serve(MeterBus& bus, const ServeOptions& options, const std::atomic<bool>& stop);

    // The line settings the master has set on the device.
    MasterLine masterLine() const;

private:
    void answer(const SlaveReply& reply, const ServeOptions& options, const RequestSeen& request,
                const std::atomic<bool>& stop);

    int master_ = -1;
    int slave_ = -1; // kept open so the line settings persist between masters
    std::string slavePath_;
};

// "01 03 00 00" for the verbose log.
std::string hexBytes(std::span<const std::uint8_t> bytes);

} // namespace flowcfg::sim
