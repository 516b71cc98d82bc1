// The meter as a device on the bus: "ПРИБОР" (identity, network parameters and the tool's own
// link after changing them, the connection check, restart), "ВРЕМЯ" (the clock, set from the
// computer's), "ДОП. НАСТРОЙКИ" (the front-panel menu password), "СЛУЖЕБНЫЕ ПАР." (factory
// number and date of manufacture) and "ПЕРЕКЛ. ТЕХНОЛОГ. РАЗЪЕМА" (the protocol on the
// technological connector). One PageDefinition row per page, the lists and rules only these
// pages have beside them.

#include "config/DeviceServicePages.h"

#include "config/ConfigPages.h"
#include "config/ListItems.h"
#include "config/PageFamilies.h"
#include "link/LinkSettingsScreen.h"
#include "link/Ports.h"
#include "model/CheckConnection.h"
#include "platform/CFormat.h"

#include <algorithm>

namespace flowcfg {

namespace {

// Years run to 2099: a meter made or set after the lists' first years must still be shown.
// A year no item stands for is shown as its number and goes back unchanged (showsAnyCode).
constexpr unsigned kFirstYear = 2017, kFirstServiceYear = 2023, kLastYear = 2099;
constexpr auto kYears = items::numbers<kFirstYear, kLastYear - kFirstYear + 1>;
constexpr auto kServiceYears = items::numbers<kFirstServiceYear, kLastYear - kFirstServiceYear + 1>;
constexpr auto kDays = items::numbers<1, 31>;
constexpr auto kMonths = items::numbers<1, 12>;
constexpr std::string_view kMonthNames[] = {"ЯНВАРЬ",   "ФЕВРАЛЬ", "МАРТ",   "АПРЕЛЬ",
                                            "МАЙ",      "ИЮНЬ",    "ИЮЛЬ",   "АВГУСТ",
                                            "СЕНТЯБРЬ", "ОКТЯБРЬ", "НОЯБРЬ", "ДЕКАБРЬ"};
constexpr auto kAddresses = items::numbers<0, 248>;
// The float byte order selector, item index = code (the tool keeps it; the meter is not sent
// it).
constexpr std::string_view kFloatOrders[] = {"0 1 2 3", "2 3 0 1", "1 0 3 2", "3 2 1 0"};
constexpr std::string_view kProtSel[] = {"Prot sel=0", "Prot sel=1"};

// "%u.%02u.%04u": day.month.year.
std::string dateText(unsigned day, unsigned month, unsigned year) {
    std::string out;
    appendUnsigned(out, day);
    out += '.';
    appendUnsigned(out, month, 2);
    out += '.';
    appendUnsigned(out, year, 4);
    return out;
}

void showManufactureDate(PageModel& page, DeviceImage& image, std::uint8_t s) {
    if (page.find("manufacture_date") == page.controls().size() ||
        page.def("manufacture_date").section != s)
        return;
    const auto& d = image.NEW_DAT;
    page.state("manufacture_date").text = dateText(d.DAY_NEW, d.MONTH_NEW, d.YEAR_NEW);
}

// "%u:%02u:%02u  %u.%02u.%04u": the clock in one line.
void showClockLine(PageModel& page, DeviceImage& image, std::uint8_t) {
    const auto& r = image.readings;
    std::string line;
    appendUnsigned(line, r.clockHour);
    line += ':';
    appendUnsigned(line, r.clockMinute, 2);
    line += ':';
    appendUnsigned(line, r.clockSecond, 2);
    line += "  " + dateText(r.clockDay, r.clockMonth, r.clockYear);
    page.state("clock").text = line;
}

// Hooks -------------------------------------------------------------------------------------

std::uint16_t word(int value) {
    return static_cast<std::uint16_t>(value);
}

// The computer's local time into the clock fields, right before the write (after the
// question, so thinking it over does not make the meter late).
void takeComputerTime(ConfigPages& pages, PagePart) {
    const LocalTime now = pages.link().clock.now();
    auto& r = pages.image().readings;
    r.clockYear = word(now.year);
    r.clockMonth = word(now.month);
    r.clockDay = word(now.day);
    r.clockHour = word(now.hour);
    r.clockMinute = word(now.minute);
    r.clockSecond = word(now.second);
}

// Today's date as the date of manufacture.
void takeComputerDate(ConfigPages& pages, PagePart) {
    const LocalTime now = pages.link().clock.now();
    auto& d = pages.image().NEW_DAT;
    d.DAY_NEW = word(now.day);
    d.MONTH_NEW = word(now.month);
    d.YEAR_NEW = word(now.year);
}

// Address 0 is the broadcast address: a meter moved there would answer nobody. Looked at
// before anything is sent; the code is the one the take would store.
bool refuseBroadcast(ConfigPages& pages, PagePart part) {
    const ControlState& s = pages.page(part.page).state("NET_NUM");
    const bool untouched = s.shown && s.shown->index == s.index;
    const auto* shownCode = untouched ? std::get_if<std::uint16_t>(&s.shown->value) : nullptr;
    if ((shownCode != nullptr ? *shownCode : s.index) != 0)
        return true;
    Dialogs& dialogs = pages.link().dialogs;
    dialogs.message(std::string(kInputErrorCaption),
                    "Адрес 0 - широковещательный: прибор с этим адресом не отвечал бы никому. "
                    "Выберите адрес от 1 до 247.",
                    DialogIcon::Exclamation);
    dialogs.message(std::string(kNoticeCaption), std::string(kNothingWritten),
                    DialogIcon::Information);
    return false;
}

void showNetworkProgress(ConfigPages& pages, PagePart) {
    pages.showProgress(kWritingNetwork);
}

// The meter answers at its new address, speed and parity from now on: the tool's own link
// follows (the window shows it, dev.dat gets it at exit), and the lock goes out on it.
void followNetworkWrite(ConfigPages& pages, PagePart) {
    pages.showProgress(kWritingLock);
    const auto& n = pages.image().NEW_COMM;
    LinkSettings& s = pages.link().settings;
    s.NetAdrr = n.NET_NUM;
    s.speedIndex = n.NET_SPD;
    s.parity = n.NET_PAR;
    pages.linkSettingsChanged();
    openPort(pages.link(), true);
    pages.link().pump.pauseMs(600);
}

// ПРИБОР ------------------------------------------------------------------------------------

constexpr std::string_view kManufactureDate = "ДАТА ВЫПУСКА";

constexpr ControlSpec kDevice[] = {
    {.id = "factory_number",
     .caption = "ЗАВОДСКОЙ НОМЕР",
     .kind = ControlKind::Integer,
     .member = MEMBER(NEW_DAT.NUM_HI),
     .message = InputMessage::FactoryNumber,
     .low = MEMBER(NEW_DAT.NUM_LO)},
    {.id = "MODEL",
     .caption = "МОДЕЛЬ",
     .kind = ControlKind::Integer,
     .member = MEMBER(NEW_DAT.MODEL)},
    {.id = "HARD_NEW",
     .caption = "ВЕРСИЯ КОНСТРУКЦИИ",
     .kind = ControlKind::Integer,
     .member = MEMBER(NEW_DAT.HARD_NEW),
     .message = InputMessage::HardwareVersion},
    {.id = "SOFT_NEW",
     .caption = "ВЕРСИЯ ПО",
     .kind = ControlKind::Integer,
     .member = MEMBER(NEW_DAT.SOFT_NEW),
     .message = InputMessage::SoftwareVersion},
    {.id = "DAY_NEW",
     .caption = "ДЕНЬ",
     .kind = ControlKind::List,
     .member = MEMBER(NEW_DAT.DAY_NEW),
     .items = kDays,
     .rule = CodeRule::plus(1),
     .box = kManufactureDate},
    {.id = "MONTH_NEW",
     .caption = "МЕСЯЦ",
     .kind = ControlKind::List,
     .member = MEMBER(NEW_DAT.MONTH_NEW),
     .items = kMonths,
     .rule = CodeRule::plus(1),
     .box = kManufactureDate},
    {.id = "YEAR_NEW",
     .caption = "ГОД",
     .kind = ControlKind::List,
     .member = MEMBER(NEW_DAT.YEAR_NEW),
     .items = kYears,
     .rule = CodeRule::plus(kFirstYear),
     .box = kManufactureDate,
     .showsAnyCode = true},
    {.id = "manufacture_date", .caption = kManufactureDate, .kind = ControlKind::Label},

    {.id = "NET_NUM",
     .caption = "СЕТЕВОЙ АДРЕС",
     .kind = ControlKind::List,
     .member = MEMBER(NEW_COMM.NET_NUM),
     .section = section::Network,
     .items = kAddresses},
    {.id = "NET_SPD",
     .caption = "СКОРОСТЬ",
     .kind = ControlKind::List,
     .member = MEMBER(NEW_COMM.NET_SPD),
     .section = section::Network,
     .items = kSpeedItems,
     .rule = CodeRule::plus(kFirstSpeedIndex)},
    {.id = "NET_PAR",
     .caption = "ПАРИТЕТ",
     .kind = ControlKind::List,
     .member = MEMBER(NEW_COMM.NET_PAR),
     .section = section::Network,
     .items = kParityItems},
    {.id = "NET_DELY",
     .caption = "ЗАДЕРЖКА ОТВЕТА",
     .kind = ControlKind::Integer,
     .member = MEMBER(NEW_COMM.NET_DELY),
     .section = section::Network,
     .message = InputMessage::AnswerDelay,
     .atMost = 255,
     .unit = "мс",
     .notSent = true},
    {.id = "NET_FLTYPE",
     .caption = "ПОРЯДОК БАЙТ FLOAT",
     .kind = ControlKind::List,
     .member = MEMBER(NEW_COMM.NET_FLTYPE),
     .section = section::Network,
     .items = kFloatOrders,
     .notSent = true},
};

// Device groups: reads wait 100 ms before each transaction, writes 400 ms before the first.
constexpr GroupTransfer kDeviceReads[] = {{.group = GroupId::Versions, .pauseBeforeMs = 100},
                                          {.group = GroupId::Identity, .pauseBeforeMs = 100}};
// 400 ms, then 300 ms.
constexpr GroupTransfer kNetworkWrite[] = {{.group = GroupId::Network, .pauseBeforeMs = 700}};
constexpr GroupTransfer kBlink[] = {{.group = GroupId::Blink}};
constexpr GroupTransfer kRestart[] = {{.group = GroupId::Restart, .onFailure = OnFailure::Ignore}};

// A restart button: unlock, restart; the locks stay lifted (the meter restarts).
constexpr CommandButton restartButton(std::string_view caption, std::string_view name) {
    return {.caption = caption,
            .name = name,
            .writes = kRestart,
            .confirmation = kRestartQuestion,
            .guard = GuardKind::NoLockAfter};
}

constexpr CommandButton kDeviceCommands[] = {
    {.caption = "ПРОВЕРИТЬ СВЯЗЬ",
     .name = "check-connection",
     .writes = kBlink,
     .success = kMeterAnsweredText,
     .guard = GuardKind::None,
     .stopsPolling = true,
     .operation = checkConnectionOperation},
    restartButton("ПЕРЕЗАГРУЗКА ПРИБОРА", "restart"),
};

constexpr PageSection kDeviceSections[] = {
    {.caption = "ДАННЫЕ ПРИБОРА",
     .buttons = {.name = "device",
                 .reads = kDeviceReads,
                 .readSuccess = "Чтение данных прибора успешно осуществлено."},
     .commands = kDeviceCommands},
    {.caption = "ПАРАМЕТРЫ ОБМЕНА",
     .buttons = {.name = "network",
                 .writes = kNetworkWrite,
                 .writeSuccess = "Запись параметров обмена прибора успешно осуществлена.",
                 .checksProtection = true,
                 .order = {GuardStage::Check, GuardStage::Take, GuardStage::Confirm},
                 .beforeWrites = showNetworkProgress,
                 .afterWrites = followNetworkWrite,
                 .admits = refuseBroadcast,
                 .reportsLock = true}},
};

// ВРЕМЯ -------------------------------------------------------------------------------------

constexpr ControlSpec kClock[] = {
    {.id = "hour",
     .caption = "ЧАСЫ",
     .kind = ControlKind::List,
     .member = MEMBER(readings.clockHour),
     .items = items::numbers<0, 24>},
    {.id = "minute",
     .caption = "МИНУТЫ",
     .kind = ControlKind::List,
     .member = MEMBER(readings.clockMinute),
     .items = items::numbers<0, 60>},
    {.id = "second",
     .caption = "СЕКУНДЫ",
     .kind = ControlKind::List,
     .member = MEMBER(readings.clockSecond),
     .items = items::numbers<0, 60>},
    {.id = "day",
     .caption = "ДЕНЬ",
     .kind = ControlKind::List,
     .member = MEMBER(readings.clockDay),
     .items = kDays,
     .rule = CodeRule::plus(1)},
    {.id = "month",
     .caption = "МЕСЯЦ",
     .kind = ControlKind::List,
     .member = MEMBER(readings.clockMonth),
     .items = kMonths,
     .rule = CodeRule::plus(1)},
    {.id = "year",
     .caption = "ГОД",
     .kind = ControlKind::List,
     .member = MEMBER(readings.clockYear),
     .items = kYears,
     .rule = CodeRule::plus(kFirstYear),
     .showsAnyCode = true},
    {.id = "clock", .caption = "ВРЕМЯ И ДАТА", .kind = ControlKind::Label},
};

constexpr GroupTransfer kClockRead[] = {{.group = GroupId::Clock, .pauseBeforeMs = 100}};
constexpr GroupTransfer kClockWrite[] = {{.group = GroupId::Clock, .pauseBeforeMs = 400}};

constexpr CommandButton kClockCommands[] = {
    {.caption = "Записать время из часов компьютера",
     .name = "clock-from-computer",
     .writes = kClockWrite,
     .reads = kClockRead,
     .confirmation = "Данные времени и даты будут переписаны?.",
     .success = "Запись времени и даты успешно осуществлена.",
     .checksProtection = true,
     .order = {GuardStage::Confirm, GuardStage::Check, GuardStage::Take},
     .beforeWrites = takeComputerTime},
};

constexpr PageSection kClockSections[] = {
    {.caption = "ВРЕМЯ И ДАТА ПРИБОРА",
     .buttons = {.name = "clock",
                 .reads = kClockRead,
                 .readSuccess = "Чтение времени и даты успешно осуществлено."},
     .commands = kClockCommands},
};

// ДОП. НАСТРОЙКИ ----------------------------------------------------------------------------

// Any value above 9999 is sent as 9999 (the meter's menu takes four digits).
constexpr ControlSpec kPanel[] = {
    {.id = "PSW",
     .caption = "ПАРОЛЬ МЕНЮ",
     .kind = ControlKind::Integer,
     .member = MEMBER(PSW.PSW),
     .message = InputMessage::PanelPassword,
     .atMost = 9999},
};

constexpr GroupTransfer kPasswordRead[] = {{.group = GroupId::PanelPassword, .pauseBeforeMs = 100}};
constexpr GroupTransfer kPasswordWrite[] = {
    {.group = GroupId::PanelPassword, .pauseBeforeMs = 400}};

constexpr PageSection kPanelSections[] = {
    {.caption = "МЕНЮ ПЕРЕДНЕЙ ПАНЕЛИ",
     .buttons = {.name = "panel-password",
                 .reads = kPasswordRead,
                 .readSuccess = "Чтение меню передней панели прибора успешно осуществлено.",
                 .writes = kPasswordWrite,
                 .confirmation = "Пароль меню передней панели прибора будет переписаны?.",
                 .writeSuccess = "Запись пароля экранного меню успешно осуществлена.",
                 .checksProtection = true}},
};

// СЛУЖЕБНЫЕ ПАР. ----------------------------------------------------------------------------

// "НОМЕР ПРИБОРА" is one number: its upper 16 bits go to NUM_HI, the lower to NUM_LO. A text
// that is not an integer gets the integer message and nothing is sent.
constexpr ControlSpec kService[] = {
    {.id = "factory_number",
     .caption = "НОМЕР ПРИБОРА",
     .kind = ControlKind::Integer,
     .member = MEMBER(NEW_DAT.NUM_HI),
     .section = section::DateFromComputer,
     .low = MEMBER(NEW_DAT.NUM_LO)},
    {.id = "manufacture_date",
     .caption = kManufactureDate,
     .kind = ControlKind::Label,
     .section = section::DateFromComputer},
    {.id = "DAY_NEW",
     .caption = "ДЕНЬ",
     .kind = ControlKind::List,
     .member = MEMBER(NEW_DAT.DAY_NEW),
     .section = section::DateChosen,
     .items = kDays,
     .rule = CodeRule::plus(1)},
    {.id = "MONTH_NEW",
     .caption = "МЕСЯЦ",
     .kind = ControlKind::List,
     .member = MEMBER(NEW_DAT.MONTH_NEW),
     .section = section::DateChosen,
     .items = kMonthNames,
     .rule = CodeRule::plus(1)},
    {.id = "YEAR_NEW",
     .caption = "ГОД",
     .kind = ControlKind::List,
     .member = MEMBER(NEW_DAT.YEAR_NEW),
     .section = section::DateChosen,
     .items = kServiceYears,
     .rule = CodeRule::plus(kFirstServiceYear),
     .showsAnyCode = true},
};

constexpr GroupTransfer kIdentityRead[] = {{.group = GroupId::Identity, .pauseBeforeMs = 100}};
// Number and date back to back.
constexpr GroupTransfer kNumberAndDate[] = {{.group = GroupId::FactoryNumber, .pauseBeforeMs = 400},
                                            {.group = GroupId::ManufactureDate}};
constexpr std::string_view kNumberAndDateQuestion =
    "Данные номера прибора и дата выпуска будут переписаны?.";
constexpr std::string_view kNumberAndDateWritten =
    "Запись номера прибора и даты выпуска успешно осуществлена.";

constexpr CommandButton kServiceCommands[] = {restartButton("Сброс", "restart-service")};

constexpr PageSection kServiceSections[] = {
    {.caption = "ДАТА ИЗ ЧАСОВ КОМПЬЮТЕРА",
     .buttons = {.name = "service-number",
                 .reads = kIdentityRead,
                 .readSuccess = "Чтение данных прибора успешно осуществлено.",
                 .writes = kNumberAndDate,
                 .confirmation = kNumberAndDateQuestion,
                 .writeSuccess = kNumberAndDateWritten,
                 .beforeWrites = takeComputerDate},
     .commands = kServiceCommands},
    // The chosen date goes with the number as the image holds it (last read or loaded).
    {.caption = "ЗАДАТЬ ДАТУ ",
     .buttons = {.name = "service-date",
                 .writes = kNumberAndDate,
                 .confirmation = kNumberAndDateQuestion,
                 .writeSuccess = kNumberAndDateWritten}},
};

// ПЕРЕКЛ. ТЕХНОЛОГ. РАЗЪЕМА -----------------------------------------------------------------

constexpr ControlSpec kConnector[] = {
    {.id = "prot_sel",
     .caption = "",
     .kind = ControlKind::Label,
     .member = MEMBER(readings.protSel),
     .items = kProtSel,
     .label = LabelFill::item("Prot sel=0")},
};

constexpr GroupTransfer kConnectorRead[] = {{.group = GroupId::TechConnector, .pauseAfterMs = 100}};
constexpr GroupTransfer kToInternal[] = {{.group = GroupId::TechConnectorInternal}};
constexpr GroupTransfer kToModbus[] = {{.group = GroupId::TechConnectorModbus}};
constexpr std::string_view kConnectorQuestion =
    "Подключить измерительный модуль к технологич. разъему?.";

constexpr CommandButton kConnectorCommands[] = {
    {.caption = "К ТЕХНОЛ.РАЗЪЕМУ ВНУТР.ПРОТ.",
     .name = "connector-internal",
     .writes = kToInternal,
     .confirmation = kConnectorQuestion,
     .success = "Включена связь технологического разъема с изм. модулем.внутр.прот.",
     .checksProtection = true},
    {.caption = "К ТЕХН.РАЗЪЕМУ MODBUS ПРОТ.",
     .name = "connector-modbus",
     .writes = kToModbus,
     .confirmation = kConnectorQuestion,
     .success = "Включена связь технологического разъема с изм. модулем. modbus",
     .checksProtection = true},
    restartButton("Перезапуск", "restart-module"),
};

constexpr PageSection kConnectorSections[] = {
    {.caption = "ТЕХНОЛОГИЧЕСКИЙ РАЗЪЕМ",
     .buttons = {.name = "connector", .reads = kConnectorRead, .readSuccess = "Прочитан Prot sel."},
     .commands = kConnectorCommands},
};

// The pages -------------------------------------------------------------------------------

constexpr PageDefinition kPages[] = {
    {.path = page::clock,
     .controls = kClock,
     .sections = kClockSections,
     .afterShow = showClockLine},
    {.path = page::panel, .controls = kPanel, .sections = kPanelSections},
    {.path = page::device,
     .controls = kDevice,
     .sections = kDeviceSections,
     .afterShow = showManufactureDate},
    {.path = page::serviceParameters,
     .controls = kService,
     .sections = kServiceSections,
     .afterShow = showManufactureDate},
    {.path = page::connector, .controls = kConnector, .sections = kConnectorSections},
};

static_assert(std::ranges::all_of(kPages, wellFormed));

} // namespace

std::span<const PageDefinition> deviceServicePages() {
    return kPages;
}

std::span<const GroupTransfer> deviceDataReads() {
    return kDeviceReads;
}

void chooseServiceDate(ConfigPages& pages, const LocalTime& today) {
    PageModel& service = pages.page(page::serviceParameters);
    const auto choose = [&](std::string_view id, int value) {
        const ControlSpec& def = service.def(id);
        if (const auto item = itemWithCode(def.rule, word(value), def.items.size()))
            service.choose(id, *item);
    };
    choose("DAY_NEW", today.day);
    choose("MONTH_NEW", today.month);
    choose("YEAR_NEW", today.year);
}

bool takeServiceEntries(ConfigPages& pages) {
    const PagePart parts[] = {
        {page::device, section::Identity}, {page::device, section::Network}, {page::panel, 0}};
    return std::ranges::all_of(parts, [&pages](const PagePart& p) {
        return pages.page(p.page).take(pages.image(), pages.link().dialogs, p.section) ==
               TakeResult::Taken;
    });
}

} // namespace flowcfg
