#include "measure/PollRecord.h"

#include <chrono>

namespace flowcfg {

std::int64_t epochMsOf(const LocalTime& t, int utcOffsetMinutes) {
    using namespace std::chrono;
    const sys_days day = year{t.year} / month{static_cast<unsigned>(t.month)} /
                         std::chrono::day{static_cast<unsigned>(t.day)};
    const auto local =
        day + hours{t.hour} + minutes{t.minute} + seconds{t.second} + milliseconds{t.millisecond};
    return duration_cast<milliseconds>(local.time_since_epoch() - minutes{utcOffsetMinutes})
        .count();
}

} // namespace flowcfg
