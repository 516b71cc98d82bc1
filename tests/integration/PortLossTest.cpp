// The port vanishing in the middle of an operation, as when a USB adapter is pulled: flowsim
// (the far end of the pty) is stopped while the tool polls, writes a group, downloads the
// archive or writes the whole configuration. The tool must say so naming the port, must not
// hang, must keep what it had read, and the next operation must open the port again once
// flowsim is back on the same path.

#include "FlowsimProcess.h"
#include "ScriptedDialogs.h"
#include "TestFiles.h"
#include "archive/ArchiveTransfer.h"
#include "config/WholeConfiguration.h"
#include "link/Ports.h"
#include "measure/MeasurePanel.h"
#include "model/GroupIo.h"
#include "platform/PosixSerialPort.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <thread>
#include <unistd.h>

namespace flowcfg::test {
namespace {

namespace fs = std::filesystem;

// A pump without a window that runs `hook` once, at the given count of calls (the message
// handling inside a transaction, or a pause).
class HookedPump final : public EventPump {
public:
    void processEvents() override { step(); }
    void pauseMs(std::uint32_t ms, PauseTimer) override {
        step();
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    void at(int call, std::function<void()> hook) {
        calls_ = 0;
        at_ = call;
        hook_ = std::move(hook);
    }

private:
    void step() {
        if (hook_ && ++calls_ == at_)
            std::exchange(hook_, nullptr)();
    }
    int calls_ = 0, at_ = 0;
    std::function<void()> hook_;
};

class PortLoss : public ::testing::Test {
protected:
    PortLoss() : ctx(devices, pump, clock, dialogs) {
        ctx.settings.UseLogFile = 0;
        ctx.settings.Number = 7;
        ctx.settings.portPaths[7] = link.string();
        ctx.settings.TimeOut = 300;
        start();
    }
    ~PortLoss() override { fs::remove(link); }

    // flowsim on the same path each time; the measured block's answers come late, so a stop
    // meets the tool waiting for them.
    void start() {
        sim.emplace(std::vector<std::string>{"--link", link.string(), "--archive-frames", "200",
                                             "--archive-interval", "0", "--fault",
                                             "delay:250@range=0x0100-0x0130"});
    }
    void pull() { sim.reset(); }

    // The one box the loss gave: names the port and its device.
    void expectLostBox() {
        ASSERT_EQ(dialogs.shown.size(), 1u) << dialogs.shown.back().text;
        EXPECT_EQ(dialogs.shown[0].caption, "Ошибка");
        EXPECT_EQ(dialogs.shown[0].text,
                  "Связь с портом COM7 (" + link.string() +
                      ") потеряна: устройство отключено или закрыто другой стороной.\n"
                      "Проверьте подключение; следующая операция откроет порт заново.");
        EXPECT_FALSE(ctx.port); // closed: the next operation opens it anew
        dialogs.shown.clear();
    }

    TempDir temp{"flowcfg-port-loss"};
    const fs::path link = temp.path() / "ttyMETER";
    std::optional<FlowsimProcess> sim;
    PosixSerialDevices devices;
    HookedPump pump;
    SystemClock clock;
    ScriptedDialogs dialogs;
    LinkContext ctx;
};

TEST_F(PortLoss, PollSaysSoOnceAndOpensThePortAgainWhenItIsBack) {
    DeviceImage image;
    image.izm_i_f_diskr.use = 0;
    MeasurePanel panel(ctx, image);
    panel.startCyclic();
    ASSERT_EQ(panel.tick(true), TickResult::Polled);
    ASSERT_TRUE(panel.values().measuredResult.clean());
    const float flow = panel.values().measured.IZM_FLOW_V;
    // Pulled after the request went out, while the answer is awaited.
    pump.at(4, [this] { pull(); });
    ASSERT_EQ(panel.tick(true), TickResult::Polled);
    expectLostBox();
    EXPECT_EQ(panel.values().measured.IZM_FLOW_V, flow); // what was read stays
    // Still gone: the poll goes on, tries the port silently, and says nothing more.
    ASSERT_EQ(panel.tick(true), TickResult::Polled);
    EXPECT_FALSE(ctx.port);
    EXPECT_TRUE(dialogs.shown.empty());

    start();
    ASSERT_EQ(panel.tick(true), TickResult::Polled);
    EXPECT_TRUE(panel.values().measuredResult.clean());
    EXPECT_TRUE(panel.cyclic());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(PortLoss, GroupWriteSaysSoAndTheNextWriteOpensThePortAgain) {
    WriteOperation op;
    op.confirmation.clear();
    op.steps.push_back({.exchange = [](LinkContext& c) { return sendCommand(c, GroupId::Blink); }});
    // Pulled in the pause before the locks are lifted.
    pump.at(1, [this] { pull(); });
    const OperationOutcome lost = runWriteOperation(ctx, op);
    EXPECT_EQ(lost.end, OperationEnd::Failed);
    expectLostBox();

    start();
    EXPECT_EQ(runWriteOperation(ctx, op).end, OperationEnd::Succeeded);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(PortLoss, ArchiveDownloadKeepsTheBlocksReadAndTheNextStartOpensThePortAgain) {
    DeviceImage device;
    ArchiveImage image;
    ArchiveTransfer transfer(ctx, device, image, temp.path());
    ASSERT_TRUE(transfer.start(std::nullopt));
    ASSERT_EQ(transfer.blocksPlanned(), 20u);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(transfer.tick());
    pull();
    EXPECT_FALSE(transfer.tick());
    EXPECT_EQ(transfer.state(), TransferState::Halted);
    expectLostBox();

    // "Остановить " exports what was read: the three blocks' frames and nothing after them.
    transfer.stop();
    ASSERT_TRUE(transfer.lastExport() && transfer.lastExport()->ok);
    const std::string text = readFile(transfer.lastExport()->path);
    EXPECT_TRUE(text.starts_with("frame_num 0001\t")) << text.substr(0, 80);
    EXPECT_NE(text.find("frame_num 0030\t"), std::string::npos);
    EXPECT_EQ(text.find("frame_num 0031\t"), std::string::npos);

    start();
    ASSERT_TRUE(transfer.start(std::nullopt));
    EXPECT_TRUE(transfer.tick());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(PortLoss, WholeWriteSaysSoKeepsWhatWasWrittenAndTheNextWriteOpensThePortAgain) {
    DeviceImage image;
    ConfigPages pages{ctx, image};
    WholeConfiguration whole{pages};
    // Pulled once three lines are written.
    whole.progress = [this](const SequenceProgress& p) {
        if (p.done == 3 && sim)
            pull();
    };
    const WholeOutcome lost = whole.writeAll(false);
    EXPECT_EQ(lost.outcome.end, OperationEnd::Failed);
    EXPECT_FALSE(lost.written.empty());
    expectLostBox();

    whole.progress = nullptr;
    start();
    EXPECT_EQ(whole.writeAll(false).outcome.end, OperationEnd::Succeeded);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, kWriteAllSuccess);
}

} // namespace
} // namespace flowcfg::test
