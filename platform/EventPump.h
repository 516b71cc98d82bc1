#pragma once
// The one-thread model: blocking exchanges let pending window messages run at fixed points,
// and pauses wait while messages keep running. The Qt pump runs the event loop; the test
// pump advances a fake clock, so tests never sleep.

#include <cstdint>

namespace flowcfg {

// The two pause timers of the transaction engine: one for the pause before a repeat and
// after writes, one for the pauses before and after reads.
enum class PauseTimer : std::uint8_t { AfterWrite, BeforeRead };

class EventPump {
public:
    virtual ~EventPump() = default;
    // Lets pending window messages run (timer ticks, clicks) and returns.
    virtual void processEvents() = 0;
    // Waits ms milliseconds while messages keep running.
    virtual void pauseMs(std::uint32_t ms, PauseTimer timer = PauseTimer::AfterWrite) = 0;
};

// For programs without a window: processEvents does nothing, pauseMs sleeps.
class BlockingEventPump final : public EventPump {
public:
    void processEvents() override {}
    void pauseMs(std::uint32_t ms, PauseTimer timer = PauseTimer::AfterWrite) override;
};

} // namespace flowcfg
