// Command buttons and the section flags, on the tests' own page table against the simulated
// meter: the guard kind of each button, its question and box, the poll stopped first, the
// page rules around the writes and the read-back.

#include "config/ConfigPages.h"
#include "tests/config/TestPages.h"
#include "tests/model/MeterFixture.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

constexpr std::uint8_t FC3 = 3, FC16 = 16;

class CommandButtonsTest : public MeterFixture {
protected:
    using Requests = std::vector<Request>;
    static constexpr Request kLocks{FC16, 0x04FE, 2}, kProtection{FC3, 0x012C, 1};

    void SetUp() override {
        ctx.settings.Reask_val = 1;
        pages.stopPolling = [this] { ++pollStops; };
        pages.showAll();
    }
    void start() {
        slave->clearServed();
        dialogs.shown.clear();
        pollStops = 0;
    }
    OperationOutcome press(std::string_view name) {
        start();
        const auto ref = findCommand(name, kTestPages);
        EXPECT_TRUE(ref.has_value()) << name;
        return pages.press(ref.value_or(CommandRef{}));
    }
    ControlState& state(std::string_view id) { return pages.page(kTestPage).state(id); }

    DeviceImage image;
    ConfigPages pages{ctx, image, kTestPages};
    int pollStops = 0;
};

TEST_F(CommandButtonsTest, EachCommandRunsInItsGuardKind) {
    const struct {
        std::string_view name;
        Requests served;
        std::vector<std::string> boxes;
        bool leftUnlocked;
        int pollStops;
    } cases[] = {
        {"test-blink", {{FC16, 0x0416, 1}}, {"Прибор ответил."}, false, 1},
        {"test-restart",
         {kLocks, {FC16, 0x0419, 1}},
         {"Работа программы прибора будет перезапущена?."},
         true,
         0},
        {"test-cleaning-on",
         {kLocks, {FC16, 0x0546, 1}},
         {"Включить очистку электродов."}, // silent on success
         true,
         0},
        {"test-cleaning-read", {{FC3, 0x0540, 8}}, {"Прочитано."}, false, 1},
    };
    for (const auto& c : cases) {
        const OperationOutcome outcome = press(c.name);
        EXPECT_EQ(outcome, (OperationOutcome{OperationEnd::Succeeded, {}, c.leftUnlocked}))
            << c.name;
        EXPECT_EQ(served(), c.served) << c.name;
        EXPECT_EQ(dialogs.texts(), c.boxes) << c.name;
        EXPECT_EQ(pollStops, c.pollStops) << c.name;
    }
    EXPECT_EQ(meter().blinks(), 1u);
    EXPECT_EQ(meter().restarts(), 1u);
    EXPECT_TRUE(meter().cleaning());
    EXPECT_EQ(ctx.lastWriteDescription, "Включить очистку электродов");

    // No to the question sends nothing; the unlock of the command is its own row.
    dialogs.answers = {false};
    EXPECT_EQ(press("test-cleaning-on").end, OperationEnd::Declined);
    EXPECT_TRUE(served().empty());
}

// The clock write asks, then checks the protection, unlocks and only then takes the
// computer's time; after the lock it reads the clock back and shows it under its box.
TEST_F(CommandButtonsTest, ClockWriteTakesTheTimeAfterTheQuestionAndReadsItBack) {
    clock.setLocalTime({2024, 3, 1, 9, 5, 3, 0});
    meter().setWriteProtected(true);
    std::string hourUnderTheBox;
    dialogs.onShown = [&](const RecordedDialog& d) {
        if (d.text == "Данные времени и даты будут переписаны?.")
            clock.advance(5000); // the user thinks it over
        if (d.text == "Запись времени и даты успешно осуществлена.")
            hourUnderTheBox = state("hour_summary").text;
    };
    ASSERT_EQ(press("test-set-clock").end, OperationEnd::Succeeded);
    EXPECT_EQ(served(),
              (Requests{kProtection, kLocks, {FC16, 0x0420, 6}, kLocks, {FC3, 0x0420, 6}}));
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"Данные времени и даты будут переписаны?.",
                                        "В приборе включена защита от записи.",
                                        "Запись времени и даты успешно осуществлена."}));
    EXPECT_EQ(meter().regs(0x0420, 6), (std::vector<std::uint16_t>{2024, 3, 1, 9, 5, 8}));
    EXPECT_EQ(hourUnderTheBox, "9 ч");
    EXPECT_EQ(state("year").index, 1u); // "2024"
}

TEST_F(CommandButtonsTest, SectionFlagsStopThePollKeepTheLocksAndRunTheRules) {
    const PagePart clockPart{kTestPage, kClockSection}, cleaningPart{kTestPage, kCleaningSection};
    // The read stops the poll first.
    start();
    ASSERT_EQ(pages.read(clockPart).end, OperationEnd::Succeeded);
    EXPECT_EQ(pollStops, 1);

    // The link rule runs once the write succeeded, before the lock, and tells the window;
    // only then.
    std::size_t servedAtLinkChange = 0;
    pages.linkChanged = [&] { servedAtLinkChange = served().size(); };
    start();
    ASSERT_EQ(pages.write(clockPart).end, OperationEnd::Succeeded);
    EXPECT_EQ(served(), (Requests{kLocks, {FC16, 0x0420, 6}, kLocks}));
    EXPECT_EQ(servedAtLinkChange, 2u);
    EXPECT_EQ(ctx.settings.TimeGapDev, 25);
    // A write the meter refuses: the rule does not run, the link stays as it was.
    ctx.settings.TimeGapDev = 0;
    slave->faults().add({.kind = sim::FaultKind::Exception,
                         .param = 4,
                         .ranged = true,
                         .first = 0x0420,
                         .last = 0x0425});
    start();
    EXPECT_EQ(pages.write(clockPart).end, OperationEnd::Failed);
    EXPECT_EQ(ctx.settings.TimeGapDev, 0);
    slave->faults().clear();

    // A write that takes nothing sends the image as read, whatever the field holds, and leaves
    // the locks lifted.
    meter().setReg(0x0541, 24);
    ASSERT_EQ(pages.read(cleaningPart).end, OperationEnd::Succeeded);
    state("interval").text = "99";
    start();
    const OperationOutcome outcome = pages.write(cleaningPart);
    EXPECT_EQ(outcome, (OperationOutcome{OperationEnd::Succeeded, {}, true}));
    EXPECT_EQ(served(), (Requests{kLocks, {FC16, 0x0541, 1}}));
    EXPECT_EQ(meter().reg(0x0541), 24);
    EXPECT_TRUE(meter().unlocked());
    EXPECT_EQ(pollStops, 0);
}

} // namespace
} // namespace flowcfg::test
