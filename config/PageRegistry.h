#pragma once
// Every configuration page row of every family, and the lookups by path, by the command
// line's group name and by a command button's name. The lookups work on any list of rows
// (tests hold their own small tables); by default on the families' rows.

#include "config/PageTable.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace flowcfg {

using PageList = std::span<const PageDefinition* const>;

// A command button: its section and its place among the section's commands.
struct CommandRef {
    PagePart part;
    std::uint8_t index = 0;
};

// All pages, family by family, each family in its own order.
const std::vector<const PageDefinition*>& configPages();
// The page at path; nullptr when no page has it.
const PageDefinition* findPage(std::string_view path, PageList pages = configPages());
// The section with buttons of this command-line name.
std::optional<PagePart> findButtons(std::string_view name, PageList pages = configPages());
// Every section with buttons, in page order.
std::vector<PagePart> allButtons(PageList pages = configPages());
// The buttons of a page section; std::out_of_range when the page or section is unknown.
const SectionButtons& buttonsOf(PagePart part, PageList pages = configPages());
const PageSection& sectionOf(PagePart part, PageList pages = configPages());

// The command button of this command-line name.
std::optional<CommandRef> findCommand(std::string_view name, PageList pages = configPages());
// Every command button, in page and section order.
std::vector<CommandRef> allCommands(PageList pages = configPages());
// std::out_of_range when there is no such button.
const CommandButton& commandOf(CommandRef ref, PageList pages = configPages());

} // namespace flowcfg
