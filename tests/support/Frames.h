#pragma once
// Frames as bytes on the line, for building requests and answers in tests.

#include "link/Crc16.h"

#include <cstdint>
#include <vector>

namespace flowcfg::test {

using Bytes = std::vector<std::uint8_t>;

// The bytes with their CRC appended, low byte first.
inline Bytes withCrc(Bytes bytes) {
    const std::uint16_t crc = crc16(bytes);
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    return bytes;
}

} // namespace flowcfg::test
