#pragma once
// CRC-16/MODBUS: initial 0xFFFF, reflected polynomial 0xA001, no final XOR; sent low byte
// first. crc16 of the ASCII bytes "123456789" is 0x4B37.

#include <cstdint>
#include <span>

namespace flowcfg {

std::uint16_t crc16(std::span<const std::uint8_t> bytes);

} // namespace flowcfg
