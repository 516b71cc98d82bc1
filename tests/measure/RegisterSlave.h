#pragma once
// A minimal Modbus RTU slave for the panel tests: FC3 answers from a register map, FC16
// writes into it. A test can leave requests unanswered or answer them with an exception,
// which gives it exact control over the exchange status of every read.

#include "FakeSerialLine.h"
#include "Frames.h"

#include <cstdint>
#include <map>
#include <span>
#include <vector>

namespace flowcfg::test {

struct RegisterWrite {
    std::uint16_t start;
    std::vector<std::uint16_t> values;
    bool operator==(const RegisterWrite&) const = default;
};

class RegisterSlave {
public:
    std::map<std::uint16_t, std::uint16_t> regs;
    std::uint8_t address = 1;
    int dropNext = 0;                  // requests left unanswered
    std::uint8_t exceptionCode = 0;    // non-zero: every request answered with this exception
    std::vector<RegisterWrite> writes; // FC16 requests in order

    void set(std::uint16_t at, std::span<const std::uint16_t> words) {
        for (std::size_t i = 0; i < words.size(); ++i)
            regs[static_cast<std::uint16_t>(at + i)] = words[i];
    }

    std::vector<std::uint8_t> answer(std::span<const std::uint8_t> req) {
        if (dropNext > 0) {
            --dropNext;
            return {};
        }
        if (req.size() < 8 || req[0] != address)
            return {};
        const std::uint8_t fc = req[1];
        const auto start = static_cast<std::uint16_t>(req[2] << 8 | req[3]);
        const auto count = static_cast<std::uint16_t>(req[4] << 8 | req[5]);
        std::vector<std::uint8_t> out{address};
        if (exceptionCode != 0) {
            out.push_back(static_cast<std::uint8_t>(fc | 0x80));
            out.push_back(exceptionCode);
        } else if (fc == 3) {
            out.push_back(3);
            out.push_back(static_cast<std::uint8_t>(count * 2));
            for (std::uint16_t i = 0; i < count; ++i) {
                const std::uint16_t w = regs[static_cast<std::uint16_t>(start + i)];
                out.push_back(static_cast<std::uint8_t>(w >> 8));
                out.push_back(static_cast<std::uint8_t>(w & 0xFF));
            }
        } else if (fc == 16) {
            RegisterWrite w{start, {}};
            for (std::uint16_t i = 0; i < count; ++i) {
                const std::uint16_t v =
                    static_cast<std::uint16_t>(req[7 + 2 * i] << 8 | req[8 + 2 * i]);
                w.values.push_back(v);
                regs[static_cast<std::uint16_t>(start + i)] = v;
            }
            writes.push_back(w);
            out.insert(out.end(), req.begin() + 1, req.begin() + 6);
        } else {
            return {};
        }
        return withCrc(std::move(out));
    }

    Responder responder() {
        return [this](std::span<const std::uint8_t> req) { return answer(req); };
    }
};

// Start address and register count of an FC3 or FC16 request.
struct RequestHead {
    std::uint8_t function;
    std::uint16_t start;
    std::uint16_t count;
    bool operator==(const RequestHead&) const = default;
};

inline RequestHead headOf(const std::vector<std::uint8_t>& req) {
    return {req.at(1), static_cast<std::uint16_t>(req.at(2) << 8 | req.at(3)),
            static_cast<std::uint16_t>(req.at(4) << 8 | req.at(5))};
}

} // namespace flowcfg::test
