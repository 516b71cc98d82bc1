#include "FakeClock.h"

#include <ctime>

namespace flowcfg::test {

LocalTime FakeClock::now() const {
    std::tm tm{};
    tm.tm_year = base_.year - 1900;
    tm.tm_mon = base_.month - 1;
    tm.tm_mday = base_.day;
    tm.tm_hour = base_.hour;
    tm.tm_min = base_.minute;
    tm.tm_sec = base_.second;
    const std::uint64_t elapsed = ms_ - baseMs_ + static_cast<std::uint64_t>(base_.millisecond);
    tm.tm_sec += static_cast<int>(elapsed / 1000);
    timegm(&tm); // normalises the fields
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec, static_cast<int>(elapsed % 1000)};
}

void FakeClock::setLocalTime(const LocalTime& t) {
    base_ = t;
    baseMs_ = ms_;
}

void FakeEventPump::processEvents() {
    ++processCalls_;
    if (onEvents)
        onEvents();
}

void FakeEventPump::pauseMs(std::uint32_t ms, PauseTimer timer) {
    pauses_.push_back({ms, timer});
    clock_.advance(ms);
    processEvents();
}

} // namespace flowcfg::test
