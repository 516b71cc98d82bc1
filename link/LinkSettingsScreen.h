#pragma once
// The link selectors of "НАСТРОЙКИ ПРОГРАММЫ" as plain data: their items, which items show
// the link settings, and what a choice stores. The Qt page (app/ProgramSettingsPage.h) only
// fills the lists, selects and forwards the user's choices.

#include "link/LinkSettings.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg {

// "1200" .. "115200": item i is speed index i + 3.
std::span<const std::string_view> speedItems();
// "Без паритета", "Нечетный", "Четный": item i is parity code i.
std::span<const std::string_view> parityItems();
// "  0" .. "247", right-aligned in three places: item i is address i.
const std::vector<std::string>& addressItems();

// What the selectors and the status line show for the settings.
struct LinkSelection {
    int speed = -1;     // a speed index outside 3..10 shows "9600"
    int parity = 0;     // a parity code above 2 shows "Без паритета"
    int address = -1;   // an address beyond the list selects nothing
    std::string status; // linkStatusText
    bool operator==(const LinkSelection&) const = default;
};
LinkSelection linkSelection(const LinkSettings& settings);

// The user's choices (index -1: the list lost its selection). They return whether the port
// must be reopened with the new settings: speed, parity and port do, the address does not.
bool chooseSpeed(LinkSettings& settings, int index);   // -1 gives index 7 (19200)
bool chooseParity(LinkSettings& settings, int index);  // -1 gives none
bool chooseAddress(LinkSettings& settings, int index); // -1 changes nothing
// foundPorts as enumerated; an index outside it changes nothing.
bool choosePort(LinkSettings& settings, const std::vector<std::uint16_t>& foundPorts, int index);

} // namespace flowcfg
