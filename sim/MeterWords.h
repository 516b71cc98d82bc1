#pragma once
// How the meter lays numbers into its 16-bit registers: 32-bit values high word first, IEEE
// singles in one of four byte orders (0 = high word first, as the parameter groups always
// use), doubles as four words from the most significant.

#include <array>
#include <bit>
#include <cstdint>

namespace flowcfg::sim {

// The two words of a single under a byte-order code 0..3 (any other code is taken as 0).
// Code 1 swaps the halves, code 2 swaps the bytes inside each half, code 3 does both.
inline std::array<std::uint16_t, 2> floatWords(float value, unsigned order = 0) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    auto hi = static_cast<std::uint16_t>(bits >> 16);
    auto lo = static_cast<std::uint16_t>(bits & 0xFFFF);
    const auto swapBytes = [](std::uint16_t w) {
        return static_cast<std::uint16_t>((w << 8) | (w >> 8));
    };
    switch (order) {
    case 1:
        return {lo, hi};
    case 2:
        return {swapBytes(hi), swapBytes(lo)};
    case 3:
        return {swapBytes(lo), swapBytes(hi)};
    default:
        return {hi, lo};
    }
}

// The single held by two words in byte order 0.
inline float floatFromWords(std::uint16_t hi, std::uint16_t lo) {
    return std::bit_cast<float>(std::uint32_t{hi} << 16 | lo);
}

inline std::array<std::uint16_t, 4> doubleWords(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    return {static_cast<std::uint16_t>(bits >> 48), static_cast<std::uint16_t>(bits >> 32),
            static_cast<std::uint16_t>(bits >> 16), static_cast<std::uint16_t>(bits)};
}

} // namespace flowcfg::sim
