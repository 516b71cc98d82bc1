// The temperature calibration pages against two meters of flowsim on one pty: the words no
// screen shows go back as the meter written to holds them, and the adjustment write sends the
// points and R0 of the meter it was read from.

#include "FlowsimProcess.h"
#include "ScriptedDialogs.h"
#include "config/ConfigPages.h"
#include "config/ExternalSensorPages.h"
#include "link/LinkContext.h"
#include "link/Ports.h"
#include "model/GroupIo.h"
#include "platform/PosixSerialPort.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

class CalibrationPagesPty : public ::testing::Test {
protected:
    CalibrationPagesPty() : ctx(devices, pump, clock, dialogs) {
        ctx.settings.UseLogFile = 0;
        ctx.settings.Number = 41;
        ctx.settings.portPaths[41] = flowsim.device();
        ctx.settings.TimeOut = 500;
    }
    void SetUp() override { ASSERT_FALSE(flowsim.device().empty()); }

    OperationOutcome press(std::string_view name, bool write) {
        const PagePart part = findButtons(name).value();
        return write ? pages.write(part) : pages.read(part);
    }
    // The meter at this address as it holds its calibration now.
    DeviceImage meterAt(std::uint16_t address) {
        ctx.settings.NetAdrr = address;
        DeviceImage meter;
        EXPECT_TRUE(openPort(ctx));
        EXPECT_EQ(readGroup(ctx, meter, GroupId::TemperatureCalibration), ExchangeResult{});
        EXPECT_EQ(readGroup(ctx, meter, GroupId::TemperatureAdjustment), ExchangeResult{});
        return meter;
    }

    // Meter k at address k + 1: 0x1700 = 0x0C05 + k, C = -4.183e-12 x (1 + k / 10).
    FlowsimProcess flowsim{{"--freeze-time", "--addresses", "1,2"}};
    PosixSerialDevices devices;
    BlockingEventPump pump;
    SystemClock clock;
    ScriptedDialogs dialogs;
    LinkContext ctx;
    DeviceImage image;
    ConfigPages pages{ctx, image};
};

TEST_F(CalibrationPagesPty, WritesSendWhatTheMeterWrittenToHolds) {
    const DeviceImage second = meterAt(2);
    ASSERT_NE(meterAt(1).readings.calibrationWord0, second.readings.calibrationWord0);

    // Read from meter 1, written to meter 2: its own word 0 and C stay.
    ASSERT_EQ(press("temperature-calibration", false).end, OperationEnd::Succeeded);
    ctx.settings.NetAdrr = 2;
    pages.page(page::temperature).edit("ext_sens_r0", "101.5");
    ASSERT_EQ(press("temperature-calibration", true).end, OperationEnd::Succeeded)
        << dialogs.texts().back();
    DeviceImage after = meterAt(2);
    EXPECT_EQ(after.readings.calibrationWord0, second.readings.calibrationWord0);
    EXPECT_EQ(after.readings.coefficientC, second.readings.coefficientC);
    EXPECT_EQ(after.izm_to_comp.ext_sens_r0, 101.5f);

    // Back on meter 1: the adjustment read shows its R0, which its write sends back.
    ctx.settings.NetAdrr = 1;
    ASSERT_EQ(press("temperature-adjustment", false).end, OperationEnd::Succeeded);
    EXPECT_EQ(pages.page(page::temperature).state("ext_sens_r0").text, "100.00");
    pages.page(page::temperatureAdjustment).edit("shift", "0.25");
    ASSERT_EQ(press("temperature-adjustment", true).end, OperationEnd::Succeeded)
        << dialogs.texts().back();
    after = meterAt(1);
    EXPECT_EQ(after.izm_to_comp.ext_sens_r0, 100.0f);
    EXPECT_EQ(after.adc_7793.shift, 0.25f);
    EXPECT_EQ(after.readings.calibrationWord0, 0x0C05);
}

} // namespace
} // namespace flowcfg::test
