#include "ArchiveFixture.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

using Page = ArchiveFixture;

struct Served {
    std::uint8_t function;
    std::uint16_t start;
    std::uint16_t count;
    bool operator==(const Served&) const = default;
};

std::vector<Served> servedOf(const sim::MeterSlave& slave) {
    std::vector<Served> out;
    for (const auto& r : slave.served())
        out.push_back({r.function, r.start, r.count});
    return out;
}

const RecordedDialog success(std::string text) {
    return {RecordedDialog::Kind::Message, "Результат операции", std::move(text),
            DialogIcon::Information};
}

TEST_F(Page, SelectorItemsAndStartUpValues) {
    ASSERT_EQ(intervalItems().size(), 3601u);
    EXPECT_EQ(intervalItems()[0], "выкл.");
    EXPECT_EQ(intervalItems()[1], "1");
    EXPECT_EQ(intervalItems()[3600], "3600");
    EXPECT_EQ(frameTypeItems(), (std::vector<std::string>{"Расширенный", "Сокращенный"}));
    EXPECT_EQ(frameNumberAfterReadItems(),
              (std::vector<std::string>{"Не меняется", "Уменьшится на 1", "Увеличится на 1"}));
    // The profile's defaults (1, 1) and 0 for the change after reading.
    const auto& s = controller->screen();
    EXPECT_EQ(s.intervalIndex, 1);
    EXPECT_EQ(s.frameTypeIndex, 1);
    EXPECT_EQ(s.frameNumberAfterReadIndex, 0);
    EXPECT_FALSE(s.hiddenSelectorsVisible);
    EXPECT_EQ(intervalText(s), "1");
}

TEST_F(Page, ReadIntervalShowsTheThreeSelectors) {
    meter().setReg(0x1500, 0); // interval: off
    meter().setReg(0x1501, 0); // extended frame
    meter().setReg(0x1502, 2); // increases by 1
    meter().setReg(0x1503, 7);
    meter().setReg(0x1504, 8);
    EXPECT_EQ(controller->readInterval().end, OperationEnd::Succeeded);
    EXPECT_EQ(servedOf(*slave), (std::vector<Served>{{0x03, 0x1500, 5}}));
    const auto& s = controller->screen();
    EXPECT_EQ(s.intervalIndex, 0);
    EXPECT_EQ(intervalText(s), "выкл.");
    EXPECT_EQ(s.frameTypeIndex, 0);
    EXPECT_EQ(s.frameNumberAfterReadIndex, 2);
    EXPECT_EQ(device.readings.archiveSettingsTail, (std::array<std::uint16_t, 2>{7, 8}));
    EXPECT_EQ(dialogs.shown, std::vector<RecordedDialog>{
                                 success("Чтение интервала записи в архив успешно осуществлено.")});

    // A value beyond a list keeps the list's selection.
    meter().setReg(0x1500, 5000);
    meter().setReg(0x1501, 9);
    controller->readInterval();
    EXPECT_EQ(s.intervalIndex, 0);
    EXPECT_EQ(s.frameTypeIndex, 0);
    EXPECT_EQ(device.frame_write.frame_write_interval_sec, 5000);
}

TEST_F(Page, WriteIntervalSendsThreeWordsBetweenUnlockAndLock) {
    controller->screen().intervalIndex = 3600;
    controller->screen().frameTypeIndex = 0;
    controller->screen().frameNumberAfterReadIndex = 1;
    EXPECT_EQ(controller->writeInterval().end, OperationEnd::Succeeded);
    EXPECT_EQ(servedOf(*slave), (std::vector<Served>{{0x10, 0x04FE, 2},    // unlock
                                                     {0x10, 0x1500, 3},    // the settings
                                                     {0x10, 0x04FE, 2}})); // lock
    EXPECT_EQ(meter().regs(0x1500, 3), (std::vector<std::uint16_t>{3600, 0, 1}));
    EXPECT_EQ(meter().regs(0x04FE, 2), (std::vector<std::uint16_t>{0, 0}));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0],
              (RecordedDialog{RecordedDialog::Kind::Question, "Подтвердите действие",
                              "Интервал архивации будет переписан?.", DialogIcon::Warning}));
    EXPECT_EQ(dialogs.shown[1], success("Запись интервала архивации успешно осуществлена."));
}

TEST_F(Page, AnsweringNoWritesNothing) {
    dialogs.answers = {false, false};
    controller->screen().intervalIndex = 10;
    EXPECT_EQ(controller->writeInterval().end, OperationEnd::Declined);
    controller->screen().readFrameNumber = "5";
    EXPECT_EQ(controller->writeFrameNumber().end, OperationEnd::Declined);
    for (const auto& r : slave->served())
        EXPECT_NE(r.function, 0x10);
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"Интервал архивации будет переписан?.",
                                        "Номер читаемого кадра будет переписан?."}));
}

TEST_F(Page, ReadFrameDataIsTwoRequestsWithAPause) {
    useMeter(meterConfig(25, 4));
    EXPECT_EQ(controller->readFrameData().end, OperationEnd::Succeeded);
    EXPECT_EQ(servedOf(*slave), (std::vector<Served>{{0x03, 0x1505, 4}, {0x03, 0x150B, 2}}));
    EXPECT_EQ(pump.pauses(), (std::vector<RecordedPause>{{100, PauseTimer::BeforeRead},
                                                         {100, PauseTimer::BeforeRead}}));
    const auto& s = controller->screen();
    EXPECT_EQ(s.totalFrames, "25");
    EXPECT_EQ(s.currentFrame, "25");
    EXPECT_EQ(s.blocks, "7"); // 25 frames at 4 per block
    EXPECT_EQ(dialogs.shown,
              std::vector<RecordedDialog>{success("Чтение данных о кадрах успешно осуществлено.")});
}

TEST_F(Page, FailedSecondCounterRequestShowsTheOutcomeAndKeepsTheNumbers) {
    sim::FaultRule exception;
    exception.kind = sim::FaultKind::Exception;
    exception.param = 2;
    exception.ranged = true;
    exception.first = 0x150B;
    exception.last = 0x150C;
    slave->faults().add(exception);
    const auto outcome = controller->readFrameData();
    EXPECT_EQ(outcome.end, OperationEnd::Failed);
    EXPECT_EQ(device.readings.total_frames, 0u); // nothing stored from the first request
    EXPECT_EQ(controller->screen().totalFrames, "0");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Устройство сообщает об ошибке");
}

TEST_F(Page, FrameToBeReadIsReadAndWrittenHighWordFirst) {
    meter().setReg(0x1509, 1);
    meter().setReg(0x150A, 2);
    EXPECT_EQ(controller->readFrameNumber().end, OperationEnd::Succeeded);
    EXPECT_EQ(controller->screen().readFrameNumber, "65538");
    EXPECT_EQ(dialogs.shown.back(),
              success("Чтение интервала записи в архив успешно осуществлено."));

    slave->clearServed();
    controller->screen().readFrameNumber = " 70000 ";
    EXPECT_EQ(controller->writeFrameNumber().end, OperationEnd::Succeeded);
    EXPECT_EQ(servedOf(*slave),
              (std::vector<Served>{{0x10, 0x04FE, 2}, {0x10, 0x1509, 2}, {0x10, 0x04FE, 2}}));
    EXPECT_EQ(meter().regs(0x1509, 2), (std::vector<std::uint16_t>{1, 4464})); // 0x0001'1170
    EXPECT_EQ(dialogs.shown.back(), success("Запись номера читаемого кадра успешно осуществлена."));
}

TEST_F(Page, FrameNumberThatDoesNotParseIsNotWritten) {
    for (const char* text : {"12a", "", "-1", "4294967296", "1.5"}) {
        SCOPED_TRACE(text);
        dialogs.shown.clear();
        slave->clearServed();
        controller->screen().readFrameNumber = text;
        EXPECT_EQ(controller->writeFrameNumber().end, OperationEnd::InputRejected);
        EXPECT_TRUE(slave->served().empty());
        EXPECT_EQ(dialogs.shown,
                  (std::vector<RecordedDialog>{
                      {RecordedDialog::Kind::Message, "Ошибка ввода",
                       "Вводимые данные не получается представить целым числом.",
                       DialogIcon::Exclamation},
                      {RecordedDialog::Kind::Message, "Сообщение",
                       "Запись данных не будет производиться.", DialogIcon::Information}}));
    }
}

} // namespace
} // namespace flowcfg::test
