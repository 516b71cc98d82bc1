// The slave's framing: what it answers, what it leaves unanswered, and the exception codes.

#include "SimFrames.h"
#include "sim/MeterSlave.h"
#include "sim/RtuFrame.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

void unlock(sim::MeterSlave& slave, std::uint8_t address = 1) {
    ASSERT_EQ(slave.handle(writeRequest(address, 0x04FE, {1, 1})).size(), 8U);
}

TEST(SlaveFrames, AnswersTheBlinkAndAReadByteForByte) {
    sim::MeterSlave slave;
    const Bytes blink = {
        0x01,       // address
        0x10,       // write multiple registers
        0x04, 0x16, // start 0x0416
        0x00, 0x01, // one register
        0x02,       // byte count
        0x00, 0x01, // value 1
        0x20, 0xA6, // CRC
    };
    EXPECT_EQ(slave.handle(blink), withCrc({
                                       0x01,       // address
                                       0x10,       // function
                                       0x04, 0x16, // start
                                       0x00, 0x01, // count
                                   }));
    EXPECT_EQ(slave.meter().blinks(), 1U);

    const Bytes answer = slave.handle(readRequest(1, 0x0000, 4));
    ASSERT_EQ(answer.size(), 13U);
    EXPECT_EQ(answer[0], 0x01); // address
    EXPECT_EQ(answer[1], 0x03); // function
    EXPECT_EQ(answer[2], 8);    // byte count
    EXPECT_EQ(answerWords(answer), slave.meter().regs(0x0000, 4));
    EXPECT_EQ(crc16(answer), 0); // a frame followed by its CRC sums to zero

    ASSERT_EQ(slave.served().size(), 2U);
    EXPECT_EQ(slave.served()[1].function, 0x03);
    EXPECT_EQ(slave.served()[1].start, 0x0000);
    EXPECT_EQ(slave.served()[1].count, 4);
    EXPECT_TRUE(slave.served()[1].answered);
}

TEST(SlaveFrames, StaysSilentForBadCrcOtherAddressesAndBroadcasts) {
    sim::MeterSlave slave;
    Bytes bad = readRequest(1, 0x0100, 2);
    bad.back() ^= 0x01;
    EXPECT_TRUE(slave.handle(bad).empty());
    EXPECT_TRUE(slave.handle(Bytes{0x01, 0x03}).empty());
    EXPECT_TRUE(slave.handle(Bytes{}).empty());
    EXPECT_EQ(slave.badFrames(), 3U);

    EXPECT_TRUE(slave.handle(readRequest(2, 0x0100, 2)).empty());
    EXPECT_EQ(slave.foreignFrames(), 1U);

    // A broadcast is executed and not answered.
    EXPECT_TRUE(slave.handle(writeRequest(0, 0x0416, {1})).empty());
    EXPECT_EQ(slave.meter().blinks(), 1U);
    EXPECT_TRUE(slave.handle(readRequest(0, 0x0100, 2)).empty());
    ASSERT_EQ(slave.served().size(), 2U);
    EXPECT_FALSE(slave.served()[0].answered);
}

TEST(SlaveFrames, AnswersStandardExceptions) {
    sim::MeterSlave slave;
    // Unknown function.
    EXPECT_EQ(slave.handle(withCrc({0x01, 0x04, 0x00, 0x00, 0x00, 0x01})),
              exceptionFrame(1, 0x04, 1));
    // Counts: 0 and above 125 for reads, above 123 for writes.
    EXPECT_EQ(slave.handle(readRequest(1, 0x0100, 0)), exceptionFrame(1, 0x03, 3));
    EXPECT_EQ(slave.handle(readRequest(1, 0x0100, 126)), exceptionFrame(1, 0x03, 3));
    EXPECT_EQ(slave.handle(writeRequest(1, 0x10A0, std::vector<std::uint16_t>(124, 0))),
              exceptionFrame(1, 0x10, 3));
    // A byte count that does not match the register count.
    Bytes mismatch = writeRequest(1, 0x04FE, {1, 1});
    mismatch.resize(mismatch.size() - 2);
    mismatch[6] = 3;
    EXPECT_EQ(slave.handle(withCrc(mismatch)), exceptionFrame(1, 0x10, 3));
    // An FC3 frame with a byte too many.
    EXPECT_EQ(slave.handle(withCrc({0x01, 0x03, 0x01, 0x00, 0x00, 0x02, 0x00})),
              exceptionFrame(1, 0x03, 3));

    // Ranges: inside the groups, across a hole, past the end of a group.
    EXPECT_EQ(slave.handle(readRequest(1, 0x0100, 60)).size(), 125U); // measured + outputs
    EXPECT_EQ(slave.handle(readRequest(1, 0x7DFF, 81)).size(), 167U); // coefficients
    EXPECT_EQ(slave.handle(readRequest(1, 0x0130, 20)), exceptionFrame(1, 0x03, 2));
    EXPECT_EQ(slave.handle(readRequest(1, 0x7E40, 17)), exceptionFrame(1, 0x03, 2));
    EXPECT_EQ(slave.handle(readRequest(1, 0x3000, 1)), exceptionFrame(1, 0x03, 2));
    EXPECT_EQ(slave.handle(readRequest(1, 0xFFFF, 2)), exceptionFrame(1, 0x03, 2));
    for (const std::uint16_t start :
         {0x0000, 0x0200, 0x0400, 0x0420, 0x0500, 0x0510, 0x0540, 0x1000, 0x103B, 0x10A0, 0x1500,
          0x1700, 0x1900, 0x5008, 0x5506})
        EXPECT_EQ(slave.handle(readRequest(1, start, 2)).size(), 9U) << std::hex << start;

    // Writes: a read-only register, past the end of a group, a locked setting.
    EXPECT_EQ(slave.handle(writeRequest(1, 0x0100, {1})), exceptionFrame(1, 0x10, 2));
    EXPECT_EQ(slave.handle(writeRequest(1, 0x04FF, {1, 1})), exceptionFrame(1, 0x10, 2));
    EXPECT_EQ(slave.handle(writeRequest(1, 0x0425, {0, 0})), exceptionFrame(1, 0x10, 2));
    EXPECT_EQ(slave.handle(writeRequest(1, 0x1800, {5})), exceptionFrame(1, 0x10, 4));
    unlock(slave);
    EXPECT_EQ(slave.handle(writeRequest(1, 0x1800, {5})).size(), 8U);
    EXPECT_EQ(slave.meter().reg(0x1800), 5);
    // A value the meter cannot take: speed code 11.
    EXPECT_EQ(slave.handle(writeRequest(1, 0x0408, {1, 11, 0})), exceptionFrame(1, 0x10, 3));
    EXPECT_EQ(slave.meter().reg(0x0409), 7); // nothing of the request was stored
}

TEST(SlaveFrames, ArchiveBlockReadCarriesTheBlockOrAnException) {
    sim::MeterConfig config;
    config.archiveFrames = 25;
    config.archiveIntervalSec = 0;
    sim::MeterSlave slave(config);
    const Bytes answer = slave.handle(archiveRequest(1, 2));
    ASSERT_EQ(answer.size(), 1030U);
    EXPECT_EQ(answer[0], 0x01); // address
    EXPECT_EQ(answer[1], 0x19); // function
    EXPECT_EQ(answer[2], 0x04); // two bytes the master does not look at
    EXPECT_EQ(answer[3], 0x00);
    EXPECT_EQ(crc16(answer), 0);
    EXPECT_EQ(answer[4 + 3], 21); // the block's first frame is frame 21 (big-endian number)
    EXPECT_EQ(slave.served().back().block, 2U);

    EXPECT_EQ(slave.handle(archiveRequest(1, 3)), exceptionFrame(1, 0x19, 2));
    EXPECT_EQ(slave.handle(archiveRequest(1, 0xFFFFFFFF)), exceptionFrame(1, 0x19, 2));
    EXPECT_EQ(slave.handle(withCrc({0x01, 0x19, 0x00, 0x00})), exceptionFrame(1, 0x19, 3));
}

TEST(SlaveFrames, NetworkWriteMovesTheMeterAfterItsAnswer) {
    sim::MeterSlave slave;
    unlock(slave);
    // Address 5, 115200 baud, even parity: answered at the old address and speed.
    const Bytes answer = slave.handle(writeRequest(1, 0x0408, {5, 10, 2}));
    EXPECT_EQ(answer, withCrc({0x01, 0x10, 0x04, 0x08, 0x00, 0x03}));
    EXPECT_EQ(slave.meter().address(), 5);
    EXPECT_EQ(slave.meter().baud(), 115200U);
    EXPECT_EQ(slave.meter().parity(), 2);
    EXPECT_TRUE(slave.handle(readRequest(1, 0x0100, 2)).empty());
    // The lock goes to the new address.
    EXPECT_EQ(slave.handle(writeRequest(5, 0x04FE, {0, 0})).size(), 8U);
    EXPECT_FALSE(slave.meter().unlocked());
}

TEST(SlaveFrames, RequestLengthFollowsTheFunctionCode) {
    EXPECT_EQ(sim::requestLength(Bytes{0x01}), 0U);
    EXPECT_EQ(sim::requestLength(Bytes{0x01, 0x03}), 8U);
    EXPECT_EQ(sim::requestLength(Bytes{0x01, 0x19}), 8U);
    EXPECT_EQ(sim::requestLength(Bytes{0x01, 0x10, 0x04, 0xFE, 0x00}), 0U);
    EXPECT_EQ(sim::requestLength(writeRequest(1, 0x04FE, {1, 1})), 13U);
    EXPECT_EQ(sim::requestLength(Bytes{0x01, 0x2B}), 0U);
}

} // namespace
} // namespace flowcfg::test
