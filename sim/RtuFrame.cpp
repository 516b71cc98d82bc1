#include "sim/RtuFrame.h"

#include "link/Crc16.h"

namespace flowcfg::sim {

bool crcValid(std::span<const std::uint8_t> frame) {
    if (frame.size() < 3)
        return false;
    const std::size_t n = frame.size();
    const std::uint16_t crc = crc16(frame.first(n - 2));
    return frame[n - 2] == (crc & 0xFF) && frame[n - 1] == (crc >> 8);
}

void appendCrc(std::vector<std::uint8_t>& frame) {
    const std::uint16_t crc = crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

std::size_t requestLength(std::span<const std::uint8_t> head) {
    if (head.size() < 2)
        return 0;
    switch (head[1]) {
    case kReadHolding:
    case kReadArchiveBlock:
        return 8;
    case kWriteMultiple:
        return head.size() < 7 ? 0 : 9 + std::size_t{head[6]};
    default:
        return 0;
    }
}

std::vector<std::uint8_t> exceptionAnswer(std::uint8_t address, std::uint8_t function,
                                          ModbusException code) {
    std::vector<std::uint8_t> out{address, static_cast<std::uint8_t>(function | 0x80),
                                  static_cast<std::uint8_t>(code)};
    appendCrc(out);
    return out;
}

} // namespace flowcfg::sim
