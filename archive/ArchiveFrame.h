#pragma once
// One archive record (кадр) as the meter stores it: 102 bytes, ten to a 1024-byte block at
// offsets 0, 102, ... 918 (bytes 1020..1023 of a block are unused). Integers are big-endian,
// floats and doubles little-endian IEEE 754. Byte 101 is the sum of bytes 0..100 modulo 256.

#include <cstddef>
#include <cstdint>
#include <span>

namespace flowcfg {

inline constexpr std::size_t archiveFrameSize = 102;
inline constexpr std::size_t framesPerArchiveBlock = 10;

struct ArchiveFrame {
    std::uint32_t frame_num = 0;
    std::uint8_t hour = 0, min = 0, sec = 0, day = 0, month = 0, year = 0; // year - 2000
    float flow = 0;
    std::uint16_t err_hi = 0, err_lo = 0, stat = 0;
    float f_out_1 = 0, f_out_2 = 0, i_out = 0;
    std::uint16_t d_out = 0;
    double sum_v = 0, mod_v = 0, forv_v = 0, rev_v = 0;
    float min_flow = 0, avr_flow = 0, max_flow = 0, flow_vel = 0;
    std::uint16_t vel_err = 0;
    float ext_p_kpa = 0;
    std::uint16_t ext_p_err = 0;
    std::uint16_t word90 = 0; // decoded, not exported
    float ext_t = 0;
    std::uint16_t ext_t_err = 0;
    std::uint8_t cs_rx = 0;   // stored checksum (byte 101)
    std::uint8_t cs_acnt = 0; // computed sum of bytes 0..100
};

using ArchiveFrameBytes = std::span<const std::uint8_t, archiveFrameSize>;

// Sum of bytes 0..100 modulo 256.
std::uint8_t archiveFrameChecksum(ArchiveFrameBytes bytes);
// True when byte 101 equals the sum: the frame is exported, otherwise skipped.
bool archiveFrameValid(ArchiveFrameBytes bytes);
ArchiveFrame decodeArchiveFrame(ArchiveFrameBytes bytes);

// The frame at index 0..9 of a block.
ArchiveFrameBytes archiveFrameAt(std::span<const std::uint8_t, 1024> block, std::size_t index);

} // namespace flowcfg
