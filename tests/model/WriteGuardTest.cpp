#include "model/WriteGuard.h"

#include "link/ModbusMaster.h"
#include "model/GroupIo.h"
#include "tests/model/MeterFixture.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

using Kind = RecordedDialog::Kind;

const RecordedDialog kConfirmQuestion{Kind::Question, "Подтвердите действие",
                                      "Данные конфигурации будут переписаны?.",
                                      DialogIcon::Warning};
const RecordedDialog kProtectionQuestion{
    Kind::Question, "Предупреждение", "В приборе включена защита от записи.", DialogIcon::Warning};
const RecordedDialog kSuccessBox{Kind::Message, "Результат операции",
                                 "Запись параметров выходов успешно осуществлена.",
                                 DialogIcon::Information};

class WriteGuard : public MeterFixture {
protected:
    WriteGuard() { ctx.settings.Reask_val = 1; } // one request per transaction

    // An output page's mode write: two single registers, 400 ms after each.
    WriteOperation outputWrite() {
        WriteOperation op;
        op.checksProtection = true;
        op.success = "Запись параметров выходов успешно осуществлена.";
        op.take = [this] {
            ++takes;
            return takeResult;
        };
        image.output.diskr_out_type0 = 2;
        image.output.diskr_out_direct_val_0 = 1;
        static constexpr GroupTransfer kMode[] = {{GroupId::Output1Type, 0, 400},
                                                  {GroupId::Output1DirectValue, 0, 400}};
        op.steps = writeSteps(image, kMode);
        return op;
    }

    static constexpr Request kProtectionRead{3, 0x012C, 1};
    static constexpr Request kLocks{16, 0x04FE, 2};
    DeviceImage image;
    int takes = 0;
    bool takeResult = true;
};

TEST_F(WriteGuard, StandardSequenceUnlocksWritesLocksAndReports) {
    const OperationOutcome outcome = runWriteOperation(ctx, outputWrite());
    EXPECT_EQ(outcome.end, OperationEnd::Succeeded);
    EXPECT_FALSE(outcome.leftUnlocked);
    EXPECT_EQ(takes, 1);
    EXPECT_EQ(served(), (std::vector<Request>{
                            kProtectionRead, kLocks, {16, 0x1047, 1}, {16, 0x104A, 1}, kLocks}));
    EXPECT_EQ(meter().reg(0x1047), 2);
    EXPECT_EQ(meter().reg(0x104A), 1);
    EXPECT_FALSE(meter().unlocked());
    EXPECT_EQ(dialogs.shown, (std::vector<RecordedDialog>{kConfirmQuestion, kSuccessBox}));
    using P = RecordedPause;
    const auto w = PauseTimer::AfterWrite;
    EXPECT_EQ(pump.pauses(), (std::vector<P>{{400, w},
                                             {100, w}, // unlock
                                             {400, w},
                                             {400, w}, // the two writes
                                             {400, w},
                                             {100, w}})); // lock
    EXPECT_EQ(ctx.lastWriteDescription, "Запись USERLOCK.");
}

TEST_F(WriteGuard, NoAtTheConfirmationSendsNothingAfterTheProtectionRead) {
    dialogs.answers = {false};
    const OperationOutcome outcome = runWriteOperation(ctx, outputWrite());
    EXPECT_EQ(outcome.end, OperationEnd::Declined);
    EXPECT_EQ(takes, 1); // the image already holds the page's values
    EXPECT_EQ(served(), (std::vector<Request>{kProtectionRead}));
    EXPECT_EQ(dialogs.shown, (std::vector<RecordedDialog>{kConfirmQuestion}));
}

TEST_F(WriteGuard, ProtectionOnAsksFirst) {
    meter().setWriteProtected(true);
    dialogs.answers = {false};
    EXPECT_EQ(runWriteOperation(ctx, outputWrite()).end, OperationEnd::Declined);
    EXPECT_EQ(served(), (std::vector<Request>{kProtectionRead}));
    EXPECT_EQ(dialogs.shown, (std::vector<RecordedDialog>{kProtectionQuestion}));
    EXPECT_TRUE(writeProtectionOn(ctx));

    // Yes goes on to the confirmation; No there still sends nothing.
    dialogs.shown.clear();
    dialogs.answers = {true, false};
    EXPECT_EQ(runWriteOperation(ctx, outputWrite()).end, OperationEnd::Declined);
    EXPECT_EQ(dialogs.shown, (std::vector<RecordedDialog>{kProtectionQuestion, kConfirmQuestion}));
    EXPECT_EQ(served().size(), 2u);
}

TEST_F(WriteGuard, FailureAfterTheUnlockLeavesTheMeterUnlockedAndExplains) {
    exceptionOn(0x104A, 0x104A, 2);
    const OperationOutcome outcome = runWriteOperation(ctx, outputWrite());
    EXPECT_EQ(outcome.end, OperationEnd::Failed);
    EXPECT_TRUE(outcome.leftUnlocked);
    EXPECT_EQ(outcome.failure.exceptionCode, 2);
    EXPECT_EQ(served(),
              (std::vector<Request>{kProtectionRead, kLocks, {16, 0x1047, 1}, {16, 0x104A, 1}}));
    EXPECT_TRUE(meter().unlocked());
    EXPECT_EQ(dialogs.shown.back(),
              (RecordedDialog{Kind::Message, "Устройство сообщает об ошибке",
                              "Адрес данных выходит за допустимые границы.", DialogIcon::Warning}));

    // The next good write locks the meter again.
    slave->faults().clear();
    EXPECT_EQ(runWriteOperation(ctx, outputWrite()).end, OperationEnd::Succeeded);
    EXPECT_FALSE(meter().unlocked());
}

TEST_F(WriteGuard, UnknownExceptionCodeIsShownInDecimal) {
    exceptionOn(0x1047, 0x1047, 6);
    EXPECT_EQ(runWriteOperation(ctx, outputWrite()).end, OperationEnd::Failed);
    EXPECT_EQ(dialogs.texts().back(), "Ошибка устройства 6");
}

TEST_F(WriteGuard, FailedUnlockWritesNothingAndNoAnswerIsExplained) {
    silentOn(0x04FE, 0x04FF, 1);
    const OperationOutcome outcome = runWriteOperation(ctx, outputWrite());
    EXPECT_EQ(outcome.end, OperationEnd::Failed);
    EXPECT_FALSE(outcome.leftUnlocked);
    EXPECT_EQ(served(), (std::vector<Request>{kProtectionRead, kLocks}));
    EXPECT_EQ(
        dialogs.shown.back(),
        (RecordedDialog{Kind::Message, "Ошибка в обмене.",
                        "Ответа не было.\n" + noAnswerHint(ctx.settings), DialogIcon::Warning}));
}

TEST_F(WriteGuard, BadInputOrClosedPortOrBusyLinkSendNothing) {
    takeResult = false;
    EXPECT_EQ(runWriteOperation(ctx, outputWrite()).end, OperationEnd::InputRejected);
    EXPECT_TRUE(served().empty());
    EXPECT_TRUE(dialogs.shown.empty());

    takeResult = true;
    {
        const OperationGuard other(ctx); // a poll tick is exchanging
        EXPECT_EQ(runWriteOperation(ctx, outputWrite()).end, OperationEnd::Busy);
        EXPECT_EQ(runReadOperation(ctx, {}).end, OperationEnd::Busy);
        EXPECT_EQ(runRestart(ctx).end, OperationEnd::Busy);
    }
    EXPECT_TRUE(served().empty());
    EXPECT_EQ(takes, 1);

    devices.refuse("/dev/meter", OpenError::Busy);
    EXPECT_EQ(runWriteOperation(ctx, outputWrite()).end, OperationEnd::PortFailed);
    EXPECT_TRUE(served().empty());
    EXPECT_EQ(takes, 1);
}

// An answer that arrives intact after a repeat (status 0x8000 alone) is a success: the
// operation must neither stop silently nor leave the meter unlocked.
TEST_F(WriteGuard, AnswerAfterARepeatIsASuccessInEveryStep) {
    ctx.settings.Reask_val = 2;
    silentOn(0x012C, 0x012C, 1); // protection read
    silentOn(0x04FE, 0x04FF, 1); // unlock
    silentOn(0x104A, 0x104A, 1); // second write
    const OperationOutcome outcome = runWriteOperation(ctx, outputWrite());
    EXPECT_EQ(outcome.end, OperationEnd::Succeeded);
    EXPECT_EQ(dialogs.shown, (std::vector<RecordedDialog>{kConfirmQuestion, kSuccessBox}));
    EXPECT_EQ(meter().reg(0x104A), 1);
    EXPECT_FALSE(meter().unlocked());
    EXPECT_EQ(ctx.lastStatusRead.status, status::Repeated);

    EXPECT_EQ(unlockParameters(ctx), ExchangeResult{});
    silentOn(0x04FE, 0x04FF, 1);
    EXPECT_EQ(lockParameters(ctx), ExchangeResult{}); // "return 0" after a repeat too
    EXPECT_FALSE(meter().unlocked());
}

TEST_F(WriteGuard, ProtectionReadKeepsTheWordOnlyOnSuccess) {
    open();
    meter().setWriteProtected(true);
    ASSERT_EQ(readWriteProtection(ctx), ExchangeResult{});
    EXPECT_TRUE(writeProtectionOn(ctx));
    meter().setWriteProtected(false);
    exceptionOn(0x012C, 0x012C, 4);
    const ExchangeResult r = readWriteProtection(ctx);
    EXPECT_EQ(r.exceptionCode, 4);
    EXPECT_EQ(ctx.lastStatusRead, r);
    EXPECT_TRUE(writeProtectionOn(ctx)); // the state as last read successfully
}

TEST_F(WriteGuard, RestartConfirmsUnlocksAndRestartsWithoutLocking) {
    dialogs.answers = {false};
    EXPECT_EQ(runRestart(ctx).end, OperationEnd::Declined);
    EXPECT_TRUE(served().empty());

    const OperationOutcome outcome = runRestart(ctx);
    EXPECT_EQ(outcome.end, OperationEnd::Succeeded);
    EXPECT_EQ(served(), (std::vector<Request>{kLocks, {16, 0x0419, 1}}));
    EXPECT_EQ(meter().restarts(), 1u);
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"Работа программы прибора будет перезапущена?.",
                                        "Работа программы прибора будет перезапущена?."}));
    // Logged with the text of the write before it.
    EXPECT_EQ(ctx.lastWriteDescription, "Запись разблокировки USERLOCK CLBLOCK.");
}

// Which unlock comes before the steps, whether the lock comes after them, and where the page
// rules and the read-back run, per guard kind.
TEST_F(WriteGuard, GuardKindsChooseTheUnlockAndTheLock) {
    const Request write{16, 0x1047, 1}, readBack{3, 0x1047, 1};
    const struct {
        GuardKind guard;
        std::vector<Request> served;
        std::vector<std::uint32_t> pauses;
        bool leftUnlocked;
        std::vector<std::size_t> atHooks; // requests served when beforeSteps, afterSteps run
    } cases[] = {
        {GuardKind::Standard,
         {kLocks, write, kLocks, readBack},
         {400, 100, 400, 100},
         false,
         {1, 2}},
        {GuardKind::NoLockAfter, {kLocks, write, readBack}, {400, 100}, true, {1, 2}},
        {GuardKind::CommandUnlock, {kLocks, write, readBack}, {}, true, {1, 2}},
        {GuardKind::None, {write, readBack}, {}, false, {0, 1}},
    };
    static constexpr GroupTransfer kType[] = {{GroupId::Output1Type}};
    for (const auto& c : cases) {
        slave->clearServed();
        pump.clearPauses();
        dialogs.shown.clear();
        std::vector<std::size_t> atHooks;
        int shows = 0;
        WriteOperation op;
        op.confirmation.clear();
        op.success = "Готово.";
        op.guard = c.guard;
        op.steps = writeSteps(image, kType);
        op.beforeSteps = [&] { atHooks.push_back(served().size()); };
        op.afterSteps = [&] { atHooks.push_back(served().size()); };
        op.readBack.steps = readSteps(image, kType);
        op.readBack.show = [&] { shows += dialogs.shown.empty() ? 1 : 100; }; // before the box
        const OperationOutcome outcome = runWriteOperation(ctx, op);
        const auto kind = static_cast<int>(c.guard);
        EXPECT_EQ(outcome, (OperationOutcome{OperationEnd::Succeeded, {}, c.leftUnlocked})) << kind;
        EXPECT_EQ(served(), c.served) << kind;
        std::vector<std::uint32_t> pauses;
        for (const RecordedPause& p : pump.pauses())
            pauses.push_back(p.ms);
        EXPECT_EQ(pauses, c.pauses) << kind;
        EXPECT_EQ(atHooks, c.atHooks) << kind;
        EXPECT_EQ(shows, 1) << kind;
        EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Готово."}) << kind;
        if (c.guard != GuardKind::None) { // that one finds the meter as the case before left it
            EXPECT_EQ(meter().unlocked(), c.leftUnlocked) << kind;
        }
    }
}

TEST_F(WriteGuard, ReadFormShowsOnlyAfterEveryStepSucceeded) {
    int shows = 0;
    ReadOperation op;
    op.success = "Чтение параметров выходов успешно осуществлено.";
    op.show = [&] { ++shows; };
    std::uint16_t word = 0;
    const auto read = [&word](std::uint16_t start) {
        return OperationStep{[start, &word](LinkContext& c) {
                                 return ModbusMaster(c).readHoldingRegisters(
                                     start, 1, std::span<std::uint16_t>(&word, 1));
                             },
                             0, 100};
    };
    op.steps = {read(0x1047), read(0x104A)};
    EXPECT_EQ(runReadOperation(ctx, op).end, OperationEnd::Succeeded);
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"Чтение параметров выходов успешно осуществлено."}));

    exceptionOn(0x104A, 0x104A, 2);
    dialogs.shown.clear();
    EXPECT_EQ(runReadOperation(ctx, op).end, OperationEnd::Failed);
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"Адрес данных выходит за допустимые границы."}));
}

TEST_F(WriteGuard, StepsThatReportAndContinueOrAreIgnored) {
    exceptionOn(0x101D, 0x1020, 3);
    WriteOperation op = outputWrite();
    op.checksProtection = false;
    const GroupTransfer cutoff[] = {{GroupId::Cutoff, 0, 400, OnFailure::ReportAndContinue}};
    op.steps.insert(op.steps.begin(), writeSteps(image, cutoff).front());
    EXPECT_EQ(runWriteOperation(ctx, op).end, OperationEnd::Succeeded);
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"Данные конфигурации будут переписаны?.",
                                        "Величина данных превышает допустимое значение.",
                                        "Запись параметров выходов успешно осуществлена."}));

    dialogs.shown.clear();
    op.steps.front().onFailure = OnFailure::Ignore;
    EXPECT_EQ(runWriteOperation(ctx, op).end, OperationEnd::Succeeded);
    EXPECT_EQ(dialogs.shown, (std::vector<RecordedDialog>{kConfirmQuestion, kSuccessBox}));
}

TEST_F(WriteGuard, OrderOfCheckTakeAndConfirmation) {
    std::vector<std::string> events;
    WriteOperation op = outputWrite();
    op.take = [&] {
        events.push_back("take after " + std::to_string(served().size()) + " requests, " +
                         std::to_string(dialogs.shown.size()) + " questions");
        return true;
    };
    dialogs.answers = {false, false, false};
    using enum GuardStage;
    op.order = {Check, Take, Confirm};
    runWriteOperation(ctx, op);
    op.order = {Confirm, Check, Take};
    slave->clearServed();
    dialogs.shown.clear();
    runWriteOperation(ctx, op); // No at the question: no check, no take
    op.order = kTakeCheckConfirm;
    runWriteOperation(ctx, op);
    EXPECT_EQ(events, (std::vector<std::string>{"take after 1 requests, 0 questions",
                                                "take after 0 requests, 1 questions"}));
}

} // namespace
} // namespace flowcfg::test
