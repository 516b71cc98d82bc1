#pragma once
// Request frames as a master builds them, for the simulator's tests.

#include "Frames.h"

#include <cstdint>
#include <vector>

namespace flowcfg::test {

inline Bytes readRequest(std::uint8_t address, std::uint16_t start, std::uint16_t count) {
    return withCrc({address, 0x03, static_cast<std::uint8_t>(start >> 8),
                    static_cast<std::uint8_t>(start), static_cast<std::uint8_t>(count >> 8),
                    static_cast<std::uint8_t>(count)});
}

inline Bytes writeRequest(std::uint8_t address, std::uint16_t start,
                          const std::vector<std::uint16_t>& values) {
    Bytes f{address,
            0x10,
            static_cast<std::uint8_t>(start >> 8),
            static_cast<std::uint8_t>(start),
            static_cast<std::uint8_t>(values.size() >> 8),
            static_cast<std::uint8_t>(values.size()),
            static_cast<std::uint8_t>(2 * values.size())};
    for (const auto w : values) {
        f.push_back(static_cast<std::uint8_t>(w >> 8));
        f.push_back(static_cast<std::uint8_t>(w));
    }
    return withCrc(f);
}

inline Bytes archiveRequest(std::uint8_t address, std::uint32_t block) {
    return withCrc({address, 0x19, static_cast<std::uint8_t>(block >> 24),
                    static_cast<std::uint8_t>(block >> 16), static_cast<std::uint8_t>(block >> 8),
                    static_cast<std::uint8_t>(block)});
}

inline Bytes exceptionFrame(std::uint8_t address, std::uint8_t function, std::uint8_t code) {
    return withCrc({address, static_cast<std::uint8_t>(function | 0x80), code});
}

// Registers of an FC3 answer.
inline std::vector<std::uint16_t> answerWords(const Bytes& answer) {
    std::vector<std::uint16_t> w;
    for (std::size_t i = 3; i + 3 < answer.size(); i += 2)
        w.push_back(static_cast<std::uint16_t>(answer[i] << 8 | answer[i + 1]));
    return w;
}

} // namespace flowcfg::test
