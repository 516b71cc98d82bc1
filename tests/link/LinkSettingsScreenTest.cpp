// The link selectors of "НАСТРОЙКИ ПРОГРАММЫ" without Qt: their items, what they show for the
// settings and what a choice stores.

#include "link/LinkSettingsScreen.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

TEST(LinkSettingsScreen, ItemsAndWhatTheSettingsSelect) {
    ASSERT_EQ(speedItems().size(), 8u);
    EXPECT_EQ(speedItems()[0], "1200");
    EXPECT_EQ(speedItems()[7], "115200");
    EXPECT_EQ(parityItems()[1], "Нечетный");
    ASSERT_EQ(addressItems().size(), 248u);
    EXPECT_EQ(addressItems()[5], "  5");
    EXPECT_EQ(addressItems()[247], "247");

    struct Case {
        std::uint16_t speedIndex, parity, address;
        LinkSelection shown;
    };
    const Case cases[] = {
        {10, 1, 247, {7, 1, 247, "COM1, 115200 , нечетный паритет "}},
        {3, 2, 0, {0, 2, 0, "COM1, 1200 , четный паритет "}},
        {2, 3, 248, {3, 0, -1, "COM1, ? без паритета "}}, // unknown speed shows "9600"
        {11, 0, 1, {3, 0, 1, "COM1, ? без паритета "}},
    };
    for (const Case& c : cases) {
        LinkSettings s;
        s.speedIndex = c.speedIndex;
        s.parity = c.parity;
        s.NetAdrr = c.address;
        EXPECT_EQ(linkSelection(s), c.shown) << c.speedIndex;
    }
    LinkSettings quick;
    quick.QuickAnswerEnd = 1;
    EXPECT_TRUE(linkSelection(quick).quickAnswerEnd);
}

// The configured port is always what the selector shows, found or not.
TEST(LinkSettingsScreen, PortSelectorShowsTheConfiguredPortFoundOrNot) {
    struct Case {
        std::vector<std::uint16_t> found;
        std::uint16_t configured;
        std::vector<std::string> items;
        int selected;
    };
    const Case cases[] = {
        {{1, 3, 10}, 3, {"COM1", "COM3", "COM10"}, 1},
        {{1, 3, 10}, 7, {"COM1", "COM3", "COM7 (нет)", "COM10"}, 2},
        {{2, 5}, 1, {"COM1 (нет)", "COM2", "COM5"}, 0},
        {{2, 5}, 9, {"COM2", "COM5", "COM9 (нет)"}, 2},
        {{}, 1, {}, -1},
    };
    for (const Case& c : cases) {
        const PortLists lists = portLists(c.found, c.configured);
        EXPECT_EQ(lists.items, c.items) << c.configured;
        EXPECT_EQ(lists.selected, c.selected) << c.configured;
        EXPECT_EQ(lists.numbers.size(), lists.items.size());
        std::vector<std::string> available;
        for (const std::uint16_t n : c.found)
            available.push_back("COM" + std::to_string(n));
        if (available.empty())
            available = {"Нет"};
        EXPECT_EQ(lists.available, available) << "only the found ports";
        EXPECT_EQ(lists.selectorText,
                  c.found.empty() ? "портов нет" : c.items[static_cast<std::size_t>(c.selected)]);
    }
}

TEST(LinkSettingsScreen, ChoicesStoreAndSayWhetherToReopen) {
    LinkSettings s;
    EXPECT_TRUE(chooseSpeed(s, 1));
    EXPECT_EQ(s.speedIndex, 4);
    EXPECT_TRUE(chooseSpeed(s, -1));
    EXPECT_EQ(s.speedIndex, 7);
    EXPECT_TRUE(chooseParity(s, 2));
    EXPECT_EQ(s.parity, 2);
    EXPECT_FALSE(chooseAddress(s, 17));
    EXPECT_EQ(s.NetAdrr, 17);
    EXPECT_FALSE(chooseAddress(s, -1));
    EXPECT_EQ(s.NetAdrr, 17);
    const PortLists ports = portLists({2, 5}, 7); // COM2, COM5, COM7 (нет)
    EXPECT_TRUE(choosePort(s, ports, 1));
    EXPECT_EQ(s.Number, 5);
    EXPECT_TRUE(choosePort(s, ports, 2)); // the absent port, chosen again
    EXPECT_EQ(s.Number, 7);
    EXPECT_FALSE(choosePort(s, ports, 3));
    EXPECT_EQ(s.Number, 7);
    EXPECT_FALSE(chooseQuickAnswerEnd(s, true));
    EXPECT_EQ(s.QuickAnswerEnd, 1);
    EXPECT_FALSE(chooseQuickAnswerEnd(s, false));
    EXPECT_EQ(s.QuickAnswerEnd, 0);
}

} // namespace
} // namespace flowcfg::test
