// Our master on a real pty (PosixSerialPort) against libmodbus as the slave.

#include "InteropModbusSlave.h"
#include "ScriptedDialogs.h"
#include "link/LinkContext.h"
#include "link/ModbusMaster.h"
#include "link/Ports.h"
#include "platform/PosixSerialPort.h"

#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace flowcfg::test {
namespace {

class LinkInteropTest : public ::testing::Test {
protected:
    LinkInteropTest() : ctx(devices, pump, clock, dialogs) {
        ctx.settings.UseLogFile = 0;
        ctx.settings.Number = 40;
        ctx.settings.portPaths[40] = slave.slavePath();
        ctx.settings.TimeOut = 500; // a silent slave costs half a second per attempt
        ctx.settings.Reask_val = 1;
        for (int r = 0; r < 0x200; ++r)
            slave.setReg(r, static_cast<std::uint16_t>(0x1000 + r * 3));
    }
    void SetUp() override {
        ASSERT_TRUE(openPort(ctx)) << (dialogs.shown.empty() ? "" : dialogs.shown[0].text);
    }

    InteropModbusSlave slave{1, 0x200};
    PosixSerialDevices devices;
    BlockingEventPump pump;
    SystemClock clock;
    ScriptedDialogs dialogs;
    LinkContext ctx;
};

TEST_F(LinkInteropTest, ReadAndWriteAgreeWithTheSlave) {
    std::vector<std::uint16_t> values(49);
    ModbusMaster master(ctx);
    ASSERT_EQ(master.readHoldingRegisters(0x0100, 49, values), (ExchangeResult{0, 0}));
    for (int k = 0; k < 49; ++k)
        EXPECT_EQ(values[k], slave.reg(0x0100 + k)) << k;

    const std::array<std::uint16_t, 5> written{0xFFFF, 0, 0x8000, 0x00FF, 0x1234};
    ASSERT_EQ(master.writeMultipleRegisters(0x0010, written, "Запись."), (ExchangeResult{0, 0}));
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(slave.reg(0x0010 + k), written[k]);

    std::array<std::uint16_t, 124> all{};
    ASSERT_EQ(master.readHoldingRegisters(0x000E, 124, all), (ExchangeResult{0, 0}));
    EXPECT_EQ(all[2], 0xFFFF);
    EXPECT_EQ(all[6], 0x1234);
    EXPECT_EQ(all[123], slave.reg(0x000E + 123));

    for (int i = 0; i < 20; ++i) { // back to back, no stale bytes between transactions
        std::array<std::uint16_t, 2> two{};
        ASSERT_EQ(master.readHoldingRegisters(static_cast<std::uint16_t>(0x0100 + i), 2, two),
                  (ExchangeResult{0, 0}));
        EXPECT_EQ(two[1], slave.reg(0x0101 + i));
    }
}

TEST_F(LinkInteropTest, ExceptionsAndSilenceFromAStandardSlave) {
    ModbusMaster master(ctx);
    std::array<std::uint16_t, 4> values{};
    // Beyond the slave's table: illegal data address.
    EXPECT_EQ(master.readHoldingRegisters(0x01FE, 4, values), (ExchangeResult{0x001A, 2}));
    // Another address: the slave stays silent; with two attempts the repeat is marked.
    ctx.settings.NetAdrr = 9;
    ctx.settings.Reask_val = 2;
    EXPECT_EQ(master.readHoldingRegisters(0x0100, 4, values).status, 0x8042);

    ctx.settings.NetAdrr = 1;
    EXPECT_EQ(master.readHoldingRegisters(0x0100, 4, values), (ExchangeResult{0, 0}));
}

TEST_F(LinkInteropTest, AnOpenPortIsNotListedAndCannotBeOpenedTwice) {
    LinkContext other(devices, pump, clock, dialogs);
    other.settings.portPaths[40] = slave.slavePath();
    other.settings.Number = 40;
    enumeratePorts(other);
    EXPECT_EQ(std::count(other.foundPorts.begin(), other.foundPorts.end(), 40), 0);
    dialogs.shown.clear();
    EXPECT_FALSE(openPort(other));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Невозможно открыть последовательный порт\nПорт " +
                                         slave.slavePath() + " занят другой программой.");

    closePort(ctx);
    enumeratePorts(other);
    EXPECT_EQ(std::count(other.foundPorts.begin(), other.foundPorts.end(), 40), 1);
}

} // namespace
} // namespace flowcfg::test
