#pragma once
// Local wall-clock time with milliseconds, and a monotonic millisecond counter.

#include <cstdint>

namespace flowcfg {

struct LocalTime {
    int year = 2000; // four digits
    int month = 1;   // 1..12
    int day = 1;     // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() const = 0;
    virtual std::uint64_t monotonicMs() const = 0;
    // How far local time is ahead of UTC now, in minutes (negative west of Greenwich); 0 for
    // clocks that keep no zone.
    virtual int utcOffsetMinutes() const { return 0; }
};

// The operating system's clock.
class SystemClock final : public Clock {
public:
    LocalTime now() const override;
    std::uint64_t monotonicMs() const override;
    int utcOffsetMinutes() const override;
};

} // namespace flowcfg
