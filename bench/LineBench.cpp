#include "LineBench.h"

#include "link/Ports.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace flowcfg::bench {

namespace {

constexpr std::uint16_t kBenchPort = 1;

std::uint16_t speedIndexOf(std::uint32_t baud) {
    for (std::uint16_t index = 3; index <= 10; ++index)
        if (baudOfSpeedIndex(index) == baud)
            return index;
    fail("no speed index for " + std::to_string(baud) + " baud");
}

} // namespace

const char* answerEndName(bool quick) {
    return quick ? "quick end" : "specified end";
}

double lineTimeMs(double chars, std::uint32_t baud) {
    return chars * 10.0 * 1000.0 / baud;
}

void openBenchLink(LinkContext& ctx, const std::string& device, std::uint32_t baud, bool quick) {
    LinkSettings& s = ctx.settings;
    s.UseLogFile = 0;
    s.Number = kBenchPort;
    s.portPaths[kBenchPort] = device;
    s.speedIndex = speedIndexOf(baud);
    s.QuickAnswerEnd = quick ? 1 : 0;
    if (!openPort(ctx, true))
        fail("cannot open " + device);
}

std::uint32_t prescribedWaitMs(const LinkContext& ctx) {
    const LinkSettings& s = ctx.settings;
    return s.QuickAnswerEnd == 1 ? frameSilenceMs(s)
                                 : ctx.timeouts.RIT[timeoutSlot(s.speedIndex)] + s.TimeGapPrg;
}

BenchLink::BenchLink(const std::string& device, std::uint32_t baud, bool quick)
    : ctx_(devices_, pump_, clock_, dialogs_) {
    openBenchLink(ctx_, device, baud, quick);
}

std::uint32_t BenchLink::prescribedWaitMs() const {
    return bench::prescribedWaitMs(ctx_);
}

double BenchLink::prescribedWaitAsSleptMs(int rounds) {
    SerialPort& port = *ctx_.port;
    port.purge();
    port.setTimeouts({0, 0, prescribedWaitMs(), 0, 0});
    std::array<std::uint8_t, 1> nothing{};
    std::vector<double> times;
    for (int k = 0; k < rounds; ++k) {
        const auto t0 = Stopwatch::now();
        if (port.read(nothing) != 0)
            fail("bytes on a quiet line");
        times.push_back(msSince(t0));
    }
    return median(times);
}

double msSince(Stopwatch::time_point start) {
    return std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count();
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void fail(const std::string& what) {
    std::cerr << "benchmark failed: " << what << '\n';
    std::exit(1);
}

} // namespace flowcfg::bench
