#pragma once
// The export line of a frame as the meter's documentation writes it: printf formats in the
// "C" locale over the frame bytes decoded here, apart from the code under test.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <locale.h>
#include <span>
#include <string>

namespace flowcfg::test {

inline std::string referenceLine(std::span<const std::uint8_t, 102> b) {
    auto be16 = [&](std::size_t at) { return unsigned(b[at] << 8 | b[at + 1]); };
    auto le32 = [&](std::size_t at) {
        return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 |
               std::uint32_t(b[at + 2]) << 16 | std::uint32_t(b[at + 3]) << 24;
    };
    auto f = [&](std::size_t at) { return double(std::bit_cast<float>(le32(at))); };
    auto d = [&](std::size_t at) {
        return std::bit_cast<double>(std::uint64_t(le32(at)) | std::uint64_t(le32(at + 4)) << 32);
    };
    unsigned sum = 0;
    for (std::size_t i = 0; i < 101; ++i)
        sum += b[i];
    const unsigned frameNum =
        unsigned(b[0]) << 24 | unsigned(b[1]) << 16 | unsigned(b[2]) << 8 | b[3];

    const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    const locale_t previous = uselocale(c);
    char text[2048];
    std::snprintf(
        text, sizeof text,
        "frame_num %04u\t hour %02u\t min %02u\t sec %02u\t day %02u\t month %02u\t year %04u\t "
        " flow= %6.3f\t err_hi= %02x\t err_lo= %02x\t stat= %02x\t"
        " flow_vel= %6.3f\t vel_err= %02x\t d_out= %02x\t f_out_1= %3.1f\t f_out_2= %3.1f\t"
        " i_out= %3.2f\t sum_v= %8.3g\t mod_v= %8.3g\t forv_v= %8.3g\t rev_v= %8.3g\t"
        " max_flow= %6.3f\t min_flow= %6.3f\t avr_flow= %6.3f\t ext_p_kpa= %6.3f\t"
        " ext_p_err= %02x\t ext_t= %6.3f\t ext_t_err= %02x\t cs_rx %02u  cs_acnt %02u \r\n",
        frameNum, unsigned(b[4]), unsigned(b[5]), unsigned(b[6]), unsigned(b[7]), unsigned(b[8]),
        b[9] + 2000u, f(10), be16(14), be16(16), be16(18), f(78), be16(82), be16(32), f(20), f(24),
        f(28), d(34), d(42), d(50), d(58), f(74), f(66), f(70), f(84), be16(88), f(92), be16(96),
        unsigned(b[101]), sum & 0xFFu);
    uselocale(previous);
    freelocale(c);
    return text;
}

} // namespace flowcfg::test
