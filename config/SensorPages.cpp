// The sensor pages: "СПЕЦ." > "ЭЛ. МАГ." > "ОЧИСТКА ЭЛЕКТРОДОВ", "ОБСЛУЖИВАНИЕ", "СПЕЦ." >
// "ВИХР." > "ОТСЕЧКА", "СПЕЦ." > "УЛЬТР.ЗВ.", "ЭМУЛЯЦИЯ", "РАЗР.  ОШИБОК" and "ИЗМЕРЕНИЕ
// ДОП.НАСТР." > "ОБРАБ.ПУСТ.ТРУБ". One PageDefinition row per page, with the lists and rules
// only it has beside it.

#include "config/SensorPages.h"

#include "config/ListItems.h"
#include "config/PageFamilies.h"

#include <algorithm>
#include <array>

namespace flowcfg {

namespace {

constexpr std::uint16_t kReadPauseMs = 100, kWritePauseMs = 400;

// ОЧИСТКА ЭЛЕКТРОДОВ -----------------------------------------------------------------------

// What the meter accepts of the typed times: an interval of 0 days becomes 1, of a year or
// more (8760) three years (1095); an on-time above 600 s becomes 600, one of 5 s or less 0
// (no cleaning).
void clampCleaningTimes(DeviceImage& image, std::uint8_t) {
    std::uint16_t& interval = image.el_clear.el_clear_time_interval_val_h;
    if (interval >= 8760)
        interval = 1095;
    else if (interval == 0)
        interval = 1;
    std::uint16_t& onTime = image.el_clear.el_clear_time_on_val_s;
    onTime = std::min<std::uint16_t>(onTime, 600);
    if (onTime <= 5)
        onTime = 0;
}

constexpr std::string_view kIntervalCaption = "ИНТЕРВАЛ ОЧИСТКИ";
constexpr std::string_view kOnTimeCaption = "ДЛИТЕЛЬНОСТЬ ОЧИСТКИ";

constexpr ControlSpec kCleaning[] = {
    {.id = "el_clear_time_interval_val_h",
     .caption = kIntervalCaption,
     .kind = ControlKind::Integer,
     .member = MEMBER(el_clear.el_clear_time_interval_val_h)},
    {.id = "el_clear_time_on_val_s",
     .caption = kOnTimeCaption,
     .kind = ControlKind::Integer,
     .member = MEMBER(el_clear.el_clear_time_on_val_s)},
    {.id = "interval_summary",
     .caption = "",
     .kind = ControlKind::Label,
     .label = LabelFill::repeat("el_clear_time_interval_val_h", " сут")},
    {.id = "on_time_summary",
     .caption = "",
     .kind = ControlKind::Label,
     .label = LabelFill::repeat("el_clear_time_on_val_s", " сек")},
};

constexpr GroupTransfer kCleaningReads[] = {
    {.group = GroupId::ElectrodeCleaning, .pauseAfterMs = kReadPauseMs}};
// The on-time follows 300 ms after the interval, and only when the interval went through.
constexpr GroupTransfer kCleaningWrites[] = {
    {.group = GroupId::CleaningInterval, .pauseAfterMs = 300}, {.group = GroupId::CleaningOnTime}};
constexpr GroupTransfer kCleaningOn[] = {{.group = GroupId::CleaningOn}};
constexpr GroupTransfer kCleaningOff[] = {{.group = GroupId::CleaningOff}};

constexpr CommandButton kCleaningCommands[] = {
    {.caption = "ВКЛ.ОЧИСТКУ",
     .name = "cleaning-on",
     .writes = kCleaningOn,
     .confirmation = "Включить очистку электродов.",
     .guard = GuardKind::CommandUnlock},
    {.caption = "ВЫКЛ.ОЧИСТКУ",
     .name = "cleaning-off",
     .writes = kCleaningOff,
     .confirmation = "Выключить очистку электродов.",
     .guard = GuardKind::CommandUnlock},
};

constexpr PageSection kCleaningSections[] = {
    {.caption = "ОЧИСТКА ЭЛЕКТРОДОВ",
     .buttons = {.name = "cleaning",
                 .reads = kCleaningReads,
                 .readSuccess = "Чтение параметров очистки электродов успешно осуществлено.",
                 .writes = kCleaningWrites,
                 .confirmation = "Записать параметры очистки электродов.",
                 .writeSuccess = "Запись параметров очистки электродов успешно осуществлена.",
                 .order = {GuardStage::Confirm, GuardStage::Take, GuardStage::Check}},
     .commands = kCleaningCommands},
};

// ОБСЛУЖИВАНИЕ -----------------------------------------------------------------------------

// The selector is kept in the profile only; the write sends the times as last read or loaded,
// which the page shows read-only.
constexpr ControlSpec kService[] = {
    {.id = "time_val",
     .caption = "МАКС ВРЕМЯ ОЧИСТКИ",
     .kind = ControlKind::List,
     .member = MEMBER(el_clear.time_val),
     .items = items::offOrSeconds,
     .notSent = true},
    {.id = "el_clear_time_interval_val_h",
     .caption = kIntervalCaption,
     .kind = ControlKind::Value,
     .member = MEMBER(el_clear.el_clear_time_interval_val_h),
     .unit = "сут"},
    {.id = "el_clear_time_on_val_s",
     .caption = kOnTimeCaption,
     .kind = ControlKind::Value,
     .member = MEMBER(el_clear.el_clear_time_on_val_s),
     .unit = "сек"},
};

constexpr GroupTransfer kServiceCleaningOn[] = {{.group = GroupId::ServiceCleaningOn}};
constexpr GroupTransfer kServiceCleaningOff[] = {{.group = GroupId::ServiceCleaningOff}};

constexpr CommandButton kServiceCommands[] = {
    {.caption = "ВКЛЮЧИТЬ ОЧИСТКУ ЭЛЕКТРОДОВ",
     .name = "service-cleaning-on",
     .writes = kServiceCleaningOn,
     .confirmation = "Будет включена очистка электродов.",
     .success = "Включена очистка электродов."},
    {.caption = "ВЫКЛЮЧИТЬ ОЧИСТКУ ЭЛЕКТРОДОВ",
     .name = "service-cleaning-off",
     .writes = kServiceCleaningOff,
     .confirmation = "Будет выключена очистка электродов.",
     .success = "Выключена очистка электродов."},
};

constexpr PageSection kServiceSections[] = {
    {.caption = "ОЧИСТКА ЭЛЕКТРОДОВ",
     .buttons = {.name = "service-cleaning",
                 .reads = kCleaningReads,
                 .readSuccess = "Чтение времени очистки электродов успешно осуществлено.",
                 .writes = kCleaningWrites,
                 .confirmation = "Время очистки электродов будет переписано?.",
                 .writeSuccess = "Запись времени очистки электродов успешно осуществлена."},
     .commands = kServiceCommands},
};

// ОТСЕЧКА (vortex) -------------------------------------------------------------------------

constexpr ControlSpec kAmplitude[] = {
    {.id = "signal_amplitude",
     .caption = "АМПЛИТУДА СИГНАЛА",
     .kind = ControlKind::Value,
     .member = MEMBER(readings.signalAmplitude),
     .section = section::Amplitude},
    {.id = "amplitude_cut",
     .caption = "ОТСЕЧКА АМПЛИТУДЫ",
     .kind = ControlKind::Float,
     .member = MEMBER(vihr.amplitude_cut),
     .section = section::AmplitudeCut,
     .twin = true},
};

constexpr GroupTransfer kAmplitudeReads[] = {
    {.group = GroupId::SignalAmplitude, .pauseAfterMs = kReadPauseMs}};
constexpr GroupTransfer kAmplitudeCutReads[] = {
    {.group = GroupId::AmplitudeCutoff, .pauseAfterMs = kReadPauseMs}};
constexpr GroupTransfer kAmplitudeCutWrites[] = {{.group = GroupId::AmplitudeCutoff}};

// Both reads stop the measurement poll and append the measurement log line.
constexpr PageSection kAmplitudeSections[] = {
    {.caption = "АМПЛИТУДА СИГНАЛА",
     .buttons = {.name = "amplitude",
                 .reads = kAmplitudeReads,
                 .readSuccess = "Прочитана амплитуда сигнала.",
                 .stopsPolling = true,
                 .logsMeasurement = true}},
    {.caption = "ОТСЕЧКА АМПЛИТУДЫ СИГНАЛА",
     .buttons = {.name = "amplitude-cut",
                 .reads = kAmplitudeCutReads,
                 .readSuccess = "Прочитана отсечка амплитуды сигнала.",
                 .writes = kAmplitudeCutWrites,
                 .confirmation = "Записать отсечку вихревого расходомера?.",
                 .writeSuccess = "Запись отсечки успешно осуществлена.",
                 .stopsPolling = true,
                 .logsMeasurement = true}},
};

// УЛЬТР.ЗВ. --------------------------------------------------------------------------------

constexpr PageSection kUltrasonicSections[] = {
    {.caption = "У ультразвукового расходомера нет настроек на этой странице."}};

// ЭМУЛЯЦИЯ ---------------------------------------------------------------------------------

constexpr std::string_view kFlowUnit = "м куб/ час";
constexpr std::string_view kErrors = "Ошибки";

// The increment is not the user's: every write sends 0.0.
void afterEmulationTake(DeviceImage& image, std::uint8_t) {
    image.sym_control.flow_v_m3_h_raw_delta_sym = 0.0f;
}

// Every field that does not convert says the float message, the integers included.
constexpr ControlSpec kEmulation[] = {
    {.id = "sym_mode",
     .caption = "Тип эмуляции",
     .kind = ControlKind::List,
     .member = MEMBER(sym_control.sym_mode),
     .items = items::emulationModes},
    {.id = "sym_mode_summary",
     .caption = "",
     .kind = ControlKind::Label,
     .member = MEMBER(sym_control.sym_mode),
     .items = items::emulationModes,
     .label = LabelFill::item("-")},
    {.id = "flow_v_m3_h_raw_sym",
     .caption = "Фиксированное значение",
     .kind = ControlKind::Float,
     .member = MEMBER(sym_control.flow_v_m3_h_raw_sym),
     .twin = true,
     .unit = kFlowUnit},
    {.id = "flow_v_m3_h_raw_min_sym",
     .caption = "Минимум",
     .kind = ControlKind::Float,
     .member = MEMBER(sym_control.flow_v_m3_h_raw_min_sym),
     .twin = true,
     .unit = kFlowUnit},
    {.id = "flow_v_m3_h_raw_max_sym",
     .caption = "Максимум",
     .kind = ControlKind::Float,
     .member = MEMBER(sym_control.flow_v_m3_h_raw_max_sym),
     .twin = true,
     .unit = kFlowUnit},
    {.id = "flow_v_m3_h_raw_delta_sym",
     .caption = "Приращение",
     .kind = ControlKind::Value,
     .member = MEMBER(sym_control.flow_v_m3_h_raw_delta_sym),
     .hidden = true},
    {.id = "period_sym",
     .caption = "Половина периода ",
     .kind = ControlKind::Integer,
     .member = MEMBER(sym_control.period_sym),
     .twin = true,
     .message = InputMessage::Float,
     .unit = "мС"},
    {.id = "flow_v_err_raw_lo_sym",
     .caption = "LO",
     .kind = ControlKind::Integer,
     .format = NumberFormat::Hex,
     .member = MEMBER(sym_control.flow_v_err_raw_lo_sym),
     .twin = true,
     .box = kErrors,
     .message = InputMessage::Float},
    {.id = "flow_v_err_raw_hi_sym",
     .caption = "HI",
     .kind = ControlKind::Hex16,
     .member = MEMBER(sym_control.flow_v_err_raw_hi_sym),
     .twin = true,
     .box = kErrors,
     .message = InputMessage::Float},
};

constexpr GroupTransfer kEmulationReads[] = {
    {.group = GroupId::Emulation, .pauseAfterMs = kReadPauseMs}};
constexpr GroupTransfer kEmulationWrites[] = {{.group = GroupId::Emulation}};

constexpr PageSection kEmulationSections[] = {
    {.caption = "ЭМУЛЯЦИЯ ИЗМЕРЕННОГО ЗНАЧЕНИЯ",
     .buttons = {.name = "emulation",
                 .reads = kEmulationReads,
                 .readSuccess =
                     "Чтение параметров эмуляции измеренного значения успешно осуществлено.",
                 .writes = kEmulationWrites,
                 .confirmation = "Данные эмуляции будут переписаны?.",
                 .writeSuccess = "Запись параметров ЭМУЛЯЦИИ успешно осуществлена."}},
};

// РАЗР.  ОШИБОК ----------------------------------------------------------------------------

// Bits 5 and 6 are one choice: no current error, current error 1 or current error 2.
constexpr std::uint16_t kCurrentErrorChoice = 0x60;
constexpr BitColumn kPermissionColumns[] = {
    {0x01, "Общее\nразрешение", "general"},
    {0x02, "Инд.\nстоп", "display_stop"},
    {0x04, "Сумм.\nстоп", "total_stop"},
    {0x08, "Вых.\nош.", "output_error"},
    {0x20, "Ток\nош 1.", "current_error1", kCurrentErrorChoice},
    {0x40, "Ток\nош 2.", "current_error2", kCurrentErrorChoice},
    {0x10, "Част.\nош.", "frequency_error"},
};

// The measuring module's mask, bit 15 first.
constexpr auto kMaskColumns = [] {
    std::array<BitColumn, 16> v{};
    for (std::size_t i = 0; i < v.size(); ++i) {
        const std::size_t bit = 15 - i;
        v[i] = {static_cast<std::uint16_t>(1u << bit), items::numbers<0, 16>[bit],
                items::numbers<0, 16>[bit]};
    }
    return v;
}();

#define PERMISSION_ROW(KEY, CAPTION)                                                               \
    {.id = #KEY,                                                                                   \
     .caption = CAPTION,                                                                           \
     .kind = ControlKind::BitRow,                                                                  \
     .member = MEMBER(err_en.KEY),                                                                 \
     .section = section::Permissions,                                                              \
     .columns = kPermissionColumns},
#define MASK_ROW(KEY, CAPTION)                                                                     \
    {                                                                                              \
        .id = #KEY, .caption = CAPTION, .kind = ControlKind::BitRow,                               \
        .member = MEMBER(err_msk.KEY), .section = section::ModuleMask, .notSent = true,            \
        .columns = kMaskColumns                                                                    \
    }

constexpr ControlSpec kPermissions[] = {
    FLOWCFG_PERMISSION_WORDS(PERMISSION_ROW) //
    MASK_ROW(izm_flow_v_err_lo_msk, "LO"),
    MASK_ROW(izm_flow_v_err_hi_msk, "HI"),
};

#undef PERMISSION_ROW
#undef MASK_ROW

constexpr GroupTransfer kPermissionReads[] = {
    {.group = GroupId::ErrorEnables, .pauseAfterMs = kReadPauseMs}};
// One register per grid row, each only after the one before went through; the words without
// a row are not written.
constexpr GroupTransfer kPermissionWrites[] = {
    {.group = GroupId::ErrEnOvld, .pauseAfterMs = kWritePauseMs},
    {.group = GroupId::ErrEnUdld, .pauseAfterMs = kWritePauseMs},
    {.group = GroupId::ErrEnEmptyPipe, .pauseAfterMs = kWritePauseMs},
    {.group = GroupId::ErrEnNotReady, .pauseAfterMs = kWritePauseMs},
    {.group = GroupId::ErrEnService, .pauseAfterMs = kWritePauseMs},
    {.group = GroupId::ErrEnSens2Cut, .pauseAfterMs = kWritePauseMs},
    {.group = GroupId::ErrEnSens1Cut, .pauseAfterMs = kWritePauseMs},
    {.group = GroupId::ErrEnSignalStrong, .pauseAfterMs = kWritePauseMs},
    {.group = GroupId::ErrEnSignalWeak, .pauseAfterMs = kWritePauseMs},
    {.group = GroupId::ErrEnCutoff, .pauseAfterMs = kWritePauseMs},
    {.group = GroupId::ErrEnSensModbus},
};

// The mask has no buttons: its cells change the image, which the profile keeps.
constexpr PageSection kPermissionSections[] = {
    {.caption = "РАЗРЕШЕНИЕ АНАЛИЗА ОШИБОК",
     .buttons = {.name = "error-enables",
                 .reads = kPermissionReads,
                 .readSuccess = "Чтение параметров разрешение анализа ошибок значения успешно "
                                "осуществлено.",
                 .writes = kPermissionWrites,
                 .confirmation = "Данные разрещения анализа ошибок будут переписаны?.",
                 .writeSuccess =
                     "Запись параметров разрешения параметров ошибок успешно осуществлена."}},
    {.caption = "МАСКА ОШИБОК ИЗМ. МОДУЛЯ (только в профиле)"},
};

// ОБРАБ.ПУСТ.ТРУБ --------------------------------------------------------------------------

constexpr ControlSpec kEmptyPipe[] = {
    {.id = "empty_pype_zero_flow",
     .caption = "РАСХОД И СКОРОСТЬ ПРИРАВНЯТЬ 0",
     .kind = ControlKind::Indicator,
     .member = MEMBER(izm_general_param.empty_pype_en),
     .bit = 0x01},
    {.id = "empty_pype_show_pt",
     .caption = "ВЫВЕСТИ ДОПОЛНИТЕЛЬНО \"(П.Т.)\"-пустая труба",
     .kind = ControlKind::Indicator,
     .member = MEMBER(izm_general_param.empty_pype_en),
     .bit = 0x02},
    {.id = "empty_pype_summary",
     .caption = "",
     .kind = ControlKind::Label,
     .member = MEMBER(izm_general_param.empty_pype_en),
     .label = LabelFill::bitTexts(kEmptyPipeTexts)},
};

constexpr GroupTransfer kEmptyPipeReads[] = {
    {.group = GroupId::EmptyPipe, .pauseAfterMs = kReadPauseMs}};
constexpr GroupTransfer kEmptyPipeWrites[] = {{.group = GroupId::EmptyPipe}};

constexpr PageSection kEmptyPipeSections[] = {
    {.caption = "ОБРАБОТКА ПУСТОЙ ТРУБЫ",
     .buttons = {.name = "empty-pipe",
                 .reads = kEmptyPipeReads,
                 .readSuccess = "Чтение параметров обработки пустой трубы успешно осуществлено.",
                 .writes = kEmptyPipeWrites,
                 .confirmation = "Данные обработки пустой трубы будут переписаны?.",
                 .writeSuccess = "Запись обработки пустой трубы успешно осуществлена."}},
};

// The pages -------------------------------------------------------------------------------

constexpr PageDefinition kPages[] = {
    {.path = page::electrodeCleaning,
     .controls = kCleaning,
     .sections = kCleaningSections,
     .afterTake = clampCleaningTimes},
    {.path = page::serviceCleaning, .controls = kService, .sections = kServiceSections},
    {.path = page::amplitudeCutoff, .controls = kAmplitude, .sections = kAmplitudeSections},
    {.path = page::ultrasonic, .controls = {}, .sections = kUltrasonicSections},
    {.path = page::emulation,
     .controls = kEmulation,
     .sections = kEmulationSections,
     .afterTake = afterEmulationTake},
    {.path = page::errorEnables, .controls = kPermissions, .sections = kPermissionSections},
    {.path = page::emptyPipe, .controls = kEmptyPipe, .sections = kEmptyPipeSections},
};

static_assert(std::ranges::all_of(kPages, wellFormed));

} // namespace

std::span<const PageDefinition> sensorPages() {
    return kPages;
}

} // namespace flowcfg
