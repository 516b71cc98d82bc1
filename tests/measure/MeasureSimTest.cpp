// The measurement panel against the simulated meter (flowsim's slave logic in process).

#include "FakeClock.h"
#include "FakeSerialLine.h"
#include "ScriptedDialogs.h"
#include "SimLine.h"
#include "measure/MeasurePanel.h"

#include <cmath>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

// A panel on its own simulated meter; every meter shares the test's clock.
struct SimPanel {
    SimPanel(FakeClock& clock, FakeEventPump& pump, sim::MeterConfig config)
        : slave(config), ctx(devices, pump, clock, dialogs) {
        slave.meter().setTimeMs(clock.monotonicMs());
        attachMeter(*devices.add("/dev/sim"), slave, clock);
        ctx.settings.portPaths[1] = "/dev/sim";
        ctx.settings.UseLogFile = 0;
    }
    sim::Meter& meter() { return slave.meter(); }

    sim::MeterSlave slave;
    FakeSerialDevices devices;
    ScriptedDialogs dialogs;
    LinkContext ctx;
    DeviceImage image;
    MeasurePanel panel{ctx, image};
};

class MeasureSimTest : public ::testing::Test {
protected:
    FakeClock clock;
    FakeEventPump pump{clock};
};

TEST_F(MeasureSimTest, BlockByteOrderOfTheMeterIsFollowed) {
    sim::MeterConfig plain;
    sim::MeterConfig reversed;
    reversed.floatOrder = 3;
    SimPanel a(clock, pump, plain);
    SimPanel b(clock, pump, reversed);
    clock.advance(5000);
    a.panel.startCyclic();
    b.panel.startCyclic();
    ASSERT_EQ(a.panel.pollOnce(), TickResult::Polled);
    ASSERT_EQ(b.panel.pollOnce(), TickResult::Polled);
    ASSERT_TRUE(a.panel.values().measuredResult.clean());
    ASSERT_TRUE(b.panel.values().measuredResult.clean());

    // The two reads are a few milliseconds apart: the values move a little, a wrong byte
    // order would scramble them.
    const MeasuredBlock& x = a.panel.values().measured;
    const MeasuredBlock& y = b.panel.values().measured;
    EXPECT_EQ(y.FLOW_UNIT >> 8 & 3, 3);
    for (const auto field :
         {&MeasuredBlock::IZM_FLOW_V, &MeasuredBlock::IZM_FLOW_VEL, &MeasuredBlock::TEMP_PIPE,
          &MeasuredBlock::TEMP_MODULE, &MeasuredBlock::TEMP_PROC1, &MeasuredBlock::TEMP_PROC2,
          &MeasuredBlock::IZM_P_KPA}) {
        EXPECT_GT(std::abs(x.*field), 0.1f);
        EXPECT_NEAR(x.*field, y.*field, std::abs(x.*field) * 0.01f);
    }
    EXPECT_EQ(x.VOL_UNIT, y.VOL_UNIT);
    EXPECT_EQ(x.RUN_TIME, y.RUN_TIME);
}

TEST_F(MeasureSimTest, ForcedFlowFlagsReachTheStatusLine) {
    SimPanel p(clock, pump, {});
    p.meter().forceFlowStatus(0x2001, 0x0011);
    p.panel.startCyclic();
    p.panel.tick(true);
    EXPECT_TRUE(p.panel.screen().statusLine.text.starts_with(" Обслужив. НПИ  АЦП Сенс. "))
        << p.panel.screen().statusLine.text;
    EXPECT_TRUE(p.panel.screen().statusLine.text.ends_with("SERV НПИ "))
        << p.panel.screen().statusLine.text;
    EXPECT_EQ(p.panel.screen().statusLine.colour, ScreenColour::Yellow);
    EXPECT_EQ(p.panel.screen().cycles.text, "1");
    EXPECT_EQ(p.panel.screen().errors.text, "0");
}

TEST_F(MeasureSimTest, VolumeResetClearsTheMetersTotals) {
    SimPanel p(clock, pump, {});
    clock.advance(60'000);
    p.panel.readOnce();
    ASSERT_GT(p.panel.values().measured.VOL_SUM, 1.0);
    p.panel.resetVolume();
    EXPECT_EQ(p.dialogs.texts(), (std::vector<std::string>{"Прочитано измеренное значение.",
                                                           "Накопленный объем будет сброшен."}));
    p.panel.readOnce();
    EXPECT_LT(p.panel.values().measured.VOL_FWD, 0.01);
}

} // namespace
} // namespace flowcfg::test
