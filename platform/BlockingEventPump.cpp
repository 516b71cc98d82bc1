#include "platform/EventPump.h"

#include <chrono>
#include <thread>

namespace flowcfg {

void BlockingEventPump::pauseMs(std::uint32_t ms, PauseTimer) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace flowcfg
