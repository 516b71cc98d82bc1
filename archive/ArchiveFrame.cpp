#include "archive/ArchiveFrame.h"

#include <bit>

namespace flowcfg {

namespace {

std::uint16_t be16(ArchiveFrameBytes b, std::size_t at) {
    return static_cast<std::uint16_t>((b[at] << 8) | b[at + 1]);
}

std::uint32_t be32(ArchiveFrameBytes b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
           (std::uint32_t{b[at + 2]} << 8) | std::uint32_t{b[at + 3]};
}

std::uint32_t le32(ArchiveFrameBytes b, std::size_t at) {
    return std::uint32_t{b[at]} | (std::uint32_t{b[at + 1]} << 8) |
           (std::uint32_t{b[at + 2]} << 16) | (std::uint32_t{b[at + 3]} << 24);
}

float leFloat(ArchiveFrameBytes b, std::size_t at) {
    return std::bit_cast<float>(le32(b, at));
}

double leDouble(ArchiveFrameBytes b, std::size_t at) {
    const std::uint64_t bits = std::uint64_t{le32(b, at)} | (std::uint64_t{le32(b, at + 4)} << 32);
    return std::bit_cast<double>(bits);
}

} // namespace

std::uint8_t archiveFrameChecksum(ArchiveFrameBytes bytes) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < archiveFrameSize - 1; ++i)
        sum += bytes[i];
    return static_cast<std::uint8_t>(sum);
}

bool archiveFrameValid(ArchiveFrameBytes bytes) {
    return archiveFrameChecksum(bytes) == bytes[archiveFrameSize - 1];
}

ArchiveFrame decodeArchiveFrame(ArchiveFrameBytes b) {
    ArchiveFrame f;
    f.frame_num = be32(b, 0);
    f.hour = b[4];
    f.min = b[5];
    f.sec = b[6];
    f.day = b[7];
    f.month = b[8];
    f.year = b[9];
    f.flow = leFloat(b, 10);
    f.err_hi = be16(b, 14);
    f.err_lo = be16(b, 16);
    f.stat = be16(b, 18);
    f.f_out_1 = leFloat(b, 20);
    f.f_out_2 = leFloat(b, 24);
    f.i_out = leFloat(b, 28);
    f.d_out = be16(b, 32);
    f.sum_v = leDouble(b, 34);
    f.mod_v = leDouble(b, 42);
    f.forv_v = leDouble(b, 50);
    f.rev_v = leDouble(b, 58);
    f.min_flow = leFloat(b, 66);
    f.avr_flow = leFloat(b, 70);
    f.max_flow = leFloat(b, 74);
    f.flow_vel = leFloat(b, 78);
    f.vel_err = be16(b, 82);
    f.ext_p_kpa = leFloat(b, 84);
    f.ext_p_err = be16(b, 88);
    f.word90 = be16(b, 90);
    f.ext_t = leFloat(b, 92);
    f.ext_t_err = be16(b, 96);
    f.cs_rx = b[101];
    f.cs_acnt = archiveFrameChecksum(b);
    return f;
}

ArchiveFrameBytes archiveFrameAt(std::span<const std::uint8_t, 1024> block, std::size_t index) {
    return ArchiveFrameBytes(block.data() + index * archiveFrameSize, archiveFrameSize);
}

} // namespace flowcfg
