#include "sim/LinePace.h"

#include <algorithm>
#include <cmath>

namespace flowcfg::sim {

namespace {

constexpr double kSilenceChars = 3.5;

PaceTime nanos(double ns) {
    return PaceTime{std::llround(ns)};
}

} // namespace

AnswerSchedule::AnswerSchedule(double charTimeUs, const RequestSeen& request, PaceTime ready,
                               PaceTime delay)
    : charNs_(charTimeUs * 1000.0) {
    const PaceTime requestEnd =
        std::max(request.first + nanos(charNs_ * static_cast<double>(request.bytes)), request.last);
    start_ = std::max(requestEnd + nanos(charNs_ * kSilenceChars), ready) + delay;
}

PaceTime AnswerSchedule::due(std::size_t n) const {
    return start_ + nanos(charNs_ * static_cast<double>(n + 1));
}

bool sendPaced(std::span<const std::uint8_t> answer, const AnswerSchedule& schedule,
               PaceLine& line) {
    std::size_t sent = 0;
    while (sent < answer.size()) {
        PaceTime now = line.now();
        if (now < schedule.due(sent)) {
            line.sleepUntil(schedule.due(sent));
            now = line.now();
        }
        std::size_t upTo = sent + 1; // the byte slept for is due even on a clock read early
        while (upTo < answer.size() && schedule.due(upTo) <= now)
            ++upTo;
        if (!line.write(answer.subspan(sent, upTo - sent)))
            return false;
        sent = upTo;
    }
    return true;
}

} // namespace flowcfg::sim
