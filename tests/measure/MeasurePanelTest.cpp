#include "measure/MeasurePanel.h"

#include "FakeLinkTest.h"
#include "RegisterSlave.h"
#include "TestFiles.h"
#include "model/Encodings.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace flowcfg::test {
namespace {

class MeasurePanelTest : public FakeLinkTest {
protected:
    MeasurePanelTest() {
        line = devices.add("/dev/fake");
        line->clock = &clock;
        line->responder = slave.responder();
        ctx.settings.portPaths[1] = "/dev/fake";
        setFlow(1.25f, 0, 0);
        setVolume(1000.0, 0, 0);
    }

    void setFlow(float flow, std::uint16_t hi, std::uint16_t lo) {
        const WordPair w = encodeFloat(flow);
        slave.regs[0x0100] = w.first;
        slave.regs[0x0101] = w.second;
        slave.regs[0x0103] = hi;
        slave.regs[0x0104] = lo;
        slave.regs[0x0105] = 0x0002; // м куб/час, byte order 0
    }
    void setVolume(double sum, std::uint16_t errHi, std::uint16_t errLo) {
        const auto bits = std::bit_cast<std::uint64_t>(sum);
        for (int i = 0; i < 4; ++i)
            slave.regs[static_cast<std::uint16_t>(0x0119 + i)] =
                static_cast<std::uint16_t>(bits >> (48 - 16 * i));
        slave.regs[0x0129] = errHi;
        slave.regs[0x012A] = errLo;
    }
    void setPrimary(float flow, std::uint16_t hi, std::uint16_t lo) {
        const WordPair w = encodeFloat(flow);
        slave.regs[0x0000] = w.first;
        slave.regs[0x0001] = w.second;
        slave.regs[0x0002] = hi;
        slave.regs[0x0003] = lo;
    }
    std::vector<RequestHead> heads() const {
        std::vector<RequestHead> out;
        for (const auto& r : line->requests)
            out.push_back(headOf(r));
        return out;
    }
    std::string logText() const { return readFile(dir.path() / "izm.txt"); }
    void startPolling() {
        panel.startCyclic();
        ASSERT_TRUE(panel.cyclic());
        line->requests.clear();
    }

    std::shared_ptr<FakeSerialLine> line;
    RegisterSlave slave;
    DeviceImage image;
    TempDir dir{"flowcfg-measure"};
    MeasurePanel panel{ctx, image, MeasureLogSettings{false, dir.path() / "izm.txt"}};
};

const RequestHead kMeasuredRead{3, 0x0100, 49};
const RequestHead kPrimaryRead{3, 0x0000, 4};
const RequestHead kOutputsRead{3, 0x0131, 11};

TEST_F(MeasurePanelTest, PollMakesThreeRequestsOrTwoWithoutOutputs) {
    startPolling();
    EXPECT_EQ(panel.screen().focus, MeasureFocus::StopButton);
    EXPECT_EQ(panel.tick(true), TickResult::Polled);
    EXPECT_EQ(heads(), (std::vector<RequestHead>{kMeasuredRead, kPrimaryRead, kOutputsRead}));
    EXPECT_EQ(line->requests[0], (std::vector<std::uint8_t>{
                                     0x01,       // address
                                     0x03,       // function
                                     0x01, 0x00, // start 0x0100
                                     0x00, 0x31, // 49 registers
                                     0x85, 0xE2, // CRC
                                 }));

    panel.toggleOutputsRead();
    EXPECT_EQ(image.izm_i_f_diskr.use, 0);
    EXPECT_EQ(panel.screen().readOutputsLamp, ScreenColour::ButtonFace);
    line->requests.clear();
    panel.tick(true);
    EXPECT_EQ(heads(), (std::vector<RequestHead>{kMeasuredRead, kPrimaryRead}));

    panel.toggleOutputsRead();
    EXPECT_EQ(image.izm_i_f_diskr.use, 1);
    EXPECT_EQ(panel.screen().readOutputsLamp, ScreenColour::Green);
}

TEST_F(MeasurePanelTest, CleanPollPaintsEveryGroupAndCounts) {
    setPrimary(3.5f, 0x0004, 0x0000);
    slave.regs[0x0137] = 1; // I_OUT_STATE "Задан код"
    slave.regs[0x0138] = 3; // OUT1_MODE "Имп."
    startPolling();
    panel.tick(true);
    const MeasureScreen& s = panel.screen();
    EXPECT_EQ(s.flow, (ScreenField{"1.2500     ", ScreenColour::White}));
    EXPECT_EQ(s.flowUnit.text, "м куб/час");
    EXPECT_EQ(s.statusLine, (ScreenField{"Нормальное измерение", ScreenColour::White}));
    EXPECT_EQ(s.volumeSum.text, "1000.0000               ");
    EXPECT_EQ(s.primaryFlow.text, "3.5000     ");
    EXPECT_EQ(s.primaryHi.text, "HI 0x0004");
    EXPECT_EQ(s.currentState.text, "Задан код");
    EXPECT_EQ(s.out1Mode.text, "Имп.");
    EXPECT_EQ(s.cycles.text, "1");
    EXPECT_EQ(s.errors.text, "0");
}

TEST_F(MeasurePanelTest, SuccessAfterRepeatUpdatesFieldsButDrawsExchangeError) {
    startPolling();
    panel.tick(true);
    setFlow(7.0f, 0, 0);
    slave.dropNext = 1; // the first attempt gets no answer, the repeat does
    EXPECT_EQ(panel.tick(true), TickResult::Polled);
    EXPECT_EQ(panel.values().measuredResult.status, 0x8000);
    EXPECT_FLOAT_EQ(panel.values().measured.IZM_FLOW_V, 7.0f);
    const MeasureScreen& s = panel.screen();
    EXPECT_EQ(s.flow.text, "1.2500     "); // not redrawn
    EXPECT_EQ(s.statusLine, (ScreenField{"Ошибка обмена", ScreenColour::Yellow}));
    EXPECT_EQ(panel.counters().cycles, 2);
    EXPECT_EQ(panel.counters().exchangeErrors, 1);
    EXPECT_EQ(panel.counters().retries, 1);
    EXPECT_EQ(s.errors.text, "1");
    EXPECT_TRUE(dialogs.shown.empty()); // the poll never shows a box
}

TEST_F(MeasurePanelTest, FailedPollKeepsFieldsAndPollingGoesOn) {
    startPolling();
    panel.tick(true);
    setFlow(7.0f, 0, 0);
    slave.exceptionCode = 2;
    panel.tick(true);
    EXPECT_FLOAT_EQ(panel.values().measured.IZM_FLOW_V, 1.25f);
    EXPECT_EQ(panel.screen().statusLine.text, "Ошибка обмена");
    EXPECT_EQ(panel.counters().exchangeErrors, 1);
    EXPECT_EQ(panel.counters().retries, 1); // the engine repeats an exception answer once
    slave.exceptionCode = 0;
    panel.tick(true);
    EXPECT_EQ(panel.screen().flow.text, "7.0000     ");
    EXPECT_EQ(panel.screen().statusLine.text, "Нормальное измерение");
    EXPECT_EQ(panel.screen().cycles.text, "3");
}

TEST_F(MeasurePanelTest, SilentMeterIsShownBeforeTheLaterReadsWait) {
    startPolling();
    panel.tick(true);
    line->responder = nullptr; // the meter stops answering
    struct Painted {
        ScreenField statusLine;
        std::size_t requests;
    };
    std::vector<Painted> painted;
    panel.changed = [&] { painted.push_back({panel.screen().statusLine, line->requests.size()}); };
    line->requests.clear();
    panel.tick(true);
    ASSERT_FALSE(painted.empty());
    EXPECT_EQ(painted[0].statusLine, (ScreenField{"Ошибка обмена", ScreenColour::Yellow}));
    EXPECT_EQ(painted[0].requests, 2u); // the block read and its repeat; the primary flow waits
    EXPECT_EQ(painted.back().requests, line->requests.size()); // the counters, after every read
}

TEST_F(MeasurePanelTest, PortFoundGoneIsSaidOnceAndOpenedAgainOnTheNextTick) {
    startPolling();
    const int opens = devices.opens;
    line->responder = nullptr; // a silent meter is no reason to reopen
    panel.tick(true);
    EXPECT_EQ(devices.opens, opens);
    // The adapter is pulled: the port is lost and the device cannot be opened.
    line->gone = true;
    devices.refuse("/dev/fake", OpenError::NoSuchDevice);
    panel.tick(true);
    ASSERT_EQ(dialogs.texts(),
              std::vector<std::string>{
                  "Связь с портом COM1 (/dev/fake) потеряна: устройство отключено или закрыто "
                  "другой стороной.\nПроверьте подключение; следующая операция откроет порт "
                  "заново."});
    EXPECT_EQ(ctx.port, nullptr);
    EXPECT_EQ(devices.opens, opens + 1); // tried again at once, silently
    panel.tick(true);
    EXPECT_EQ(devices.opens, opens + 2); // and on each tick
    EXPECT_EQ(panel.screen().statusLine.text, "Ошибка обмена");

    devices.restore("/dev/fake"); // plugged in again
    line->gone = false;
    line->responder = slave.responder();
    panel.tick(true);
    EXPECT_EQ(devices.opens, opens + 3);
    EXPECT_EQ(panel.screen().statusLine,
              (ScreenField{"Нормальное измерение", ScreenColour::White}));
    EXPECT_TRUE(panel.cyclic());
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(MeasurePanelTest, CountersWrapAfter65535) {
    panel.toggleOutputsRead();
    startPolling();
    // The registers do not change here: answer each distinct request from a cache.
    std::map<std::vector<std::uint8_t>, std::vector<std::uint8_t>> answers;
    line->responder = [this, &answers](std::span<const std::uint8_t> req) {
        std::vector<std::uint8_t> key(req.begin(), req.end());
        auto it = answers.find(key);
        if (it == answers.end())
            it = answers.emplace(std::move(key), slave.answer(req)).first;
        return it->second;
    };
    for (int i = 0; i < 65535; ++i) {
        panel.tick(true);
        if (line->requests.size() > 3000) {
            line->requests.clear();
            pump.clearPauses();
        }
    }
    EXPECT_EQ(panel.screen().cycles.text, "65535");
    panel.tick(true);
    EXPECT_EQ(panel.counters().cycles, 0);
    EXPECT_EQ(panel.screen().cycles.text, "0");
}

TEST_F(MeasurePanelTest, PageChangeStopsThePollForGood) {
    startPolling();
    EXPECT_EQ(panel.tick(false), TickResult::Idle);
    EXPECT_FALSE(panel.cyclic());
    EXPECT_EQ(panel.tick(true), TickResult::Idle);
    EXPECT_TRUE(line->requests.empty());

    startPolling();
    panel.pageChanged(true);
    EXPECT_FALSE(panel.cyclic());
    EXPECT_EQ(panel.screen().focus, MeasureFocus::ReadButton);
    EXPECT_EQ(panel.tick(true), TickResult::Idle);

    startPolling();
    panel.stopCyclic();
    EXPECT_EQ(panel.screen().focus, MeasureFocus::ReadButton);
    EXPECT_EQ(panel.tick(true), TickResult::Idle);
    EXPECT_TRUE(line->requests.empty());
}

TEST_F(MeasurePanelTest, BusyLinkSkipsTicksAndClicksButStopStillWorks) {
    startPolling();
    {
        const OperationGuard other(ctx);
        EXPECT_EQ(panel.tick(true), TickResult::Busy);
        panel.readOnce();
        panel.resetVolume();
        EXPECT_TRUE(line->requests.empty());
        EXPECT_TRUE(dialogs.shown.empty());
        EXPECT_TRUE(panel.cyclic());
        panel.stopCyclic();
        EXPECT_FALSE(panel.cyclic());
    }
    // A click handled while the poll's transaction waits does nothing either.
    startPolling();
    pump.onEvents = [this] { panel.readOnce(); };
    EXPECT_EQ(panel.tick(true), TickResult::Polled);
    pump.onEvents = nullptr;
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(panel.cyclic());
}

TEST_F(MeasurePanelTest, CyclicReadingNeedsThePort) {
    devices.refuse("/dev/fake", OpenError::Busy);
    panel.startCyclic();
    EXPECT_FALSE(panel.cyclic());
    EXPECT_EQ(panel.screen().focus, MeasureFocus::None);
    ASSERT_EQ(dialogs.shown.size(), 1u); // the open explains why
    panel.readOnce();
    EXPECT_TRUE(line->requests.empty());
}

TEST_F(MeasurePanelTest, ReadOnceShowsEverythingLogsAndReports) {
    panel.setLogSettings({true, dir.path() / "izm.txt"});
    clock.setLocalTime({2026, 3, 5, 9, 7, 3, 0});
    setPrimary(2.0f, 0, 0);
    startPolling();
    panel.readOnce();
    EXPECT_FALSE(panel.cyclic());
    EXPECT_EQ(heads(), (std::vector<RequestHead>{kMeasuredRead, kPrimaryRead, kOutputsRead}));
    EXPECT_EQ(panel.screen().flow.text, "1.2500     ");
    EXPECT_EQ(panel.screen().primaryFlow.text, "2.0000     ");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0],
              (RecordedDialog{RecordedDialog::Kind::Message, "Результат операции",
                              "Прочитано измеренное значение.", DialogIcon::Information}));
    EXPECT_EQ(logText().substr(0, 44), "05 03 2026 09 07 03  IZM_FLOW_V=     1.2500 ");
    EXPECT_EQ(panel.counters().cycles, 0); // the one-shot read does not count
}

TEST_F(MeasurePanelTest, ReadOnceFailureExplainsAndLogsNothing) {
    panel.setLogSettings({true, dir.path() / "izm.txt"});
    slave.exceptionCode = 2;
    panel.readOnce();
    EXPECT_EQ(heads(), (std::vector<RequestHead>{kMeasuredRead, kMeasuredRead})); // one repeat
    EXPECT_EQ(panel.screen().statusLine, (ScreenField{"Ошибка обмена", ScreenColour::Yellow}));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Устройство сообщает об ошибке");
    EXPECT_EQ(dialogs.shown[0].text, "Адрес данных выходит за допустимые границы.");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "izm.txt"));
}

TEST_F(MeasurePanelTest, PollLogsEveryTickWithTheLastCleanBlock) {
    panel.setLogSettings({true, dir.path() / "izm.txt"});
    startPolling();
    panel.tick(true);
    setFlow(9.0f, 0, 0);
    slave.exceptionCode = 4;
    panel.tick(true);
    const std::string log = logText();
    const auto first = log.find("IZM_FLOW_V=     1.2500 ");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(log.find("IZM_FLOW_V=     1.2500 ", first + 1), std::string::npos);
    EXPECT_EQ(log.find("9.0000"), std::string::npos);

    panel.setLogSettings({false, dir.path() / "izm.txt"});
    slave.exceptionCode = 0;
    panel.tick(true);
    EXPECT_EQ(logText(), log);
}

TEST_F(MeasurePanelTest, CsvLineThatCannotBeWrittenStopsTheRecordingAndThePollGoesOn) {
    std::ostringstream csv;
    panel.recordCsv(std::make_unique<PollCsv>(csv));
    startPolling();
    panel.tick(true);
    csv.setstate(std::ios::badbit); // the disk is full, the pipe closed
    EXPECT_EQ(panel.tick(true), TickResult::Polled);
    EXPECT_FALSE(panel.recordingCsv());
    EXPECT_EQ(dialogs.shown, (std::vector<RecordedDialog>{
                                 {RecordedDialog::Kind::Message, "Запись в CSV остановлена",
                                  "ошибка ввода-вывода", DialogIcon::Warning}}));
    const std::string written = csv.str();
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 2); // header, first poll
    panel.tick(true);
    EXPECT_EQ(panel.counters().cycles, 3);
}

TEST_F(MeasurePanelTest, ResetErrorCountAsksFirst) {
    startPolling();
    slave.dropNext = 1;
    panel.tick(true);
    dialogs.answers = {false};
    panel.resetErrorCount();
    EXPECT_EQ(panel.counters().exchangeErrors, 1);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0],
              (RecordedDialog{RecordedDialog::Kind::Question, "Подтвердите действие",
                              "Сбросить число ошибок?", DialogIcon::Warning}));
    panel.resetErrorCount();
    EXPECT_EQ(panel.counters().cycles, 0);
    EXPECT_EQ(panel.counters().exchangeErrors, 0);
    EXPECT_EQ(panel.counters().retries, 0);
    EXPECT_EQ(panel.screen().cycles.text, "0");
    EXPECT_EQ(panel.screen().errors.text, "0");
}

TEST_F(MeasurePanelTest, ResetVolumeUnlocksThenClears) {
    dialogs.answers = {false};
    panel.resetVolume();
    EXPECT_TRUE(slave.writes.empty());
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"Накопленный объем будет сброшен."}));
    EXPECT_EQ(dialogs.shown[0].byDefault, DefaultAnswer::No); // it cannot be undone

    panel.resetVolume();
    EXPECT_EQ(slave.writes, (std::vector<RegisterWrite>{{0x04FE, {1, 1}}, {0x1102, {1, 1}}}));
    EXPECT_EQ(dialogs.shown.size(), 2u); // success is silent

    slave.writes.clear();
    slave.exceptionCode = 3;
    panel.resetVolume();
    EXPECT_TRUE(slave.writes.empty());
    EXPECT_EQ(line->requests.size() > 0 ? headOf(line->requests.back()).start : 0, 0x04FE);
    EXPECT_EQ(dialogs.texts().back(), "Величина данных превышает допустимое значение.");
}

} // namespace
} // namespace flowcfg::test
