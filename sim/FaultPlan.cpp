#include "sim/FaultPlan.h"

#include <charconv>

namespace flowcfg::sim {

std::uint64_t FaultPlan::next() {
    // splitmix64: the same sequence for a seed on every platform.
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

double FaultPlan::uniform() {
    return static_cast<double>(next() >> 11) * 0x1.0p-53;
}

std::vector<std::uint8_t> FaultPlan::randomBytes(std::size_t n) {
    std::vector<std::uint8_t> out(n);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(next() >> 56);
    return out;
}

FaultDecision FaultPlan::decide(std::uint16_t start, std::uint16_t count) {
    FaultDecision d;
    for (auto& r : rules_) {
        if (r.ranged &&
            (count == 0 || start > r.last || std::uint32_t{start} + count - 1 < r.first))
            continue;
        if (r.probability < 1.0 && uniform() >= r.probability)
            continue;
        if (r.remaining != 0 && --r.remaining == 0)
            r.probability = 0; // spent: never fires again
        switch (r.kind) {
        case FaultKind::Silent:
            d.silent = true;
            break;
        case FaultKind::Exception:
            d.exception = static_cast<std::uint8_t>(r.param);
            break;
        case FaultKind::OtherAddress:
            d.otherAddress = true;
            break;
        case FaultKind::BadCrc:
            d.badCrc = true;
            break;
        case FaultKind::Truncate:
            d.truncate = true;
            d.truncateTo = r.param;
            break;
        case FaultKind::Garbage:
            d.garbage = true;
            d.garbageBytes = r.param;
            break;
        case FaultKind::Delay:
            d.delayMs += r.param;
            break;
        }
    }
    return d;
}

namespace {

bool parseNumber(std::string_view s, std::uint32_t& out) {
    int base = 10;
    if (s.starts_with("0x") || s.starts_with("0X")) {
        s.remove_prefix(2);
        base = 16;
    }
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out, base);
    return !s.empty() && r.ec == std::errc{} && r.ptr == s.data() + s.size();
}

enum class Param : std::uint8_t { None, Optional, Required };

struct KindName {
    std::string_view name;
    FaultKind kind;
    Param param;
    std::uint32_t min = 0, max = 0; // bounds of the parameter
    std::string_view example = {};
};
constexpr KindName kKinds[] = {
    {"silent", FaultKind::Silent, Param::None},
    {"truncate", FaultKind::Truncate, Param::Optional, 0, kMaxTruncateBytes},
    {"crc", FaultKind::BadCrc, Param::None},
    {"address", FaultKind::OtherAddress, Param::None},
    {"exception", FaultKind::Exception, Param::Required, 1, 255, ":4"},
    {"delay", FaultKind::Delay, Param::Required, 0, kMaxDelayMs, ":1500"},
    {"garbage", FaultKind::Garbage, Param::Optional, 0, kMaxGarbageBytes},
};

bool parseScope(std::string_view s, FaultRule& rule, std::string& error) {
    const auto eq = s.find('=');
    const std::string_view key = s.substr(0, eq);
    const std::string_view value = eq == std::string_view::npos ? "" : s.substr(eq + 1);
    if (key == "next") {
        if (!parseNumber(value, rule.remaining) || rule.remaining == 0) {
            error = "next= needs a positive count";
            return false;
        }
        return true;
    }
    if (key == "range") {
        const auto dash = value.find('-');
        std::uint32_t a = 0, b = 0;
        if (dash == std::string_view::npos || !parseNumber(value.substr(0, dash), a) ||
            !parseNumber(value.substr(dash + 1), b) || a > b || b > 0xFFFF) {
            error = "range= needs FIRST-LAST registers, 0..0xFFFF";
            return false;
        }
        rule.ranged = true;
        rule.first = static_cast<std::uint16_t>(a);
        rule.last = static_cast<std::uint16_t>(b);
        return true;
    }
    if (key == "p") {
        const auto r = std::from_chars(value.data(), value.data() + value.size(), rule.probability);
        // Written so that NaN fails too.
        if (value.empty() || r.ec != std::errc{} || r.ptr != value.data() + value.size() ||
            !(rule.probability >= 0 && rule.probability <= 1)) {
            error = "p= needs a probability between 0 and 1";
            return false;
        }
        return true;
    }
    error = "unknown scope '" + std::string(s) + "' (next=K, range=A-B, p=P)";
    return false;
}

} // namespace

std::optional<FaultRule> FaultPlan::parse(std::string_view text, std::string& error) {
    FaultRule rule;
    const auto at = text.find('@');
    std::string_view head = text.substr(0, at);
    const auto colon = head.find(':');
    const std::string_view name = head.substr(0, colon);
    const KindName* kind = nullptr;
    for (const auto& k : kKinds)
        if (k.name == name)
            kind = &k;
    if (!kind) {
        error = "unknown fault '" + std::string(name) +
                "' (silent, truncate, crc, address, exception, delay, garbage)";
        return std::nullopt;
    }
    rule.kind = kind->kind;
    if (colon != std::string_view::npos) {
        const std::string_view param = head.substr(colon + 1);
        if (kind->param == Param::None) {
            error = "fault '" + std::string(name) + "' takes no parameter";
            return std::nullopt;
        }
        if (!parseNumber(param, rule.param) || rule.param < kind->min || rule.param > kind->max) {
            error = "fault '" + std::string(name) + "' needs a parameter from " +
                    std::to_string(kind->min) + " to " + std::to_string(kind->max) + ", not " +
                    std::string(param);
            return std::nullopt;
        }
    } else if (kind->param == Param::Required) {
        error = "fault '" + std::string(name) + "' needs a parameter from " +
                std::to_string(kind->min) + " to " + std::to_string(kind->max) + ", e.g. " +
                std::string(name) + std::string(kind->example);
        return std::nullopt;
    }
    std::string_view scopes = at == std::string_view::npos ? "" : text.substr(at + 1);
    while (!scopes.empty()) {
        const auto comma = scopes.find(',');
        if (!parseScope(scopes.substr(0, comma), rule, error))
            return std::nullopt;
        scopes = comma == std::string_view::npos ? "" : scopes.substr(comma + 1);
    }
    return rule;
}

} // namespace flowcfg::sim
