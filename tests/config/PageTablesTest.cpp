// The page rows held against each other, the screen tree and the register map, one rule per
// test over every family. (wellFormed() already holds each row together at compile time.)

#include "config/ConfigPages.h"
#include "config/PageModel.h"
#include "config/PageRegistry.h"
#include "config/ScreenPaths.h"
#include "model/RegisterMap.h"
#include "tests/config/TestPages.h"

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

// The type a control's kind and format read from its member.
bool memberFits(const ControlSpec& c, const ValueRef& ref) {
    const bool single = std::holds_alternative<float*>(ref);
    const bool word = std::holds_alternative<std::uint16_t*>(ref);
    const bool integer = word || std::holds_alternative<std::uint32_t*>(ref);
    switch (c.kind) {
    case ControlKind::Float:
        return single;
    case ControlKind::Integer:
        return c.format == NumberFormat::Hex ? word : integer;
    case ControlKind::Value:
        if (c.format == NumberFormat::Hex || c.format == NumberFormat::WordsFloat)
            return word;
        return c.format == NumberFormat::Standard ? single || integer : single;
    default: // Hex16, List, Indicator, a Label of a code or bits: one register
        return word;
    }
}

// The families' rows, and the tests' own (which hold every kind and format).
std::vector<const PageDefinition*> allRows() {
    std::vector<const PageDefinition*> rows = configPages();
    rows.insert(rows.end(), std::begin(kTestPages), std::end(kTestPages));
    return rows;
}

TEST(PageTables, EachMemberHasTheTypeOfItsControl) {
    DeviceImage image;
    for (const PageDefinition* page : allRows())
        for (const ControlSpec& c : page->controls) {
            if (c.member != nullptr) { // labels without one are compile-time checked
                EXPECT_TRUE(memberFits(c, c.member(image))) << where(*page, c.id);
            }
        }
}

// A float assembled from two words reads the member word and the one after it: both words of
// one raw block of the map.
TEST(PageTables, WordsOfAFloatLieInOneRawBlock) {
    DeviceImage image;
    const auto address = [](const ValueRef& ref) {
        return reinterpret_cast<std::uintptr_t>(std::get<std::uint16_t*>(ref));
    };
    for (const PageDefinition* page : allRows())
        for (const ControlSpec& c : page->controls) {
            if (c.format != NumberFormat::WordsFloat)
                continue;
            const std::uintptr_t at = address(c.member(image));
            bool inside = false;
            for (const GroupDescriptor& g : registerMap())
                for (const FieldDescriptor& f : g.fields)
                    if (f.encoding == Encoding::RawWords) {
                        const std::uintptr_t first = address(f.member(image));
                        inside =
                            inside || (at >= first && at + 2 * sizeof(std::uint16_t) <=
                                                          first + f.extra * sizeof(std::uint16_t));
                    }
            EXPECT_TRUE(inside) << where(*page, c.id);
        }
}

TEST(PageTables, ButtonsExchangeGroupsOfTheMapInTheirDirection) {
    const auto check = [](std::string_view name, std::span<const GroupTransfer> reads,
                          std::initializer_list<std::span<const GroupTransfer>> writes) {
        for (const GroupTransfer& g : reads)
            EXPECT_TRUE(group(g.group).readable()) << name << " reads " << group(g.group).name;
        for (const auto& w : writes)
            for (const GroupTransfer& g : w)
                EXPECT_TRUE(group(g.group).writable()) << name << " writes " << group(g.group).name;
    };
    for (const PagePart& part : allButtons()) {
        const SectionButtons& b = buttonsOf(part);
        check(b.name, b.reads, {b.leadingWrites, b.writes});
    }
    for (const CommandRef& ref : allCommands()) {
        const CommandButton& c = commandOf(ref);
        check(c.name, c.reads, {c.writes});
    }
}

// One name space for get/set groups and do commands, so a name says one thing.
TEST(PageTables, OtherPartsOfAButtonExistAndNamesAreUnique) {
    std::set<std::string_view> names;
    for (const PagePart& part : allButtons()) {
        const SectionButtons& b = buttonsOf(part);
        EXPECT_TRUE(names.insert(b.name).second) << "two buttons named " << b.name;
        for (const PagePart& other : b.alsoParts)
            EXPECT_NO_THROW(sectionOf(other)) << b.name << " shows " << other.page;
    }
    for (const CommandRef& ref : allCommands())
        EXPECT_TRUE(names.insert(commandOf(ref).name).second)
            << "two buttons named " << commandOf(ref).name;
}

// What a button takes it reads first where it has a read (the command line writes the fields
// not named as read; without a read it wants every field named), and it sends it unless the
// control says it is not sent.
TEST(PageTables, TakenControlsAreReadAndSentUnlessMarkedNotSent) {
    for (const PagePart& part : allButtons()) {
        const SectionButtons& b = buttonsOf(part);
        if (b.writes.empty() || !b.writeTakes)
            continue;
        for (const PagePart& taken : partsOf(part))
            for (const ControlSpec& c : findPage(taken.page)->controls) {
                if (c.section != taken.section || !takesInput(c.kind))
                    continue;
                bool sent = false;
                for (const auto& writes : {b.leadingWrites, b.writes})
                    for (const GroupTransfer& g : writes)
                        sent = sent || writeSends(group(g.group), c.member);
                EXPECT_TRUE(c.notSent || b.reads.empty() || readShows(b, c))
                    << b.name << " takes " << c.id << " unread";
                EXPECT_EQ(sent, !c.notSent) << b.name << ": " << c.id;
            }
    }
}

} // namespace
} // namespace flowcfg::test
