// The bus scan's time: a full scan (addresses 1..247 at the eight speeds and three parities)
// as computed from the per-try waits, and a real scan of a part of the range against flowsim
// pacing its answers, extrapolated to the full range. On a pty the request takes no time on the
// line, so the run is set beside the computed waits alone as well as beside the whole try.
//
//   build/bench/bench/scan_bench [ADDRESSES_MEASURED]   (default 20)

#include "FlowsimProcess.h"
#include "LineBench.h"
#include "config/BusScan.h"

#include <cstdio>
#include <cstdlib>

namespace {

using namespace flowcfg;
using namespace flowcfg::bench;

constexpr std::uint16_t kSpeedIndexes[] = {3, 4, 5, 6, 7, 8, 9, 10};
constexpr std::uint16_t kParities[] = {0, 1, 2};
constexpr const char* kParityNames[] = {"N", "O", "E"};

ScanChoices choices(std::uint16_t lastAddress) {
    ScanChoices c{{std::begin(kSpeedIndexes), std::end(kSpeedIndexes)},
                  {std::begin(kParities), std::end(kParities)},
                  {}};
    for (std::uint16_t a = 1; a <= lastAddress; ++a)
        c.addresses.push_back(a);
    return c;
}

} // namespace

int main(int argc, char** argv) {
    const auto measured = static_cast<std::uint16_t>(argc > 1 ? std::atoi(argv[1]) : 20);
    if (measured < 1 || measured > 247)
        fail("ADDRESSES_MEASURED: 1..247");
    LinkSettings s; // dev.dat's defaults: DELY 0, TimeGapPrg 0

    std::printf("per try (ms): request on the line + wait for the first byte\n");
    std::printf("%8s %4s %8s %6s %7s %10s\n", "baud", "par", "request", "wait", "try",
                "247 addr s");
    for (const std::uint16_t speed : kSpeedIndexes)
        for (const std::uint16_t parity : kParities) {
            s.speedIndex = speed;
            s.parity = parity;
            const double tryMs = scanTryMs(s);
            const std::uint32_t waitMs = scanTryWaitMs(s);
            std::printf("%8u %4s %8.2f %6u %7.2f %10.1f\n", baudOfSpeedIndex(speed),
                        kParityNames[parity], tryMs - waitMs, waitMs, tryMs, 247 * tryMs / 1000);
        }
    const double fullMs = static_cast<double>(scanEstimateMs(choices(247), s));
    double waitsOnlyMs = 0;
    for (const std::uint16_t speed : kSpeedIndexes)
        for (const std::uint16_t parity : kParities) {
            s.speedIndex = speed;
            s.parity = parity;
            waitsOnlyMs += 247.0 * scanTryWaitMs(s);
        }
    std::printf("\nfull scan 1..247 x 8 speeds x 3 parities = %zu tries: computed %.1f s "
                "(waits alone %.1f s)\n",
                choices(247).tries(), fullMs / 1000, waitsOnlyMs / 1000);

    // One meter on the line, at 19200 8N1, address 1: found once, its identity read at once.
    test::FlowsimProcess sim({"--pace", "--freeze-time", "--check-line"});
    if (sim.device().empty())
        fail("flowsim did not start");
    BenchLink link(sim.device(), 19200, true);
    BusScan scan(link.ctx(), choices(measured));
    const auto start = Stopwatch::now();
    const ScanEnd end = scan.run();
    const double ms = msSince(start);
    if (end != ScanEnd::Finished || scan.meters().size() != 1)
        fail("the scan did not find exactly the one meter");
    const double perAddress = ms / measured;
    std::printf("measured on a pty, addresses 1..%u (%zu tries, 1 meter found): %.1f s; "
                "extrapolated to 1..247: %.1f s\n",
                measured, choices(measured).tries(), ms / 1000, perAddress * 247 / 1000);
    std::printf("measured / computed waits: %.2f\n", ms / (waitsOnlyMs * measured / 247));
    return 0;
}
