#include "app/ResponsiveSerialDevices.h"

#include "FakeClock.h"
#include "FakeSerialLine.h"

#include <deque>
#include <gtest/gtest.h>
#include <vector>

namespace flowcfg::test {
namespace {

struct ResponsiveFixture : ::testing::Test {
    FakeClock clock;
    FakeEventPump pump{clock};
    FakeSerialDevices inner;
    std::shared_ptr<FakeSerialLine> line = inner.add("/fake/tty");
    ResponsiveSerialDevices devices{inner, pump, clock};
    std::unique_ptr<SerialPort> port;

    void SetUp() override {
        line->clock = &clock;
        port = devices.open("/fake/tty").port;
        ASSERT_NE(port, nullptr);
        SerialTimeouts t;
        t.readInterval = 48;
        t.readTotalMultiplier = 48;
        t.readTotalConstant = 2000;
        port->setTimeouts(t);
    }
};

TEST_F(ResponsiveFixture, SilenceLetsEventsRunUntilTheTotalTimeout) {
    std::array<std::uint8_t, 8> buf{};
    const std::uint64_t start = clock.monotonicMs();
    EXPECT_EQ(port->read(buf), 0u);
    // 48 * 8 + 2000 ms, waited in 20 ms slices with events between them.
    EXPECT_EQ(clock.monotonicMs() - start, 2384u);
    EXPECT_GE(pump.processEventsCalls(), 100u);
    // The caller's timeouts are back on the port.
    EXPECT_EQ(line->timeouts.readTotalConstant, 2000u);
    EXPECT_EQ(line->timeouts.readInterval, 48u);
}

TEST_F(ResponsiveFixture, AnAnswerThatIsThereIsReadAtOnce) {
    line->rx = {1, 3, 2, 0, 7};
    std::array<std::uint8_t, 5> buf{};
    EXPECT_EQ(port->read(buf), 5u);
    EXPECT_EQ(buf, (std::array<std::uint8_t, 5>{1, 3, 2, 0, 7}));
    EXPECT_EQ(pump.processEventsCalls(), 0u);
}

TEST_F(ResponsiveFixture, BytesArrivingDuringTheWaitAreCollected) {
    int calls = 0;
    pump.onEvents = [&] {
        if (++calls == 10)
            line->rx = {0x01, 0x03}; // the answer starts arriving
    };
    std::array<std::uint8_t, 4> buf{};
    EXPECT_EQ(port->read(buf), 2u); // the rest never comes: the interval gap ends the read
    EXPECT_EQ(buf[0], 0x01);
    EXPECT_EQ(buf[1], 0x03);
    EXPECT_EQ(calls, 10);
}

TEST_F(ResponsiveFixture, TheRestOfAnAnswerEndsOneReadIntervalAfterItsLastByte) {
    std::uint64_t arrived = 0;
    int calls = 0;
    pump.onEvents = [&] {
        if (++calls == 10) {
            line->rx = {0x01, 0x03}; // two bytes of four, and then silence
            arrived = clock.monotonicMs();
        }
    };
    std::array<std::uint8_t, 4> buf{};
    EXPECT_EQ(port->read(buf), 2u);
    // The slice that took the bytes (20 ms), then the rest read under the caller's 48 ms
    // interval, not the slice's own timeouts.
    EXPECT_EQ(clock.monotonicMs() - arrived, 20u + 48u);
}

TEST_F(ResponsiveFixture, ReadUntilEndsAsSoonAsTheAnswerIsWholeInTheFirstBytesOrInTheRest) {
    using Bursts = std::deque<std::vector<std::uint8_t>>;
    const struct {
        Bursts bursts;                  // one a waiting read; {} hears nothing
        std::vector<std::uint8_t> kept; // still on the line after the read
    } cases[] = {
        {{{}, {}, {1, 3, 2, 0, 7, 9}}, {9}},     // whole within the first bytes
        {{{}, {1, 3}, {2, 0, 7, 9, 9}}, {9, 9}}, // whole within the rest
    };
    const auto fiveBytes = [](std::span<const std::uint8_t> in) { return in.size() == 5; };
    for (const auto& c : cases) {
        line->bursts = c.bursts;
        std::array<std::uint8_t, 8> buf{};
        EXPECT_EQ(port->readUntil(buf, fiveBytes), 5u);
        EXPECT_EQ((std::vector<std::uint8_t>(buf.begin(), buf.begin() + 5)),
                  (std::vector<std::uint8_t>{1, 3, 2, 0, 7}));
        EXPECT_EQ(std::vector<std::uint8_t>(line->rx.begin(), line->rx.end()), c.kept);
        line->rx.clear();
    }
}

TEST_F(ResponsiveFixture, AReopenDuringTheWaitEndsTheReadSafely) {
    pump.onEvents = [&] { port.reset(); }; // a handler closes the port
    std::array<std::uint8_t, 4> buf{};
    SerialPort* raw = port.get();
    EXPECT_EQ(raw->read(buf), 0u);
    EXPECT_EQ(port, nullptr);
    EXPECT_FALSE(line->open);
}

} // namespace
} // namespace flowcfg::test
