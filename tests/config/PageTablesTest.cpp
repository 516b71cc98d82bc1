// The page rows held against each other, the screen tree and the register map, one rule per
// test over every family. (wellFormed() already holds each row together at compile time.)

#include "config/ConfigPages.h"
#include "config/PageModel.h"
#include "config/PageRegistry.h"
#include "config/ScreenPaths.h"
#include "model/RegisterMap.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace flowcfg::test {
namespace {

std::string where(const PageDefinition& page, std::string_view what) {
    return std::string(page.path) + ": " + std::string(what);
}

TEST(PageTables, EveryPageSitsOnceInTheScreenTree) {
    std::set<std::string_view> paths;
    ASSERT_FALSE(configPages().empty());
    for (const PageDefinition* page : configPages()) {
        EXPECT_TRUE(isScreenPath(page->path)) << page->path;
        EXPECT_TRUE(paths.insert(page->path).second) << "two rows for " << page->path;
    }
}

TEST(PageTables, EachMemberHasTheTypeOfItsControl) {
    DeviceImage image;
    for (const PageDefinition* page : configPages())
        for (const ControlSpec& c : page->controls) {
            if (c.kind == ControlKind::Label)
                continue; // no member (compile-time checked)
            const ValueRef ref = c.member(image);
            switch (c.kind) {
            case ControlKind::Float:
            case ControlKind::Value:
                EXPECT_TRUE(std::holds_alternative<float*>(ref)) << where(*page, c.id);
                break;
            case ControlKind::Integer:
                EXPECT_TRUE(std::holds_alternative<std::uint16_t*>(ref) ||
                            std::holds_alternative<std::uint32_t*>(ref))
                    << where(*page, c.id);
                break;
            default: // Hex16, List, Indicator: one register
                EXPECT_TRUE(std::holds_alternative<std::uint16_t*>(ref)) << where(*page, c.id);
            }
        }
}

TEST(PageTables, ButtonsExchangeGroupsOfTheMapInTheirDirection) {
    for (const PagePart& part : allButtons()) {
        const SectionButtons& b = buttonsOf(part);
        for (const GroupTransfer& g : b.reads)
            EXPECT_TRUE(group(g.group).readable()) << b.name << " reads " << group(g.group).name;
        for (const auto& writes : {b.leadingWrites, b.writes})
            for (const GroupTransfer& g : writes)
                EXPECT_TRUE(group(g.group).writable())
                    << b.name << " writes " << group(g.group).name;
    }
}

TEST(PageTables, OtherPartsOfAButtonExistAndNamesAreUnique) {
    std::set<std::string_view> names;
    for (const PagePart& part : allButtons()) {
        const SectionButtons& b = buttonsOf(part);
        EXPECT_TRUE(names.insert(b.name).second) << "two groups named " << b.name;
        for (const PagePart& other : b.alsoParts)
            EXPECT_NO_THROW(sectionOf(other)) << b.name << " shows " << other.page;
    }
}

// What a button takes it reads first (the command line writes the fields not named as read),
// and it sends it unless the control says it is not sent.
TEST(PageTables, TakenControlsAreReadAndSentUnlessMarkedNotSent) {
    for (const PagePart& part : allButtons()) {
        const SectionButtons& b = buttonsOf(part);
        if (b.writes.empty())
            continue;
        for (const PagePart& taken : partsOf(part))
            for (const ControlSpec& c : findPage(taken.page)->controls) {
                if (c.section != taken.section || !takesInput(c.kind))
                    continue;
                bool sent = false;
                for (const auto& writes : {b.leadingWrites, b.writes})
                    for (const GroupTransfer& g : writes)
                        sent = sent || writeSends(group(g.group), c.member);
                EXPECT_TRUE(readShows(b, c)) << b.name << " takes " << c.id << " unread";
                EXPECT_EQ(sent, !c.notSent) << b.name << ": " << c.id;
            }
    }
}

} // namespace
} // namespace flowcfg::test
