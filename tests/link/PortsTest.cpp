#include "link/Ports.h"

#include "LinkFixture.h"

#include <array>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

class PortsTest : public LinkFixture {
protected:
    PortsTest() { ctx.port.reset(); }
};

TEST_F(PortsTest, PortNumbersMapToDevices) {
    LinkSettings s;
    EXPECT_EQ(devicePathForPort(s, 1), "/dev/ttyS0");
    EXPECT_EQ(devicePathForPort(s, 32), "/dev/ttyS31");
    EXPECT_EQ(devicePathForPort(s, 33), "/dev/ttyUSB0");
    EXPECT_EQ(devicePathForPort(s, 48), "/dev/ttyUSB15");
    EXPECT_EQ(devicePathForPort(s, 49), "/dev/ttyACM0");
    EXPECT_EQ(devicePathForPort(s, 63), "/dev/ttyACM14");
    EXPECT_EQ(devicePathForPort(s, 0), "");
    EXPECT_EQ(devicePathForPort(s, 64), "");
    s.portPaths[33] = "/dev/pts/4";
    EXPECT_EQ(devicePathForPort(s, 33), "/dev/pts/4");
}

TEST_F(PortsTest, EnumerationListsFreePortsOnly) {
    devices.add("/dev/ttyS0");
    devices.add("/dev/ttyUSB2");
    devices.add("/dev/ttyACM14");
    devices.add("/dev/ttyS4");
    auto held = devices.open("/dev/ttyS4");   // another program holds COM5
    ctx.settings.portPaths[70] = "/dev/fake"; // beyond COM63: never probed
    EXPECT_EQ(enumeratePorts(ctx), 3u);
    EXPECT_EQ(ctx.foundPorts, (std::vector<std::uint16_t>{1, 35, 63}));
    for (const char* path : {"/dev/ttyS0", "/dev/ttyUSB2", "/dev/ttyACM14"})
        EXPECT_FALSE(devices.add(path)->open) << path << " left open by the probe";
}

TEST_F(PortsTest, OpenSetsTheLineTimeoutsQueuesAndPurges) {
    ctx.settings.portPaths[9] = "/dev/fake";
    ASSERT_TRUE(openPort(ctx, 9, 7, 8, 0, 1, 2000, true));
    EXPECT_EQ(line->line.baud, 19200u);
    EXPECT_EQ(line->line.dataBits, 8);
    EXPECT_EQ(line->line.parity, Parity::None);
    EXPECT_EQ(line->line.stopBits, StopBits::One);
    EXPECT_EQ(line->timeouts.readInterval, 24u);
    EXPECT_EQ(line->timeouts.readTotalMultiplier, 24u);
    EXPECT_EQ(line->timeouts.readTotalConstant, 2000u);
    EXPECT_EQ(line->timeouts.writeTotalConstant, 0u);
    EXPECT_EQ(line->inputQueue, 2024u);
    EXPECT_EQ(line->outputQueue, 2024u);
    EXPECT_EQ(line->purges, 1);

    ASSERT_TRUE(openPort(ctx, 9, 7, 8, 2, 2, 100, true)); // reopening closes the first
    EXPECT_EQ(line->line.parity, Parity::Even);
    EXPECT_EQ(line->line.stopBits, StopBits::One) << "parity forces one stop bit";

    ASSERT_TRUE(openPort(ctx, 9, 0, 9, 0, 15, 100, true));
    EXPECT_EQ(line->line.baud, 110u);
    EXPECT_EQ(line->line.dataBits, 8) << "9 data bits mean 8";
    EXPECT_EQ(line->line.stopBits, StopBits::OneAndHalf);
    EXPECT_EQ(line->timeouts.readInterval, 1536u);

    ASSERT_TRUE(openPort(ctx, 9, 3, 7, 1, 2, 100, true));
    EXPECT_EQ(line->line.dataBits, 7);
    EXPECT_EQ(line->timeouts.readInterval, 192u);

    // An index the table does not know: 19200 baud, interval and multiplier as they were.
    ASSERT_TRUE(openPort(ctx, 9, 42, 8, 0, 5, 300, true));
    EXPECT_EQ(line->line.baud, 19200u);
    EXPECT_EQ(line->line.stopBits, StopBits::Two);
    EXPECT_EQ(line->timeouts.readInterval, 192u);
    EXPECT_EQ(line->timeouts.readTotalMultiplier, 192u);
    EXPECT_EQ(line->timeouts.readTotalConstant, 300u);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(PortsTest, AFailedOpenSaysWhy) {
    devices.add("/dev/ttyS1");
    devices.refuse("/dev/ttyS2", OpenError::NoPermission);
    devices.refuse("/dev/ttyS3", OpenError::Other);
    auto held = devices.open("/dev/ttyS1");
    const auto failure = [&](std::uint16_t port) {
        dialogs.shown.clear();
        EXPECT_FALSE(openPort(ctx, port, 7, 8, 0, 1, 2000, true));
        EXPECT_EQ(ctx.port, nullptr);
        EXPECT_EQ(dialogs.shown.size(), 1u);
        if (dialogs.shown.empty())
            return std::string();
        EXPECT_EQ(dialogs.shown[0].caption, "Ошибка");
        EXPECT_EQ(dialogs.shown[0].icon, DialogIcon::Error);
        return dialogs.shown[0].text;
    };
    EXPECT_EQ(failure(1), "Невозможно открыть последовательный порт\n"
                          "Нет такого устройства: /dev/ttyS0.");
    EXPECT_EQ(failure(2), "Невозможно открыть последовательный порт\n"
                          "Порт /dev/ttyS1 занят другой программой.");
    EXPECT_EQ(failure(3), "Невозможно открыть последовательный порт\n"
                          "Нет доступа к /dev/ttyS2: пользователь не входит в группу dialout "
                          "(sudo usermod -aG dialout $USER, затем войти в систему заново).");
    EXPECT_EQ(failure(4), "Невозможно открыть последовательный порт\n"
                          "Ошибка открытия /dev/ttyS3: refused by the test.");
    EXPECT_EQ(failure(64), "Невозможно открыть последовательный порт\n"
                           "Нет такого устройства: COM64.");

    dialogs.shown.clear();
    EXPECT_FALSE(openPort(ctx, 1, 7, 8, 0, 1, 2000, false));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(ctx.portOpenAttempted);
}

TEST_F(PortsTest, StartUpOpenIsSilentAndSetsTheModemLines) {
    ctx.settings.portPaths[1] = "/dev/fake";
    ASSERT_TRUE(openPortAtStartUp(ctx));
    EXPECT_FALSE(line->rts);
    EXPECT_TRUE(line->dtr);
    ctx.settings.Number = 2;
    EXPECT_FALSE(openPortAtStartUp(ctx));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(line->open) << "the failed open closed the previous port";
}

TEST_F(PortsTest, RefreshListsThePortItHeld) {
    ctx.settings.portPaths[5] = "/dev/fake";
    ctx.settings.Number = 5;
    ASSERT_TRUE(openPort(ctx));
    EXPECT_TRUE(refreshPorts(ctx));
    EXPECT_EQ(ctx.foundPorts, (std::vector<std::uint16_t>{5}));
    EXPECT_TRUE(line->open);
}

} // namespace
} // namespace flowcfg::test
