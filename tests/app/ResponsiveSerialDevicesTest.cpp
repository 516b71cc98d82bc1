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

// A port that hands out one chunk of bytes per read, as a line delivers them in bursts; a read
// with nothing left waits out its total time.
class BurstPort final : public SerialPort {
public:
    BurstPort(std::deque<std::vector<std::uint8_t>>& bursts, FakeClock& clock)
        : bursts_(bursts), clock_(clock) {}
    void setLine(const LineSettings&) override {}
    void setTimeouts(const SerialTimeouts& t) override { timeouts_ = t; }
    void setQueueSizes(std::size_t, std::size_t) override {}
    void purge() override {}
    std::size_t write(std::span<const std::uint8_t> bytes) override { return bytes.size(); }
    std::size_t read(std::span<std::uint8_t> buffer) override {
        return readUntil(buffer, [](auto) { return false; });
    }
    // Takes the next burst byte by byte, stopping where complete holds; the rest stays.
    std::size_t readUntil(std::span<std::uint8_t> buffer, const AnswerComplete& complete) override {
        if (bursts_.empty() || bursts_.front().empty()) {
            if (!bursts_.empty())
                bursts_.pop_front();
            clock_.advance(timeouts_.readTotalConstant);
            return 0;
        }
        auto& burst = bursts_.front();
        std::size_t n = 0;
        while (n < buffer.size() && n < burst.size()) {
            buffer[n] = burst[n];
            if (complete(buffer.first(++n)))
                break;
        }
        burst.erase(burst.begin(), burst.begin() + static_cast<std::ptrdiff_t>(n));
        if (burst.empty())
            bursts_.pop_front();
        return n;
    }
    LineErrors fetchLineErrors() override { return {}; }
    void setRts(bool) override {}
    void setDtr(bool) override {}

private:
    std::deque<std::vector<std::uint8_t>>& bursts_;
    FakeClock& clock_;
    SerialTimeouts timeouts_;
};

class BurstDevices final : public SerialDevices {
public:
    BurstDevices(std::deque<std::vector<std::uint8_t>>& bursts, FakeClock& clock)
        : bursts_(bursts), clock_(clock) {}
    OpenResult open(const std::string&) override {
        return {std::make_unique<BurstPort>(bursts_, clock_), OpenError::None, {}};
    }

private:
    std::deque<std::vector<std::uint8_t>>& bursts_;
    FakeClock& clock_;
};

TEST(ResponsiveReadUntil, EndsAsSoonAsTheAnswerIsWholeInTheFirstBytesOrInTheRest) {
    using Bursts = std::deque<std::vector<std::uint8_t>>;
    struct Case {
        Bursts bursts;                  // {} is a silent slice
        std::vector<std::uint8_t> kept; // what the line still holds after the read
    };
    const Case cases[] = {
        {{{}, {}, {1, 3, 2, 0, 7, 9}}, {9}},     // whole within the first bytes
        {{{}, {1, 3}, {2, 0, 7, 9, 9}}, {9, 9}}, // whole within the rest
    };
    for (const Case& c : cases) {
        FakeClock clock;
        FakeEventPump pump{clock};
        Bursts bursts = c.bursts;
        BurstDevices inner(bursts, clock);
        ResponsiveSerialDevices devices{inner, pump, clock};
        const auto port = devices.open("/burst").port;
        port->setTimeouts({48, 48, 2000, 0, 0});
        std::array<std::uint8_t, 8> buf{};
        const auto fiveBytes = [](std::span<const std::uint8_t> in) { return in.size() == 5; };
        EXPECT_EQ(port->readUntil(buf, fiveBytes), 5u);
        EXPECT_EQ((std::vector<std::uint8_t>(buf.begin(), buf.begin() + 5)),
                  (std::vector<std::uint8_t>{1, 3, 2, 0, 7}));
        ASSERT_EQ(bursts.size(), 1u);
        EXPECT_EQ(bursts.front(), c.kept);
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
