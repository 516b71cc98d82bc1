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
    EXPECT_TRUE(choosePort(s, {2, 5}, 1));
    EXPECT_EQ(s.Number, 5);
    EXPECT_FALSE(choosePort(s, {2, 5}, 2));
    EXPECT_EQ(s.Number, 5);
}

} // namespace
} // namespace flowcfg::test
