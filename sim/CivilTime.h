#pragma once
// The meter's own calendar clock: a count of seconds that the meter turns into date and time
// (proleptic Gregorian, no time zone: the meter keeps whatever local time it was set to).

#include <cstdint>

namespace flowcfg::sim {

struct CivilTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
    bool operator==(const CivilTime&) const = default;
};

// Seconds since 1970-01-01 00:00:00 of the same clock.
std::int64_t toSeconds(const CivilTime& t);
CivilTime fromSeconds(std::int64_t seconds);

// True for a date and time the meter's clock can hold (years 2000..2099).
bool validCivil(const CivilTime& t);

} // namespace flowcfg::sim
