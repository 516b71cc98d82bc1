#pragma once
// Faults the meter shows on demand: no answer, a truncated answer, a corrupted CRC, an answer
// from another address, an exception answer, an extra delay before answering, or garbage in
// place of the answer. Each rule applies to every request, to the next K requests, to the
// requests that touch a register range, and/or with a probability drawn from a seeded
// generator, so a run can be reproduced.
//
// Text form (command line): KIND[:PARAM][@SCOPE[,SCOPE]...]
//   KIND   silent | truncate[:BYTES] | crc | address | exception:CODE | delay:MS |
//          garbage[:BYTES]
//   SCOPE  next=K | range=FIRST-LAST (registers, decimal or 0x hex) | p=PROBABILITY
// e.g. "crc@next=3", "exception:4@range=0x1000-0x10FF", "delay:1500@p=0.2".
// Every number is bounded (kFaultLimits): a text outside the bounds is refused with the
// reason, never clamped, so a typing error cannot make the simulator hang or run out of
// memory.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg::sim {

// Bounds of the fault parameters.
inline constexpr std::uint32_t kMaxTruncateBytes = 1029; // one less than the longest answer
inline constexpr std::uint32_t kMaxGarbageBytes = 4096;
inline constexpr std::uint32_t kMaxDelayMs = 60000;

// The bounds as flowsim --help states them.
inline constexpr const char* kFaultLimitsText =
    "truncate:0..1029 bytes kept (0 = half), garbage:0..4096 bytes (0 = the answer's length), "
    "delay:0..60000 ms, exception:1..255, next=1..4294967295, range=0..0xFFFF, p=0..1";

enum class FaultKind : std::uint8_t {
    Silent,
    Truncate,
    BadCrc,
    OtherAddress,
    Exception,
    Delay,
    Garbage
};

struct FaultRule {
    FaultKind kind = FaultKind::Silent;
    // Exception: the code; Delay: milliseconds; Truncate: bytes kept (0 = half the answer);
    // Garbage: bytes sent (0 = as many as the answer has).
    std::uint32_t param = 0;
    std::uint32_t remaining = 0; // 0: no limit; else the rule fires this many more times
    bool ranged = false;         // only requests touching registers first..last
    std::uint16_t first = 0, last = 0xFFFF;
    double probability = 1.0;
};

// What happens to one request.
struct FaultDecision {
    bool silent = false;
    std::uint8_t exception = 0;
    bool otherAddress = false;
    bool badCrc = false;
    bool truncate = false;
    std::uint32_t truncateTo = 0;
    bool garbage = false;
    std::uint32_t garbageBytes = 0;
    std::uint32_t delayMs = 0;
    bool any() const {
        return silent || exception || otherAddress || badCrc || truncate || garbage || delayMs;
    }
};

class FaultPlan {
public:
    explicit FaultPlan(std::uint64_t seed = 1) : state_(seed) {}

    void add(const FaultRule& rule) { rules_.push_back(rule); }
    void clear() { rules_.clear(); }
    void reseed(std::uint64_t seed) { state_ = seed; }
    const std::vector<FaultRule>& rules() const { return rules_; }

    // The faults that hit a request for registers [start, start + count); count 0 for a
    // request without a register range (the archive block), which ranged rules never hit.
    FaultDecision decide(std::uint16_t start, std::uint16_t count);

    // Reproducible noise.
    std::vector<std::uint8_t> randomBytes(std::size_t n);
    double uniform(); // [0, 1)

    // Parses the text form; on failure returns nothing and says why in `error`.
    static std::optional<FaultRule> parse(std::string_view text, std::string& error);

private:
    std::uint64_t next();
    std::vector<FaultRule> rules_;
    std::uint64_t state_;
};

} // namespace flowcfg::sim
