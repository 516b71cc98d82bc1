#pragma once
// The "ПРОЧИТАТЬ" / "ЗАПИСАТЬ" pairs of the measurement and output pages, as one table. A
// row names the page section it shows and takes, the register groups it reads and writes
// (in the order sent, each with the pause after its success), the confirmation and the
// success texts, and whether the write checks the meter's write protection. The command
// line calls the rows by name.

#include "config/PageTables.h"
#include "model/GroupIo.h"
#include "model/RegisterMap.h"
#include "model/WriteGuard.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace flowcfg {

struct PagePart {
    PageId page;
    std::uint8_t section;
};

struct PageButtons {
    std::string_view name; // command-line name of the group, e.g. "output1-frequency"
    PageId page;
    std::uint8_t section;
    std::span<const GroupTransfer> reads;
    std::string_view readSuccess;
    // Groups written first as one step whose failure is shown and then passed over (the
    // measurement write's cut-off groups).
    std::span<const GroupTransfer> leadingWrites;
    std::span<const GroupTransfer> writes;
    std::string_view confirmation;
    std::string_view writeSuccess;
    bool checksProtection = false;
    // Other page parts the read shows and the write takes, after its own section.
    std::span<const PagePart> alsoParts = {};
};

std::span<const PageButtons> pageButtons();
// The row of a page section; nullptr when the section has no buttons.
const PageButtons* findPageButtons(PageId page, std::uint8_t section);
const PageButtons* findPageButtons(std::string_view name);

} // namespace flowcfg
