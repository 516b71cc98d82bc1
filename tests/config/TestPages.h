#pragma once
// A small page table of the tests' own, over groups of the map: a clock section with its
// command buttons (the clock write from the computer, blink, restart), a cleaning section
// whose write takes nothing and leaves the locks lifted, with a command of its own unlock, a
// read of its own and a write that takes, and a read-only section of raw words in their
// formats. The command buttons of the shipped pages come with those pages; these rows hold
// the mechanisms to their word.

#include "config/ConfigPages.h"
#include "config/ListItems.h"
#include "model/CheckConnection.h"

namespace flowcfg::test {
namespace {

inline constexpr std::string_view kTestPage = "ТЕСТ";
inline constexpr std::uint8_t kClockSection = 0, kCleaningSection = 1, kPrimarySection = 2;

inline constexpr auto kYears = items::numbers<2023, 8>; // "2023".."2030"

inline constexpr ControlSpec kTestControls[] = {
    {.id = "year",
     .caption = "ГОД",
     .kind = ControlKind::List,
     .member = MEMBER(readings.clockYear),
     .items = kYears,
     .rule = CodeRule::plus(2023),
     .showsAnyCode = true},
    {.id = "hour",
     .caption = "ЧАС",
     .kind = ControlKind::Integer,
     .member = MEMBER(readings.clockHour)},
    {.id = "hour_summary",
     .caption = "",
     .kind = ControlKind::Label,
     .label = LabelFill::repeat("hour", " ч")},
    {.id = "interval",
     .caption = "ИНТЕРВАЛ",
     .kind = ControlKind::Integer,
     .member = MEMBER(el_clear.el_clear_time_interval_val_h),
     .section = kCleaningSection},
    {.id = "sens_type",
     .caption = "SENS TYPE",
     .kind = ControlKind::Value,
     .format = NumberFormat::Hex,
     .member = MEMBER(readings.primaryBlock510[0]),
     .section = kPrimarySection},
    {.id = "diam",
     .caption = "PIPE INSIDE DIAM ",
     .kind = ControlKind::Value,
     .format = NumberFormat::WordsFloat,
     .member = MEMBER(readings.primaryBlock510[2]),
     .section = kPrimarySection},
    {.id = "line_size",
     .caption = "LINE SIZE",
     .kind = ControlKind::Value,
     .member = MEMBER(readings.primaryBlock510[4]),
     .section = kPrimarySection},
};

// The computer's local time into the clock fields, right before the write.
void takeComputerTime(ConfigPages& pages, PagePart) {
    const LocalTime now = pages.link().clock.now();
    auto& r = pages.image().readings;
    r.clockYear = static_cast<std::uint16_t>(now.year);
    r.clockMonth = static_cast<std::uint16_t>(now.month);
    r.clockDay = static_cast<std::uint16_t>(now.day);
    r.clockHour = static_cast<std::uint16_t>(now.hour);
    r.clockMinute = static_cast<std::uint16_t>(now.minute);
    r.clockSecond = static_cast<std::uint16_t>(now.second);
}

// Something of the link changed after the write: the window is told.
void moveLink(ConfigPages& pages, PagePart) {
    pages.link().settings.TimeGapDev = 25;
    pages.linkSettingsChanged();
}

inline constexpr GroupTransfer kClock[] = {{.group = GroupId::Clock}};
inline constexpr GroupTransfer kClockWrite[] = {{.group = GroupId::Clock, .pauseAfterMs = 400}};
inline constexpr GroupTransfer kBlink[] = {{.group = GroupId::Blink}};
inline constexpr GroupTransfer kRestart[] = {
    {.group = GroupId::Restart, .onFailure = OnFailure::Ignore}};
inline constexpr GroupTransfer kCleaning[] = {{.group = GroupId::ElectrodeCleaning}};
inline constexpr GroupTransfer kInterval[] = {{.group = GroupId::CleaningInterval}};
inline constexpr GroupTransfer kCleaningOn[] = {{.group = GroupId::CleaningOn}};
inline constexpr GroupTransfer kPrimary[] = {
    {.group = GroupId::PrimaryBlock510, .pauseAfterMs = 100}};

inline constexpr CommandButton kClockCommands[] = {
    {.caption = "Записать время из часов компьютера",
     .name = "test-set-clock",
     .writes = kClockWrite,
     .reads = kClock,
     .confirmation = "Данные времени и даты будут переписаны?.",
     .success = "Запись времени и даты успешно осуществлена.",
     .checksProtection = true,
     .order = {GuardStage::Confirm, GuardStage::Check, GuardStage::Take},
     .beforeWrites = takeComputerTime},
    {.caption = "ПРОВЕРИТЬ СВЯЗЬ",
     .name = "test-blink",
     .writes = kBlink,
     .success = kMeterAnsweredText,
     .guard = GuardKind::None,
     .stopsPolling = true},
    {.caption = "ПЕРЕЗАГРУЗКА ПРИБОРА",
     .name = "test-restart",
     .writes = kRestart,
     .confirmation = kRestartQuestion,
     .guard = GuardKind::NoLockAfter},
};
inline constexpr CommandButton kCleaningCommands[] = {
    {.caption = "ВКЛ.ОЧИСТКУ",
     .name = "test-cleaning-on",
     .writes = kCleaningOn,
     .confirmation = "Включить очистку электродов.",
     .guard = GuardKind::CommandUnlock},
    {.caption = "ПРОЧИТАТЬ",
     .name = "test-cleaning-read",
     .reads = kCleaning,
     .success = "Прочитано.",
     .stopsPolling = true},
    {.caption = "ЗАПИСАТЬ ИНТЕРВАЛ",
     .name = "test-interval",
     .writes = kInterval,
     .success = "Записан интервал.",
     .takes = true},
};

inline constexpr PageSection kTestSections[] = {
    {.caption = "ВРЕМЯ",
     .buttons = {.name = "test-clock",
                 .reads = kClock,
                 .readSuccess = "Чтение времени и даты успешно осуществлено.",
                 .writes = kClockWrite,
                 .writeSuccess = "Записано время.",
                 .stopsPolling = true,
                 .afterWrites = moveLink},
     .commands = kClockCommands},
    {.caption = "ОЧИСТКА",
     .buttons = {.name = "test-cleaning",
                 .reads = kCleaning,
                 .readSuccess = "Прочитана очистка.",
                 .writes = kInterval,
                 .writeSuccess = "Записана очистка.",
                 .guard = GuardKind::NoLockAfter,
                 .writeTakes = false},
     .commands = kCleaningCommands},
    {.caption = "ПЕРВИЧНЫЙ",
     .buttons = {.name = "test-primary", .reads = kPrimary, .readSuccess = "Прочитан модуль."}},
};

inline constexpr PageDefinition kTestPageRow{
    .path = kTestPage, .controls = kTestControls, .sections = kTestSections};
static_assert(wellFormed(kTestPageRow));
inline const PageDefinition* const kTestPages[] = {&kTestPageRow};

} // namespace
} // namespace flowcfg::test
