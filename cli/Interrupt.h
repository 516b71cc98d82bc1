#pragma once
// Ctrl-C on the command line: long commands stop cleanly at their next step instead of dying
// with what they hold.

#include <csignal>

namespace flowcfg {

// SIGINT sets the flag for the life of the object; the previous handler comes back after.
class InterruptFlag {
public:
    InterruptFlag();
    ~InterruptFlag();
    InterruptFlag(const InterruptFlag&) = delete;
    InterruptFlag& operator=(const InterruptFlag&) = delete;
    bool raised() const;
    // Sleeps ms in short slices; false when Ctrl-C came first.
    bool sleepMs(unsigned long ms) const;

private:
    struct sigaction previous_ {};
};

} // namespace flowcfg
