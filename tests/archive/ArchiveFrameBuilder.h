#pragma once
// Builds archive frames and blocks byte by byte for the tests, independently of the decoder:
// integers big-endian, floats and doubles little-endian, checksum in byte 101.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace flowcfg::test {

class FrameBuilder {
public:
    FrameBuilder& u8(std::size_t at, std::uint8_t v) {
        bytes[at] = v;
        return *this;
    }
    FrameBuilder& be16(std::size_t at, std::uint16_t v) {
        bytes[at] = static_cast<std::uint8_t>(v >> 8);
        bytes[at + 1] = static_cast<std::uint8_t>(v);
        return *this;
    }
    FrameBuilder& be32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
        return *this;
    }
    FrameBuilder& f32(std::size_t at, float v) {
        const auto bits = std::bit_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (8 * i));
        return *this;
    }
    FrameBuilder& f64(std::size_t at, double v) {
        const auto bits = std::bit_cast<std::uint64_t>(v);
        for (int i = 0; i < 8; ++i)
            bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (8 * i));
        return *this;
    }
    // Byte 101 = sum of bytes 0..100.
    std::array<std::uint8_t, 102> sealed() const {
        auto out = bytes;
        unsigned sum = 0;
        for (std::size_t i = 0; i < 101; ++i)
            sum += out[i];
        out[101] = static_cast<std::uint8_t>(sum);
        return out;
    }

    std::array<std::uint8_t, 102> bytes{};
};

} // namespace flowcfg::test
