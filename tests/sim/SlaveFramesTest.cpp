// The slave's framing: what it answers, what it leaves unanswered, and the exception codes.

#include "link/Crc16.h"
#include "sim/MeterSlave.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace flowcfg::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes withCrc(Bytes frame) {
    const std::uint16_t crc = crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

Bytes readRequest(std::uint8_t address, std::uint16_t start, std::uint16_t count) {
    return withCrc({address, 0x03, static_cast<std::uint8_t>(start >> 8),
                    static_cast<std::uint8_t>(start), static_cast<std::uint8_t>(count >> 8),
                    static_cast<std::uint8_t>(count)});
}

Bytes writeRequest(std::uint8_t address, std::uint16_t start, const std::vector<std::uint16_t>& v) {
    Bytes f{address,
            0x10,
            static_cast<std::uint8_t>(start >> 8),
            static_cast<std::uint8_t>(start),
            0x00,
            static_cast<std::uint8_t>(v.size()),
            static_cast<std::uint8_t>(2 * v.size())};
    for (auto w : v) {
        f.push_back(static_cast<std::uint8_t>(w >> 8));
        f.push_back(static_cast<std::uint8_t>(w));
    }
    return withCrc(f);
}

TEST(SlaveFrames, ReadsTheBlinkWriteEchoAndPrimaryFlow) {
    sim::MeterSlave slave;
    // The blink write as the master sends it, byte for byte.
    const Bytes blink = {
        0x01,       // address
        0x10,       // write multiple registers
        0x04, 0x16, // start 0x0416
        0x00, 0x01, // one register
        0x02,       // byte count
        0x00, 0x01, // value 1
        0x20, 0xA6, // CRC
    };
    const Bytes echo = withCrc({0x01, 0x10, 0x04, 0x16, 0x00, 0x01});
    EXPECT_EQ(slave.handle(blink), echo);
    EXPECT_EQ(slave.meter().blinks(), 1U);

    const Bytes answer = slave.handle(readRequest(1, 0x0000, 4));
    ASSERT_EQ(answer.size(), 13U);
    EXPECT_EQ(answer[0], 0x01); // address
    EXPECT_EQ(answer[1], 0x03); // function
    EXPECT_EQ(answer[2], 8);    // byte count
    EXPECT_EQ(answer[3] << 8 | answer[4], slave.meter().reg(0x0000));
    EXPECT_EQ(answer[5] << 8 | answer[6], slave.meter().reg(0x0001));
    EXPECT_EQ(crc16(answer), 0); // CRC over a frame with its CRC is zero
}

TEST(SlaveFrames, ConfigurationWritesNeedTheUnlock) {
    sim::MeterSlave slave;
    const Bytes locked = slave.handle(writeRequest(1, 0x04F0, {1234}));
    EXPECT_EQ(locked, withCrc({0x01, 0x90, 0x04})); // exception 4: failure in the device
    EXPECT_EQ(slave.meter().reg(0x04F0), 0);
    slave.handle(writeRequest(1, 0x04FE, {1, 1}));
    EXPECT_EQ(slave.handle(writeRequest(1, 0x04F0, {1234})),
              withCrc({0x01, 0x10, 0x04, 0xF0, 0x00, 0x01}));
    EXPECT_EQ(slave.meter().reg(0x04F0), 1234);
}

} // namespace
} // namespace flowcfg::test
