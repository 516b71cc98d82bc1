#pragma once
// The simulated meter behind COM1 on the in-process line (MeterOnLine), with the requests it
// served as (function, start, count) for comparing whole exchanges.

#include "MeterOnLine.h"

#include <cstdint>
#include <vector>

namespace flowcfg::test {

class MeterFixture : public MeterOnLine {
protected:
    struct Request {
        std::uint8_t function;
        std::uint16_t start;
        std::uint16_t count;
        bool operator==(const Request&) const = default;
    };
    // The requests the meter served, in order (function, start, count).
    std::vector<Request> served() const {
        std::vector<Request> out;
        for (const auto& r : slave->served())
            out.push_back({r.function, r.start, r.count});
        return out;
    }
};

} // namespace flowcfg::test
