#pragma once
// What the line benchmarks share: the master's link on a flowsim pty (the real POSIX port, a
// blocking pump, the system clock, console dialogs; no exchange log), the two answer ends,
// line times and the printing. flowsim itself runs as a child process (FlowsimProcess).

#include "cli/ConsoleDialogs.h"
#include "link/LinkContext.h"
#include "platform/EventPump.h"
#include "platform/PosixSerialPort.h"

#include <chrono>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

namespace flowcfg::bench {

// The specified end (the interval timeout after the answer) and the quick end.
inline constexpr bool kAnswerEnds[] = {false, true};
const char* answerEndName(bool quick);

// Time of `chars` characters of 10 bits (start, 8 data, stop) at `baud`, in ms.
double lineTimeMs(double chars, std::uint32_t baud);

// Sets the link to flowsim's device at `baud` (and so its timeouts) with the chosen answer
// end, no exchange log, and opens it.
void openBenchLink(LinkContext& ctx, const std::string& device, std::uint32_t baud, bool quick);
// What the link's answer end waits by rule after a whole answer: the interval timeout, or
// 3.5 characters of silence.
std::uint32_t prescribedWaitMs(const LinkContext& ctx);

// The link on flowsim's device, opened; `baud` sets the speed (and so the timeouts).
class BenchLink {
public:
    BenchLink(const std::string& device, std::uint32_t baud, bool quick);
    BenchLink(const BenchLink&) = delete;
    BenchLink& operator=(const BenchLink&) = delete;
    LinkContext& ctx() { return ctx_; }
    // What the chosen end waits by rule after a whole FC3 answer: the interval timeout, or
    // 3.5 characters of silence.
    std::uint32_t prescribedWaitMs() const;
    // The same wait as the system delivers it: a read that nothing answers, ended by a total
    // timeout of prescribedWaitMs() (median of `rounds`; the port keeps no other timeouts).
    double prescribedWaitAsSleptMs(int rounds);

private:
    PosixSerialDevices devices_;
    BlockingEventPump pump_;
    SystemClock clock_;
    ConsoleDialogs dialogs_{std::cerr, std::cin, true, false};
    LinkContext ctx_;
};

using Stopwatch = std::chrono::steady_clock;
double msSince(Stopwatch::time_point start);
double median(std::vector<double> values);

// Ends the program with a message when a step of the benchmark failed.
[[noreturn]] void fail(const std::string& what);

} // namespace flowcfg::bench
