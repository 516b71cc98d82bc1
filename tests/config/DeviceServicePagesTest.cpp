// The device service pages against the simulated meter: what they do beyond their rows (the
// network write moving the tool's own link, the clock from the computer, the clamped password,
// the service page's number and date, years beyond the lists, the broadcast address refused).

#include "config/DeviceServicePages.h"

#include "config/ConfigPages.h"
#include "tests/model/MeterFixture.h"

#include <functional>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

constexpr std::uint8_t FC3 = 3, FC16 = 16;
using Words = std::vector<std::uint16_t>;

class DeviceServicePagesTest : public MeterFixture {
protected:
    using Requests = std::vector<Request>;
    static constexpr Request kLocks{FC16, 0x04FE, 2}, kProtection{FC3, 0x012C, 1};

    void SetUp() override {
        ctx.settings.Reask_val = 1;
        pages.linkChanged = [this] { ++linkChanges; };
        pages.progress = [this](std::string_view t) { progress.emplace_back(t); };
        pages.showAll();
    }
    void start() {
        slave->clearServed();
        dialogs.shown.clear();
    }
    PageModel& page(std::string_view path) { return pages.page(path); }
    // The user picks the item with this text.
    void pick(std::string_view path, std::string_view id, std::string_view text) {
        const ControlSpec& def = page(path).def(id);
        for (std::size_t i = 0; i < def.items.size(); ++i)
            if (def.items[i] == text)
                return page(path).choose(id, i);
        FAIL() << id << " has no item " << text;
    }
    OperationOutcome write(std::string_view path, std::uint8_t section) {
        start();
        return pages.write({path, section});
    }
    OperationOutcome press(std::string_view name) {
        start();
        return pages.press(findCommand(name).value());
    }

    DeviceImage image;
    ConfigPages pages{ctx, image};
    int linkChanges = 0;
    std::vector<std::string> progress;
};

TEST_F(DeviceServicePagesTest, EdgeCasesSendWhatThePageSays) {
    const struct {
        std::string_view what;
        std::function<OperationOutcome()> act;
        std::uint16_t start;
        Words sent;
    } cases[] = {
        {"115200, even, address 5",
         [&] {
             pick(page::device, "NET_SPD", "115200");
             pick(page::device, "NET_PAR", "Четный");
             pick(page::device, "NET_NUM", "5");
             return write(page::device, section::Network);
         },
         0x0408,
         {5, 10, 2}},
        {"password 12345",
         [&] {
             page(page::panel).edit("PSW", "12345");
             return write(page::panel, 0);
         },
         0x04F0,
         {9999}},
        {"ГОД 2023",
         [&] {
             image.NEW_DAT.NUM_HI = 0x0003; // 260417, as last read
             image.NEW_DAT.NUM_LO = 0xF941;
             pick(page::serviceParameters, "DAY_NEW", "7");
             pick(page::serviceParameters, "MONTH_NEW", "МАЙ");
             pick(page::serviceParameters, "YEAR_NEW", "2023");
             return write(page::serviceParameters, section::DateChosen);
         },
         0x0405,
         {7, 5, 2023}},
        {"clock at 09:05:03 on 1 March 2024",
         [&] {
             clock.setLocalTime({2024, 3, 1, 9, 5, 3, 0});
             return press("clock-from-computer");
         },
         0x0420,
         {2024, 3, 1, 9, 5, 3}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.act().end, OperationEnd::Succeeded) << c.what << ": " << dialogs.texts().back();
        EXPECT_EQ(meter().regs(c.start, static_cast<std::uint16_t>(c.sent.size())), c.sent)
            << c.what;
    }
    EXPECT_EQ(meter().regs(0x0401, 2), (Words{0x0003, 0xF941}));
    // The clock page shows what it read back, in one line.
    EXPECT_EQ(page(page::clock).state("clock").text, "9:05:03  1.03.2024");

    // The tool now talks at 115200 baud, even parity, address 5: the lock went out there.
    EXPECT_EQ(ctx.settings.speedIndex, 10);
    EXPECT_EQ(ctx.settings.parity, 2);
    EXPECT_EQ(ctx.settings.NetAdrr, 5);
    EXPECT_EQ(linkChanges, 1);
    EXPECT_EQ(meter().address(), 5);
    EXPECT_FALSE(meter().unlocked());
    EXPECT_EQ(progress,
              (std::vector<std::string>{std::string(kWritingNetwork), std::string(kWritingLock)}));
}

// The network write checks the protection before it takes; a failed write leaves the link
// alone; a lock the meter does not answer at its new settings is reported, and the link stays
// where the meter went.
TEST_F(DeviceServicePagesTest, NetworkWriteMovesTheLinkOnlyWhenTheMeterMoved) {
    const LinkSettings before = ctx.settings;
    pick(page::device, "NET_NUM", "9");
    exceptionOn(0x0408, 0x040A, 4);
    EXPECT_EQ(write(page::device, section::Network).end, OperationEnd::Failed);
    EXPECT_EQ(served(), (Requests{kProtection, kLocks, {FC16, 0x0408, 3}}));
    EXPECT_EQ(ctx.settings.NetAdrr, before.NetAdrr);
    EXPECT_EQ(ctx.settings.speedIndex, before.speedIndex);
    EXPECT_EQ(linkChanges, 0);
    slave->faults().clear();

    pages.linkChanged = [this] { silentOn(0x04FE, 0x04FF, 1); };
    const OperationOutcome outcome = write(page::device, section::Network);
    EXPECT_EQ(outcome.end, OperationEnd::Failed);
    EXPECT_TRUE(outcome.leftUnlocked);
    EXPECT_TRUE(dialogs.texts().back().starts_with("Ответа не было.")) << dialogs.texts().back();
    EXPECT_EQ(ctx.settings.NetAdrr, 9);
    EXPECT_EQ(meter().address(), 9);
}

TEST_F(DeviceServicePagesTest, BadInputSendsNothing) {
    const struct {
        std::string_view path, id, text;
        std::uint8_t section;
        std::vector<std::string> boxes;
    } cases[] = {
        {page::panel, "PSW", "abc", 0, {"Вводимый пароль не получается представить целым числом."}},
        {page::panel, "PSW", "-1", 0, {"Вводимый пароль не получается представить целым числом."}},
        {page::serviceParameters,
         "factory_number",
         "12a",
         section::DateFromComputer,
         {"Вводимые данные не получается представить целым числом.",
          "Запись данных не будет производиться."}},
        {page::serviceParameters,
         "factory_number",
         "4294967296",
         section::DateFromComputer,
         {"Вводимые данные не получается представить целым числом.",
          "Запись данных не будет производиться."}},
    };
    for (const auto& c : cases) {
        page(c.path).edit(c.id, std::string(c.text));
        EXPECT_EQ(write(c.path, c.section).end, OperationEnd::InputRejected) << c.text;
        EXPECT_TRUE(served().empty()) << c.text;
        EXPECT_EQ(dialogs.texts(), c.boxes) << c.text;
    }

    // Address 0 would leave a meter that answers nobody: refused before any exchange.
    pick(page::device, "NET_NUM", "0");
    EXPECT_EQ(write(page::device, section::Network).end, OperationEnd::InputRejected);
    EXPECT_TRUE(served().empty());
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].caption, "Ошибка ввода");
    EXPECT_EQ(dialogs.shown[1].text, "Запись данных не будет производиться.");
    EXPECT_EQ(page(page::device).def("NET_NUM").items.size(), 248u);
    EXPECT_EQ(meter().address(), 1);

    // Above 9999, however large, the password goes as 9999.
    page(page::panel).edit("PSW", "70000");
    EXPECT_EQ(write(page::panel, 0).end, OperationEnd::Succeeded);
    EXPECT_EQ(meter().reg(0x04F0), 9999);
}

// A year no list item stands for is shown as its number and goes back as it came; the lists
// hold years up to 2099.
TEST_F(DeviceServicePagesTest, YearsBeyondTheListsAreKept) {
    meter().setReg(0x0407, 2105);
    start();
    ASSERT_EQ(pages.read({page::device, section::Identity}).end, OperationEnd::Succeeded);
    EXPECT_EQ(served(), (Requests{{FC3, 0x0403, 2}, {FC3, 0x0400, 8}}));
    const ControlState& year = page(page::device).state("YEAR_NEW");
    EXPECT_EQ(selectedItem(page(page::device).def("YEAR_NEW"), year), "2105");
    EXPECT_TRUE(page(page::device).state("manufacture_date").text.ends_with(".2105"));

    // The chosen-date selectors show it too after a show of the image; the write sends it back.
    pages.show({page::serviceParameters, section::DateChosen});
    EXPECT_EQ(write(page::serviceParameters, section::DateChosen).end, OperationEnd::Succeeded);
    EXPECT_EQ(meter().reg(0x0407), 2105);

    pick(page::clock, "year", "2099");
    EXPECT_EQ(page(page::clock).state("year").index, 82u);
    chooseServiceDate(pages, {2099, 12, 31});
    EXPECT_EQ(write(page::serviceParameters, section::DateChosen).end, OperationEnd::Succeeded);
    EXPECT_EQ(meter().regs(0x0405, 3), (Words{31, 12, 2099}));
}

} // namespace
} // namespace flowcfg::test
