#pragma once
// Fake time for unit tests: a clock that only moves when told, and an event pump whose
// pauses advance it. Every pause is recorded so tests can check the pauses of an operation.

#include "platform/Clock.h"
#include "platform/EventPump.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace flowcfg::test {

class FakeClock final : public Clock {
public:
    LocalTime now() const override;
    std::uint64_t monotonicMs() const override { return ms_; }

    void advance(std::uint64_t ms) { ms_ += ms; }
    // Sets the wall-clock time that corresponds to the current monotonic time.
    void setLocalTime(const LocalTime& t);

private:
    std::uint64_t ms_ = 0;
    std::uint64_t baseMs_ = 0;
    LocalTime base_{2026, 12, 6, 17, 56, 20, 123};
};

struct RecordedPause {
    std::uint32_t ms;
    PauseTimer timer;
    bool operator==(const RecordedPause&) const = default;
};

class FakeEventPump final : public EventPump {
public:
    explicit FakeEventPump(FakeClock& clock) : clock_(clock) {}

    void processEvents() override;
    void pauseMs(std::uint32_t ms, PauseTimer timer = PauseTimer::AfterWrite) override;

    const std::vector<RecordedPause>& pauses() const { return pauses_; }
    void clearPauses() { pauses_.clear(); }
    std::uint64_t processEventsCalls() const { return processCalls_; }
    // Runs on every processEvents and pause: a test can click a button "during" an exchange.
    std::function<void()> onEvents;

private:
    FakeClock& clock_;
    std::vector<RecordedPause> pauses_;
    std::uint64_t processCalls_ = 0;
};

} // namespace flowcfg::test
