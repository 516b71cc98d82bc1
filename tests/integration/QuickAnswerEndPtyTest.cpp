// The quick answer end against flowsim pacing its answers on a real pty: whole answers end
// the read long before the interval timeout, damaged ones still wait for it and fail as with
// the specified end.

#include "FlowsimProcess.h"
#include "ScriptedDialogs.h"
#include "link/LinkContext.h"
#include "link/ModbusMaster.h"
#include "link/Ports.h"
#include "platform/PosixSerialPort.h"

#include <array>
#include <chrono>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

constexpr std::uint16_t kIntervalMs = 400;

TEST(QuickAnswerEndOverPty, WholeAnswersEndTheReadDamagedOnesStillWait) {
    // 115200 baud: a 49-register answer crosses the line in 9 ms.
    FlowsimProcess flowsim({"--freeze-time", "--pace", "--baud", "115200", "--fault",
                            "truncate@range=0x0000-0x0003", "--fault", "crc@range=0x0131-0x013B"});
    PosixSerialDevices devices;
    BlockingEventPump pump;
    SystemClock clock;
    ScriptedDialogs dialogs;
    LinkContext ctx(devices, pump, clock, dialogs);
    ctx.settings.UseLogFile = 0;
    ctx.settings.Number = 41;
    ctx.settings.portPaths[41] = flowsim.device();
    ctx.settings.speedIndex = 10;
    ctx.settings.Reask_val = 1;
    ctx.timeouts.RIT[7] = kIntervalMs;
    ASSERT_TRUE(openPort(ctx));

    std::array<std::uint16_t, 49> values{};
    const auto timedRead = [&](std::uint16_t start, std::uint8_t count, ExchangeResult& r) {
        const auto t0 = std::chrono::steady_clock::now();
        r = ModbusMaster(ctx).readHoldingRegisters(start, count, values);
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - t0)
            .count();
    };

    ctx.settings.QuickAnswerEnd = 1;
    ExchangeResult r;
    std::int64_t three = 0;
    for (int k = 0; k < 3; ++k) {
        three += timedRead(0x0100, 49, r);
        ASSERT_EQ(r, ExchangeResult{});
    }
    EXPECT_LT(three, kIntervalMs) << "three whole answers, not one interval timeout";

    // A truncated answer and one with a bad CRC: the same result in both modes, after the
    // interval timeout.
    for (const auto& [start, count] : {std::pair{0x0000, 4}, std::pair{0x0131, 11}}) {
        ExchangeResult results[2];
        for (const std::uint16_t quick : {0, 1}) {
            ctx.settings.QuickAnswerEnd = quick;
            EXPECT_GE(timedRead(static_cast<std::uint16_t>(start), static_cast<std::uint8_t>(count),
                                results[quick]),
                      kIntervalMs);
        }
        EXPECT_NE(results[1].status, 0) << start;
        EXPECT_EQ(results[0], results[1]) << start;
    }
}

} // namespace
} // namespace flowcfg::test
