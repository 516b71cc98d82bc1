#pragma once
// Every configuration page row of every family, and the lookups by path and by the command
// line's group name.

#include "config/PageTable.h"

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace flowcfg {

// All pages, family by family, each family in its own order.
const std::vector<const PageDefinition*>& configPages();
// The page at path; nullptr when no page has it.
const PageDefinition* findPage(std::string_view path);
// The section with buttons of this command-line name.
std::optional<PagePart> findButtons(std::string_view name);
// Every section with buttons, in page order.
const std::vector<PagePart>& allButtons();
// The buttons of a page section; std::out_of_range when the page or section is unknown.
const SectionButtons& buttonsOf(PagePart part);
const PageSection& sectionOf(PagePart part);

} // namespace flowcfg
