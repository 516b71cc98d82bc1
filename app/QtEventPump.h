#pragma once
// The window's event pump: blocking exchanges let pending Qt events run, and pauses wait in
// a local event loop, so timer ticks, clicks and repaints keep being handled meanwhile.

#include "platform/EventPump.h"

namespace flowcfg {

class QtEventPump final : public EventPump {
public:
    void processEvents() override;
    // A single-shot timer and a local event loop that runs until it fired.
    void pauseMs(std::uint32_t ms, PauseTimer timer = PauseTimer::AfterWrite) override;
};

} // namespace flowcfg
