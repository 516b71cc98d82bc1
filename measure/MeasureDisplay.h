#pragma once
// Painting the measurement page from the groups as read. No exchange happens here: the
// panel (MeasurePanel.h) calls these after its reads.

#include "measure/MeasureScreen.h"
#include "measure/MeasuredValues.h"

#include <cstdint>

namespace flowcfg {

// The exchange counters of the page: 16 bits each, wrapping from 65535 to 0.
struct PollCounters {
    std::uint16_t cycles = 0;
    std::uint16_t exchangeErrors = 0;
    std::uint16_t retries = 0;
    std::uint16_t measurementErrors = 0; // kept for the record; nothing counts it
};

// The counts of a long run (the command line, a soak) in 64 bits, added up from the steps of
// the page's counters between two polls, plus the polls whose reads failed.
struct PollTotals {
    std::uint64_t cycles = 0, exchangeErrors = 0, retries = 0, measurementErrors = 0;
    std::uint64_t failedPolls = 0;

    void add(const PollCounters& before, const PollCounters& after) {
        const auto step = [](std::uint16_t from, std::uint16_t to) {
            return static_cast<std::uint16_t>(to - from);
        };
        cycles += step(before.cycles, after.cycles);
        exchangeErrors += step(before.exchangeErrors, after.exchangeErrors);
        retries += step(before.retries, after.retries);
        measurementErrors += step(before.measurementErrors, after.measurementErrors);
    }
};

// Flow with its unit, the measurement state on the status line, the totals with their
// unit, the accumulation and operating times, and the volume state. A unit code the page
// does not know leaves its label as it was.
void showMeasured(MeasureScreen& screen, const MeasuredBlock& block);

// The primary converter's flow and status words; nothing is painted unless readClean.
void showPrimaryFlow(MeasureScreen& screen, const PrimaryFlow& primary, bool readClean);

// Current, the two frequencies (empty unless the output is in frequency mode), the current
// state and the two output modes; codes without a text leave theirs as it was.
void showOutputs(MeasureScreen& screen, const OutputsBlock& outputs);

// Cycles and exchange errors as plain decimal numbers.
void showCounters(MeasureScreen& screen, const PollCounters& counters);

// The status line after a read that was not clean.
void showExchangeError(MeasureScreen& screen);

} // namespace flowcfg
