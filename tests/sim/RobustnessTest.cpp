// Whatever arrives on the line, the slave either stays silent or answers a well-formed frame:
// random bytes, random frames with a good CRC, truncated requests and odd counts.

#include "SimFrames.h"
#include "sim/MeterSlave.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

// An answer is well-formed when it checks, comes from the meter and is either the function's
// own answer or an exception with a standard code.
void expectWellFormed(const Bytes& request, const Bytes& answer) {
    if (answer.empty())
        return;
    ASSERT_GE(answer.size(), 5U);
    EXPECT_EQ(crc16(answer), 0);
    EXPECT_EQ(answer[0], 1);
    if (answer[1] & 0x80) {
        EXPECT_EQ(answer[1], request[1] | 0x80);
        EXPECT_EQ(answer.size(), 5U);
        EXPECT_GE(answer[2], 1);
        EXPECT_LE(answer[2], 4);
        return;
    }
    EXPECT_EQ(answer[1], request[1]);
    if (answer[1] == 0x03)
        EXPECT_EQ(answer.size(), 5U + answer[2]);
    else if (answer[1] == 0x10)
        EXPECT_EQ(answer.size(), 8U);
    else
        EXPECT_EQ(answer.size(), 1030U);
}

TEST(Robustness, RandomInputNeverBreaksTheSlave) {
    sim::MeterSlave slave;
    sim::FaultPlan noise(7);
    ASSERT_EQ(slave.handle(writeRequest(1, 0x04FE, {1, 1})).size(), 8U);
    for (int i = 0; i < 20000; ++i) {
        const std::size_t n = noise.randomBytes(1)[0] % 40;
        Bytes frame = noise.randomBytes(n);
        if (i % 2 == 0 && n >= 2) { // half of them pass the CRC check and reach the parser
            frame.resize(n - 2);
            frame.insert(frame.begin(), {std::uint8_t{1}});
            const std::uint8_t functions[] = {0x03, 0x10, 0x19, 0x04, 0x83};
            if (frame.size() > 1)
                frame[1] = functions[frame[1] % 5];
            frame = withCrc(frame);
        }
        const Bytes answer = slave.handle(frame);
        expectWellFormed(frame, answer);
        if (HasFatalFailure() || HasFailure()) {
            ADD_FAILURE() << "after frame " << i;
            return;
        }
        // A random write may have moved the meter: bring it back to address 1.
        if (slave.meter().address() != 1) {
            slave.meter().setReg(0x0408, 1);
            slave.meter().setReg(0x04FE, 1);
            slave.meter().setReg(0x04FF, 1);
            ASSERT_EQ(slave.handle(writeRequest(slave.meter().address(), 0x0408, {1, 7, 0})).size(),
                      8U);
        }
    }
}

TEST(Robustness, TruncatedAndOversizedRequests) {
    sim::MeterSlave slave;
    const Bytes full = readRequest(1, 0x0100, 49);
    for (std::size_t n = 0; n < full.size(); ++n)
        EXPECT_TRUE(slave.handle(Bytes(full.begin(), full.begin() + n)).empty()) << n;
    // Truncated but with a CRC of its own: a malformed request.
    EXPECT_EQ(slave.handle(withCrc({0x01, 0x03, 0x01, 0x00})), exceptionFrame(1, 0x03, 3));
    EXPECT_EQ(slave.handle(withCrc({0x01, 0x10, 0x04, 0xFE, 0x00, 0x02})),
              exceptionFrame(1, 0x10, 3));
    EXPECT_EQ(slave.handle(withCrc({0x01, 0x19, 0x00})), exceptionFrame(1, 0x19, 3));
    // Counts in the high byte (0x0100 registers).
    EXPECT_EQ(slave.handle(withCrc({0x01, 0x03, 0x01, 0x00, 0x01, 0x00})),
              exceptionFrame(1, 0x03, 3));
    // 125 registers is the most a read may ask; the meter's groups decide whether they exist.
    EXPECT_EQ(slave.handle(readRequest(1, 0x7DFF, 125)), exceptionFrame(1, 0x03, 2));
    EXPECT_EQ(slave.handle(readRequest(1, 0x10A0, 58)).size(), 121U);
    // A write running past the end of a group.
    ASSERT_EQ(slave.handle(writeRequest(1, 0x04FE, {1, 1})).size(), 8U);
    EXPECT_EQ(slave.handle(writeRequest(1, 0x1099, {0, 0})), exceptionFrame(1, 0x10, 2));
    EXPECT_EQ(slave.handle(writeRequest(1, 0x1800, {3, 3})), exceptionFrame(1, 0x10, 2));
    EXPECT_EQ(slave.meter().reg(0x1800), 1);
}

} // namespace
} // namespace flowcfg::test
