#pragma once
// Modbus RTU framing as a slave sees it: the CRC check of a received frame, the length a
// request of a known function must have, and the building of answers with their CRC.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace flowcfg::sim {

inline constexpr std::uint8_t kReadHolding = 0x03;
inline constexpr std::uint8_t kWriteMultiple = 0x10;
inline constexpr std::uint8_t kReadArchiveBlock = 0x19;

// Modbus exception codes a slave answers with.
enum class ModbusException : std::uint8_t {
    None = 0,
    IllegalFunction = 1,
    IllegalDataAddress = 2,
    IllegalDataValue = 3,
    DeviceFailure = 4,
};

// True when the last two bytes are the CRC (low byte first) of the bytes before them.
bool crcValid(std::span<const std::uint8_t> frame);

// Appends the CRC of everything already in `frame`, low byte first.
void appendCrc(std::vector<std::uint8_t>& frame);

// The full length of the request that starts with these bytes, as far as its function code
// tells: 8 for FC3 and FC25, 9 + byte count for FC16 (known once 7 bytes are in). Returns 0
// while too few bytes are in to tell, and 0 for a function code the meter does not know:
// such frames end by the silence on the line.
std::size_t requestLength(std::span<const std::uint8_t> head);

// address, function | 0x80, code, CRC.
std::vector<std::uint8_t> exceptionAnswer(std::uint8_t address, std::uint8_t function,
                                          ModbusException code);

// Big-endian 16-bit word at `at` (high byte first, as on the wire).
inline std::uint16_t wordAt(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

inline void pushWord(std::vector<std::uint8_t>& out, std::uint16_t w) {
    out.push_back(static_cast<std::uint8_t>(w >> 8));
    out.push_back(static_cast<std::uint8_t>(w & 0xFF));
}

} // namespace flowcfg::sim
