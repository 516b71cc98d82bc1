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

// "1200" .. "115200": item i is speed index i + 3 (also the meter's network speed list).
inline constexpr std::string_view kSpeedItems[] = {"1200",  "2400",  "4800",  "9600",
                                                   "19200", "38400", "57600", "115200"};
inline constexpr std::uint16_t kFirstSpeedIndex = 3;
// item i is parity code i (also the meter's network parity list).
inline constexpr std::string_view kParityItems[] = {"Без паритета", "Нечетный", "Четный"};
std::span<const std::string_view> speedItems();
// "Без паритета", "Нечетный", "Четный": item i is parity code i.
std::span<const std::string_view> parityItems();
// "  0" .. "247", right-aligned in three places: item i is address i.
const std::vector<std::string>& addressItems();

// The check box of the quick answer end (QuickAnswerEnd in section SETTINGS of dev.dat).
inline constexpr std::string_view kQuickAnswerEndCaption = "Быстрое окончание ответа";
inline constexpr std::string_view kQuickAnswerEndTip =
    "Чтение ответа заканчивается, как только пришёл целый ответ с верной контрольной суммой "
    "(или целый ответ об ошибке), а не после паузы в линии вслед за ним: обмен быстрее. "
    "Неполный, длинный или искажённый ответ ждётся и проверяется как обычно. Сохраняется в "
    "dev.dat (QuickAnswerEnd, раздел SETTINGS).";

// What the selectors, the check box and the status line show for the settings.
struct LinkSelection {
    int speed = -1;              // a speed index outside 3..10 shows "9600"
    int parity = 0;              // a parity code above 2 shows "Без паритета"
    int address = -1;            // an address beyond the list selects nothing
    std::string status;          // linkStatusText
    bool quickAnswerEnd = false; // QuickAnswerEnd is 1
    bool operator==(const LinkSelection&) const = default;
};
LinkSelection linkSelection(const LinkSettings& settings);

// What the "Порт" selector and the "ДОСТУПНЫЕ ПОРТЫ" box show for a found-port table. The
// selector lists the found ports and selects the configured one. A configured port that was
// not found is listed too, in its place by number and marked absent ("COM7 (нет)"), and
// selected: the selector names the port the status line names, and choosing any port, a
// found one or the absent one again, is a choice that stores and reopens. The box lists only
// the found ports.
struct PortLists {
    std::vector<std::string> items;     // "COM3", "COM7 (нет)", ...; empty when none was found
    std::vector<std::uint16_t> numbers; // the port number of each item
    int selected = -1;
    std::string selectorText; // "портов нет" when no port was found, else items[selected]
    std::vector<std::string> available; // one line per found port, or just "Нет"
};
PortLists portLists(const std::vector<std::uint16_t>& foundPorts, std::uint16_t configuredPort);

// The user's choices (index -1: the list lost its selection). They return whether the port
// must be reopened with the new settings: speed, parity and port do, the address does not.
bool chooseSpeed(LinkSettings& settings, int index);   // -1 gives index 7 (19200)
bool chooseParity(LinkSettings& settings, int index);  // -1 gives none
bool chooseAddress(LinkSettings& settings, int index); // -1 changes nothing
// ports as shown; an index outside them changes nothing.
bool choosePort(LinkSettings& settings, const PortLists& ports, int index);
// The quick answer end check box: stored, no reopen (every read looks at it).
bool chooseQuickAnswerEnd(LinkSettings& settings, bool on);

} // namespace flowcfg
