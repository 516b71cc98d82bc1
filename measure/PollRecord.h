#pragma once
// What one poll of the measurement page read, for the trend and the CSV recording: the time
// of the poll and each group that arrived intact (a success after repeats included, as the
// group's fields are then replaced). A group that failed or was not read is nullopt.

#include "link/ExchangeStatus.h"
#include "measure/MeasuredValues.h"
#include "platform/Clock.h"

#include <cstdint>
#include <optional>

namespace flowcfg {

struct PollRecord {
    LocalTime time;                // local wall-clock time at the start of the poll
    int utcOffsetMinutes = 0;      // of that local time
    std::uint64_t monotonicMs = 0; // the clock's monotonic count at the start of the poll
    ExchangeResult measuredResult;
    std::optional<MeasuredBlock> measured;
    std::optional<PrimaryFlow> primary;
    std::optional<OutputsBlock> outputs; // only when the outputs are read with every poll
};

// Milliseconds since 1970-01-01 00:00 UTC of a local time with its offset.
std::int64_t epochMsOf(const LocalTime& time, int utcOffsetMinutes);

} // namespace flowcfg
