#pragma once
// The timing of a paced answer, as a real line gives it. The request occupies the line for its
// bytes' character times from its first byte on (a pty hands it over at once), the meter keeps
// 3.5 characters of silence after it, and answer byte n has crossed the line when its stop bit
// has: at answer start + (n + 1) character times. Every due time is absolute, counted from the
// request, so a late wake-up delays one write but none of the bytes after it: a reader that
// ends on the byte count sees the line time, not the sum of a sleeper's oversleeps.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

namespace flowcfg::sim {

// A point in time on any fixed origin (flowsim: the steady clock's).
using PaceTime = std::chrono::nanoseconds;

// When the meter saw a request's bytes arrive.
struct RequestSeen {
    PaceTime first{0}; // its first byte
    PaceTime last{0};  // its last byte
    std::size_t bytes = 0;
};

class AnswerSchedule {
public:
    // charTimeUs: one character on the meter's line (start, 8 data, parity, stop bits);
    // ready: when the meter had the answer (it cannot start before); delay: extra time before
    // the answer (a fault).
    AnswerSchedule(double charTimeUs, const RequestSeen& request, PaceTime ready,
                   PaceTime delay = PaceTime{0});

    // The first bit of the answer: once the request has crossed the line (or its last byte
    // was seen, if that was later) and 3.5 characters of silence have passed, but not before
    // the answer was ready; then the delay.
    PaceTime answerStart() const { return start_; }
    // When answer byte n (0-based) is complete at the receiver.
    PaceTime due(std::size_t n) const;

private:
    double charNs_;
    PaceTime start_;
};

// What sending needs from the world; flowsim's is the steady clock and the pty, tests' a fake.
class PaceLine {
public:
    virtual ~PaceLine() = default;
    virtual PaceTime now() = 0;
    virtual void sleepUntil(PaceTime t) = 0;
    // Writes all the bytes; false when the line is gone.
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
};

// Sends the answer on the schedule: waits until the next byte is due, then writes every byte
// that is due by then in one write. Returns false when a write failed (the rest is dropped, as
// on a line nobody listens to).
bool sendPaced(std::span<const std::uint8_t> answer, const AnswerSchedule& schedule,
               PaceLine& line);

} // namespace flowcfg::sim
