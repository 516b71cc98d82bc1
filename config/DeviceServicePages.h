#pragma once
// The device service pages under "НАСТРОЙКИ РАБОТЫ": "ПРИБОР", "ВРЕМЯ", "ДОП. НАСТРОЙКИ",
// "СЛУЖЕБНЫЕ ПАР." and "ПЕРЕКЛ. ТЕХНОЛОГ. РАЗЪЕМА". Their paths and section numbers for the
// code and tests that name them, and the two things the window does with them beyond their
// buttons (the rows are in config/DeviceServicePages.cpp).

#include "config/ScreenPaths.h"
#include "model/GroupIo.h"
#include "platform/Clock.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace flowcfg {

class ConfigPages;

namespace page {
inline constexpr std::string_view device = "НАСТРОЙКИ РАБОТЫ/ПРИБОР";
inline constexpr std::string_view clock = "НАСТРОЙКИ РАБОТЫ/ВРЕМЯ";
inline constexpr std::string_view panel = "НАСТРОЙКИ РАБОТЫ/ДОП. НАСТРОЙКИ";
inline constexpr std::string_view serviceParameters = pages::servicePar;
inline constexpr std::string_view connector = pages::connectorSwitch;
} // namespace page

namespace section {
// "ПРИБОР".
inline constexpr std::uint8_t Identity = 0;
inline constexpr std::uint8_t Network = 1;
// "СЛУЖЕБНЫЕ ПАР.".
inline constexpr std::uint8_t DateFromComputer = 0;
inline constexpr std::uint8_t DateChosen = 1;
} // namespace section

// The progress texts of the network write, in the status area.
inline constexpr std::string_view kWritingNetwork = "Идет запись параметров обмена";
inline constexpr std::string_view kWritingLock = "Идет запись защиты от записи параметров";

// The date selectors of "СЛУЖЕБНЫЕ ПАР." ("ДЕНЬ", "МЕСЯЦ", "ГОД") on the given day, as chosen
// by the user (start-up, after the pages were shown from the image). A year the list does not
// hold leaves "ГОД" as it was.
void chooseServiceDate(ConfigPages& pages, const LocalTime& today);

// What "ДАННЫЕ ПРИБОРА" on "ПРИБОР" reads: the versions and the identity (model, factory
// number, versions, date of manufacture), each after 100 ms.
std::span<const GroupTransfer> deviceDataReads();

// Takes the entries a profile keeps of these pages (network parameters, identity, panel
// password) into the image before a save; false after the messages of a field that does not
// parse, and the save is abandoned.
bool takeServiceEntries(ConfigPages& pages);

} // namespace flowcfg
