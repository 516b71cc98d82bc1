#include "cli/Interrupt.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

namespace flowcfg {

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void onInterrupt(int) {
    g_interrupted.store(true);
}

} // namespace

InterruptFlag::InterruptFlag() {
    g_interrupted.store(false);
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &previous_);
}

InterruptFlag::~InterruptFlag() {
    sigaction(SIGINT, &previous_, nullptr);
}

bool InterruptFlag::raised() const {
    return g_interrupted.load();
}

bool InterruptFlag::sleepMs(unsigned long ms) const {
    constexpr unsigned long kSliceMs = 50;
    for (unsigned long waited = 0; waited < ms && !raised(); waited += kSliceMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(kSliceMs, ms - waited)));
    return !raised();
}

} // namespace flowcfg
