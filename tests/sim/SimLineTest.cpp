// The meter on the in-process line: the master's port talks to it, its time is the fake
// clock's, and a late answer is lost the way the real driver would lose it.

#include "SimLine.h"

#include "SimFrames.h"

#include <array>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

Bytes exchange(SerialPort& port, const Bytes& request, std::size_t ask) {
    port.purge();
    port.write(request);
    Bytes answer(ask);
    answer.resize(port.read(answer));
    return answer;
}

TEST(SimLine, TheMeterAnswersThroughAFakePortOnTheFakeClock) {
    FakeClock clock;
    sim::MeterConfig config;
    config.archiveIntervalSec = 0;
    SimLine sim(clock, config);
    FakeSerialPort port(sim.line);
    port.setTimeouts({20, 2, 500, 0, 0});

    const Bytes answer = exchange(port, readRequest(1, 0x0000, 2), 9 + 2);
    ASSERT_EQ(answer.size(), 9U);
    EXPECT_EQ(answerWords(answer), sim.meter().regs(0x0000, 2));

    // The meter's totals follow the fake clock.
    const double before = sim.meter().volumeForward();
    clock.advance(3600 * 1000);
    exchange(port, readRequest(1, 0x011D, 4), 15);
    EXPECT_NEAR(sim.meter().volumeForward() - before, 12.5, 1.0);
    EXPECT_EQ(sim.meter().timeMs(), 3600 * 1000 + 20U); // plus the first read's interval gap
}

TEST(SimLine, TheMeterStartsAtTheFakeClocksTime) {
    FakeClock clock;
    clock.advance(5'000'000'000); // a clock that has run for weeks costs the meter nothing
    clock.setLocalTime({2025, 3, 4, 5, 6, 7, 0});
    SimLine sim(clock);
    EXPECT_EQ(sim.meter().regs(0x0420, 6), (std::vector<std::uint16_t>{2025, 3, 4, 5, 6, 7}));
    FakeSerialPort port(sim.line);
    port.setTimeouts({20, 2, 500, 0, 0});
    clock.advance(2000);
    EXPECT_EQ(answerWords(exchange(port, readRequest(1, 0x0425, 1), 9)),
              (std::vector<std::uint16_t>{9}));
}

TEST(SimLine, ADelayBeyondTheReadTimeoutLosesTheAnswer) {
    FakeClock clock;
    SimLine sim(clock);
    FakeSerialPort port(sim.line);
    port.setTimeouts({20, 2, 500, 0, 0}); // 2 x 11 + 500 = 522 ms for a 9-byte answer
    sim.faults().add({sim::FaultKind::Delay, 300, 1});
    std::uint64_t t0 = clock.monotonicMs();
    EXPECT_EQ(exchange(port, readRequest(1, 0x0100, 2), 11).size(), 9U);
    EXPECT_EQ(clock.monotonicMs() - t0, 300U + 20U); // the delay, then the interval gap

    sim.faults().add({sim::FaultKind::Delay, 900, 1});
    t0 = clock.monotonicMs();
    EXPECT_TRUE(exchange(port, readRequest(1, 0x0100, 2), 11).empty());
    EXPECT_EQ(clock.monotonicMs() - t0, 522U); // the whole read timeout
    EXPECT_EQ(exchange(port, readRequest(1, 0x0100, 2), 11).size(), 9U);
}

TEST(SimLine, PacingSpendsTheLineTime) {
    FakeClock clock;
    SimLine sim(clock, {}, {.paced = true});
    FakeSerialPort port(sim.line);
    port.setTimeouts({20, 2, 500, 0, 0});
    const std::uint64_t t0 = clock.monotonicMs();
    // 8 + 1030 characters of 10 bits at 19200 baud: 541 ms, then the interval gap.
    EXPECT_EQ(exchange(port, archiveRequest(1, 0), 1030).size(), 1030U);
    EXPECT_NEAR(static_cast<double>(clock.monotonicMs() - t0), 541, 2);
}

TEST(SimLine, WithTheLineCheckTheMasterMustFollowANetworkWrite) {
    FakeClock clock;
    SimLine sim(clock, {}, {.checkLine = true});
    FakeSerialPort port(sim.line);
    port.setTimeouts({20, 2, 500, 0, 0});
    port.setLine({9600, 8, Parity::None, StopBits::One});
    EXPECT_TRUE(exchange(port, readRequest(1, 0x0100, 2), 11).empty());
    port.setLine({19200, 8, Parity::None, StopBits::One});
    ASSERT_EQ(exchange(port, writeRequest(1, 0x04FE, {1, 1}), 8).size(), 8U);
    // Address 7, 57600 baud, odd parity; the answer still comes on the old line.
    ASSERT_EQ(exchange(port, writeRequest(1, 0x0408, {7, 9, 1}), 8).size(), 8U);
    EXPECT_TRUE(exchange(port, readRequest(7, 0x0408, 3), 11).empty());
    port.setLine({57600, 8, Parity::Odd, StopBits::One});
    EXPECT_EQ(answerWords(exchange(port, readRequest(7, 0x0408, 3), 13)),
              (std::vector<std::uint16_t>{7, 9, 1}));
}

} // namespace
} // namespace flowcfg::test
