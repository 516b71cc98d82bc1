// The register map and the write guard against flowsim as a separate process on a real pty.

#include "FlowsimProcess.h"
#include "ScriptedDialogs.h"
#include "link/LinkContext.h"
#include "link/ModbusMaster.h"
#include "link/Ports.h"
#include "model/GroupIo.h"
#include "model/WriteGuard.h"
#include "platform/PosixSerialPort.h"

#include <array>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

class GroupsOverPty : public ::testing::Test {
protected:
    GroupsOverPty() : ctx(devices, pump, clock, dialogs) {
        ctx.settings.UseLogFile = 0;
        ctx.settings.Number = 41;
        ctx.settings.portPaths[41] = flowsim.device();
        ctx.settings.TimeOut = 500;
    }
    void SetUp() override {
        ASSERT_FALSE(flowsim.device().empty());
        ASSERT_TRUE(openPort(ctx)) << (dialogs.shown.empty() ? "" : dialogs.shown[0].text);
    }

    FlowsimProcess flowsim{{"--freeze-time"}};
    PosixSerialDevices devices;
    BlockingEventPump pump;
    SystemClock clock;
    ScriptedDialogs dialogs;
    LinkContext ctx;
};

TEST_F(GroupsOverPty, EveryReadableGroupReadsClean) {
    DeviceImage image;
    for (const GroupDescriptor& g : registerMap()) {
        if (!g.readable())
            continue;
        EXPECT_EQ(readGroup(ctx, image, g.id), ExchangeResult{}) << g.name;
    }
    // The identity read and the versions read agree on the shared registers.
    DeviceImage versions;
    ASSERT_EQ(readGroup(ctx, versions, GroupId::Versions), ExchangeResult{});
    EXPECT_EQ(versions.NEW_DAT.SOFT_NEW, image.NEW_DAT.SOFT_NEW);
    EXPECT_EQ(versions.NEW_DAT.HARD_NEW, image.NEW_DAT.HARD_NEW);
}

TEST_F(GroupsOverPty, GuardedWriteReachesTheMeterAndLocksItAgain) {
    DeviceImage image;
    image.output.f_max = 4321;
    image.output.f_flow_v_max = 55.5f;
    image.output.f_direct_val = 250;
    WriteOperation op;
    op.checksProtection = true;
    op.success = "Запись параметров частотных выходов успешно осуществлена.";
    const GroupTransfer frequency[] = {{GroupId::Output1Frequency}};
    op.steps = writeSteps(image, frequency);
    ASSERT_EQ(runWriteOperation(ctx, op).end, OperationEnd::Succeeded) << dialogs.texts().back();
    EXPECT_EQ(dialogs.texts().back(), "Запись параметров частотных выходов успешно осуществлена.");

    DeviceImage back;
    ASSERT_EQ(readGroup(ctx, back, GroupId::Output1Frequency), ExchangeResult{});
    EXPECT_EQ(back.output.f_max, 4321);
    EXPECT_EQ(back.output.f_flow_v_max, 55.5f);
    EXPECT_EQ(back.output.f_direct_val, 250);

    std::array<std::uint16_t, 2> locks{9, 9};
    ASSERT_EQ(ModbusMaster(ctx).readHoldingRegisters(group(GroupId::Unlock).start, 2, locks),
              ExchangeResult{});
    EXPECT_EQ(locks, (std::array<std::uint16_t, 2>{0, 0}));

    // Locked again: a write without the guard is refused by the meter.
    const ExchangeResult refused = writeGroup(ctx, image, GroupId::Output1Frequency);
    EXPECT_NE(refused.status & status::Exception, 0);
    EXPECT_TRUE(showOutcome(ctx, refused));
}

} // namespace
} // namespace flowcfg::test
