#include "config/PageTables.h"

#include <array>
#include <string>

namespace flowcfg {

namespace {

#define MEMBER(path) [](DeviceImage& d) -> ValueRef { return &d.path; }

constexpr std::string_view kFlowUnits[] = {"м куб/с", "л/сек", "м куб/час", "л/час"};
constexpr std::string_view kSumUnits[] = {"метры куб.", "литры"};
constexpr std::string_view kVolumeKinds[] = {"Суммарный объем", "Прямой объем", "Обратный объем",
                                             "Объем суммарный по модулю"};
constexpr std::string_view kMedianWindows[] = {"1",  "3",  "5",  "7",  "9",
                                               "11", "13", "15", "17", "19"};
constexpr std::string_view kDecimalDigits[] = {"0", "1", "2", "3", "4", "5"};
constexpr std::string_view kScaleSources[] = {"Диапазон измерения", "Модуль диап.изм.соотв знака",
                                              "Частота выхода 1", "Частота выхода 2",
                                              "Токовый выход"};
constexpr std::string_view kOutputModes[] = {"Прям. упр.", "Направление", "Частотный", "Импульсный",
                                             "Дискр. ош."};
constexpr std::string_view kFrequencyModes[] = {"Обычн.работа", "Задаем частоту"};
constexpr std::string_view kCurrentModes[] = {"Обычн.работа", "Задаем ток"};
constexpr std::string_view kDataSources[] = {"Память прибора", "Первичный преобразователь"};

// "  0" .. "100": the numbers right-aligned in three places.
std::span<const std::string_view> averageItems() {
    static const auto texts = [] {
        std::array<std::string, 101> t;
        for (std::size_t i = 0; i < t.size(); ++i) {
            t[i] = std::to_string(i);
            t[i].insert(0, 3 - t[i].size(), ' ');
        }
        return t;
    }();
    static const auto views = [] {
        std::array<std::string_view, 101> v;
        for (std::size_t i = 0; i < v.size(); ++i)
            v[i] = texts[i];
        return v;
    }();
    return views;
}

constexpr std::string_view kCubicMetresPerHour = "м куб/час";

// ИЗМЕРЕНИЕ --------------------------------------------------------------------------------

// The selectors of the range and cut-off sources are hidden and always go to the image as 0.
void afterMeasurementTake(DeviceImage& image, std::uint8_t) {
    image.izm_general_param.sel_sensor_type_ncmp = 0;
    image.izm_general_param.sel_cut_ncmp_mdl = 0;
}

const PageSection kMeasurementSections[] = {{"ПАРАМЕТРЫ ИЗМЕРЕНИЯ"}};

const ControlSpec kMeasurement[] = {
    {.id = "izm_flow_v_unit",
     .caption = "ЕДИНИЦЫ",
     .kind = ControlKind::List,
     .member = MEMBER(izm_to_comp.izm_flow_v_unit),
     .items = kFlowUnits},
    {.id = "izm_flow_v_sum_unit",
     .caption = "ЕДИНИЦЫ НАКОПЛЕННОГО ОБЪЕМА",
     .kind = ControlKind::List,
     .member = MEMBER(izm_to_comp.izm_flow_v_sum_unit),
     .items = kSumUnits},
    {.id = "izm_flow_v_ns",
     .caption = "УСРЕДНЕНИЕ \n(уровень 0.63)",
     .kind = ControlKind::List,
     .member = MEMBER(izm_to_comp.izm_flow_v_ns),
     .items = averageItems()},
    {.id = "izm_flow_v_dsum_type",
     .caption = "ТИП НАКОПЛЕННОГО ОБЪЕМА",
     .kind = ControlKind::List,
     .member = MEMBER(izm_to_comp.izm_flow_v_dsum_type),
     .items = kVolumeKinds},
    {.id = "mediana_val",
     .caption = "МЕДИАНА",
     .kind = ControlKind::List,
     .member = MEMBER(mediana_filtr_flow.mediana_val),
     .items = kMedianWindows,
     .rule = CodeRule::odd()},
    {.id = "izm_flow_v_min_m3_h_cmp",
     .caption = "МИН ДИАПАЗОНА",
     .kind = ControlKind::Float,
     .member = MEMBER(izm_general_param.izm_flow_v_min_m3_h_cmp),
     .box = "ДИАПАЗОН",
     .unit = kCubicMetresPerHour},
    {.id = "izm_flow_v_max_m3_h_cmp",
     .caption = "МАКС ДИАПАЗОНА",
     .kind = ControlKind::Float,
     .member = MEMBER(izm_general_param.izm_flow_v_max_m3_h_cmp),
     .box = "ДИАПАЗОН",
     .unit = kCubicMetresPerHour},
    {.id = "sensor_type_cmp",
     .caption = "ТИП ПЕРВ. ПРЕОБР.",
     .kind = ControlKind::Hex16,
     .member = MEMBER(izm_general_param.sensor_type_cmp),
     .box = "ДИАПАЗОН"},
    {.id = "line_size_cmp",
     .caption = "ДУ",
     .kind = ControlKind::Integer,
     .member = MEMBER(izm_general_param.line_size_cmp),
     .box = "ДИАПАЗОН",
     .unit = "мм"},
    {.id = "sel_sensor_type_ncmp",
     .caption = "ИСТОЧНИК ДИАПАЗОНА",
     .kind = ControlKind::List,
     .member = MEMBER(izm_general_param.sel_sensor_type_ncmp),
     .items = kDataSources,
     .hidden = true},
    {.id = "bar_type",
     .caption = "ИСТОЧНИК ДАННЫХ ЛИНЕЙНОЙ ШКАЛЫ",
     .kind = ControlKind::List,
     .member = MEMBER(izm_general_param.bar_type),
     .items = kScaleSources},
    {.id = "sel_cut_ncmp_mdl",
     .caption = "ИСТОЧНИК ОТСЕЧКИ",
     .kind = ControlKind::List,
     .member = MEMBER(izm_general_param.sel_cut_ncmp_mdl),
     .items = kDataSources,
     .hidden = true},
    {.id = "ind_point",
     .caption = "ЦИФР ПОСЛЕ ЗАП.",
     .kind = ControlKind::List,
     .member = MEMBER(izm_to_comp.ind_point),
     .items = kDecimalDigits},
};

// УПРАВЛ. ОТСЕЧКОЙ -------------------------------------------------------------------------

constexpr std::string_view kMainCutoff = "ОСНОВНАЯ ОТСЕЧКА";
constexpr std::string_view kDisplayCutoff = "ОТСЕЧКА ДЛЯ ИНДИКАЦИИ";
constexpr std::string_view kFormedInMeter = "СФОРМИРОВАННАЯ В ПРИБОРЕ";
constexpr std::string_view kFromPrimary = "ИЗ ПЕРВИЧНОГО ПРЕОБРАЗОВАТЕЛЯ";

// The summary of a cut-off kind: " Прибор" when the meter forms it, " ПП" when it comes from
// the primary transducer.
std::string cutoffSummary(std::uint16_t flags, std::uint16_t meterBit, std::uint16_t primaryBit) {
    std::string text;
    if (flags & meterBit)
        text += " Прибор";
    if (flags & primaryBit)
        text += " ПП";
    return text;
}

void afterCutoffShow(PageModel& page, DeviceImage& image, std::uint8_t) {
    const std::uint16_t flags = image.izm_general_param.cut_en;
    page.state("cut_main_summary").text = cutoffSummary(flags, 0x01, 0x02);
    page.state("cut_display_summary").text = cutoffSummary(flags, 0x04, 0x08);
}

const PageSection kCutoffSections[] = {{"ОТСЕЧКА"}};

const ControlSpec kCutoff[] = {
    {.id = "izm_flow_v_cut_ee",
     .caption = "ОТСЕЧКА ИЗМЕРЕННОГО ЗНАЧЕНИЯ %",
     .kind = ControlKind::Float,
     .member = MEMBER(izm_general_param.izm_flow_v_cut_ee),
     .twin = true},
    {.id = "cut_hysteresis",
     .caption = "ГИСТЕРЕЗИС ОТСЕЧКИ %",
     .kind = ControlKind::Float,
     .member = MEMBER(readings.cutoffHysteresis),
     .twin = true},
    {.id = "cut_main_meter",
     .caption = kFormedInMeter,
     .kind = ControlKind::Indicator,
     .member = MEMBER(izm_general_param.cut_en),
     .bit = 0x01,
     .box = kMainCutoff},
    {.id = "cut_main_primary",
     .caption = kFromPrimary,
     .kind = ControlKind::Indicator,
     .member = MEMBER(izm_general_param.cut_en),
     .bit = 0x02,
     .box = kMainCutoff},
    {.id = "cut_main_summary",
     .caption = kMainCutoff,
     .kind = ControlKind::Label,
     .box = kMainCutoff},
    {.id = "cut_display_meter",
     .caption = kFormedInMeter,
     .kind = ControlKind::Indicator,
     .member = MEMBER(izm_general_param.cut_en),
     .bit = 0x04,
     .box = kDisplayCutoff},
    {.id = "cut_display_primary",
     .caption = kFromPrimary,
     .kind = ControlKind::Indicator,
     .member = MEMBER(izm_general_param.cut_en),
     .bit = 0x08,
     .box = kDisplayCutoff},
    {.id = "cut_display_summary",
     .caption = kDisplayCutoff,
     .kind = ControlKind::Label,
     .box = kDisplayCutoff},
    {.id = "module_cutoff",
     .caption = "ОТСЕЧКА В МОДУЛЕ %",
     .kind = ControlKind::Value,
     .member = MEMBER(readings.moduleCutoff),
     .box = "ИЗМЕРИТЕЛЬНЫЙ МОДУЛЬ"},
    {.id = "module_hysteresis",
     .caption = "ГИСТЕРЕЗИС В МОДУЛЕ %",
     .kind = ControlKind::Value,
     .member = MEMBER(readings.moduleHysteresis),
     .box = "ИЗМЕРИТЕЛЬНЫЙ МОДУЛЬ"},
};

// ВЫХОД 1, ВЫХОД 2 -------------------------------------------------------------------------

const PageSection kOutputSections[] = {
    {"ДИСКРЕТНЫЙ ВЫХОД"}, {"ЧАСТОТНЫЙ ВЫХОД"}, {"ИМПУЛЬСНЫЙ ВЫХОД"}};

// The pulse unit selectors of the profile go to 0 with every pulse take; they are not sent.
void afterOutput1Take(DeviceImage& image, std::uint8_t s) {
    if (s == section::Pulse)
        image.output.flow_v_for_pulse_unit = 0;
}
void afterOutput2Take(DeviceImage& image, std::uint8_t s) {
    if (s == section::Pulse)
        image.output.flow_v_for_pulse_unit_1 = 0;
}

// The two outputs have the same controls: I is the digit of the type, direct state and
// volume kind fields (0, 1), S the suffix of the others ("", _1).
#define OUTPUT_CONTROLS(I, S)                                                                      \
    {.id = "diskr_out_type" #I,                                                                    \
     .caption = "РЕЖИМ РАБОТЫ ДИСК ВЫХ",                                                           \
     .kind = ControlKind::List,                                                                    \
     .member = MEMBER(output.diskr_out_type##I),                                                   \
     .section = section::OutputMode,                                                               \
     .items = kOutputModes,                                                                        \
     .twin = true},                                                                                \
        {.id = "diskr_out_direct_val_" #I,                                                         \
         .caption = "Состояние при\nпрямом управлении",                                            \
         .kind = ControlKind::Indicator,                                                           \
         .member = MEMBER(output.diskr_out_direct_val_##I),                                        \
         .section = section::OutputMode},                                                          \
        {.id = "f_flow_v_max" #S,                                                                  \
         .caption = "РАСХОД ПРИ F MAX",                                                            \
         .kind = ControlKind::Float,                                                               \
         .member = MEMBER(output.f_flow_v_max##S),                                                 \
         .section = section::Frequency,                                                            \
         .unit = kCubicMetresPerHour},                                                             \
        {.id = "f_flow_v_min" #S,                                                                  \
         .caption = "РАСХОД ПРИ F MIN",                                                            \
         .kind = ControlKind::Float,                                                               \
         .member = MEMBER(output.f_flow_v_min##S),                                                 \
         .section = section::Frequency,                                                            \
         .unit = kCubicMetresPerHour},                                                             \
        {.id = "f_flow_err" #S,                                                                    \
         .caption = "ЧАСТОТА ОШИБКИ",                                                              \
         .kind = ControlKind::Integer,                                                             \
         .member = MEMBER(output.f_flow_err##S),                                                   \
         .section = section::Frequency,                                                            \
         .unit = "Гц"},                                                                            \
        {.id = "f_max" #S,                                                                         \
         .caption = "F MAX Гц",                                                                    \
         .kind = ControlKind::Integer,                                                             \
         .member = MEMBER(output.f_max##S),                                                        \
         .section = section::Frequency},                                                           \
        {.id = "f_min" #S,                                                                         \
         .caption = "F MIN Гц",                                                                    \
         .kind = ControlKind::Integer,                                                             \
         .member = MEMBER(output.f_min##S),                                                        \
         .section = section::Frequency},                                                           \
        {.id = "f_direct_val" #S,                                                                  \
         .caption = "ЗАДАННАЯ ЧАСТОТА",                                                            \
         .kind = ControlKind::Integer,                                                             \
         .member = MEMBER(output.f_direct_val##S),                                                 \
         .section = section::Frequency,                                                            \
         .unit = "Гц"},                                                                            \
        {.id = "f_direct_control" #S,                                                              \
         .caption = "РЕЖИМ ЧАСТОТНОГО ВЫХОДА",                                                     \
         .kind = ControlKind::List,                                                                \
         .member = MEMBER(output.f_direct_control##S),                                             \
         .section = section::Frequency,                                                            \
         .items = kFrequencyModes},                                                                \
        {.id = "flow_v_for_pulse" #S,                                                              \
         .caption = "ОБЪЕМ СООТВ.\n ИМПУЛЬСУ",                                                     \
         .kind = ControlKind::Float,                                                               \
         .member = MEMBER(output.flow_v_for_pulse##S),                                             \
         .section = section::Pulse,                                                                \
         .unit = "м куб"},                                                                         \
        {.id = "pulse_activ_min_t" #S,                                                             \
         .caption = "ДЛИТ. ИМП.",                                                                  \
         .kind = ControlKind::Integer,                                                             \
         .member = MEMBER(output.pulse_activ_min_t##S),                                            \
         .section = section::Pulse,                                                                \
         .unit = "мс"},                                                                            \
        {.id = "pulse_passive_min_t" #S,                                                           \
         .caption = "ПАУЗА >=",                                                                    \
         .kind = ControlKind::Integer,                                                             \
         .member = MEMBER(output.pulse_passive_min_t##S),                                          \
         .section = section::Pulse,                                                                \
         .unit = "мс"},                                                                            \
    {                                                                                              \
        .id = "dsum_type_" #I, .caption = "ВИД ОБЪЕМА", .kind = ControlKind::List,                 \
        .member = MEMBER(output.dsum_type_##I), .section = section::Pulse, .items = kVolumeKinds   \
    }

const ControlSpec kOutput1[] = {OUTPUT_CONTROLS(0, )};
const ControlSpec kOutput2[] = {OUTPUT_CONTROLS(1, _1)};

// ТОКОВЫЙ ВЫХ ------------------------------------------------------------------------------

const PageSection kCurrentSections[] = {
    {"ШКАЛА ТОКОВОГО ВЫХОДА"}, {"ПРЯМОЕ УПРАВЛЕНИЕ"}, {"ГРАДУИРОВКА ", true}};

constexpr std::string_view kMilliamps = "мА";

// i_err_num has no control: the scale write sends it as last read.
const ControlSpec kCurrentOutput[] = {
    {.id = "flow_v_max",
     .caption = "РАСХОД МАХ",
     .kind = ControlKind::Float,
     .member = MEMBER(i_control.flow_v_max),
     .unit = kCubicMetresPerHour},
    {.id = "i_v_max",
     .caption = "ТОК",
     .kind = ControlKind::Float,
     .member = MEMBER(i_control.i_v_max),
     .unit = kMilliamps},
    {.id = "flow_v_min",
     .caption = "РАСХОД MIN",
     .kind = ControlKind::Float,
     .member = MEMBER(i_control.flow_v_min),
     .unit = kCubicMetresPerHour},
    {.id = "i_v_min",
     .caption = "ТОК",
     .kind = ControlKind::Float,
     .member = MEMBER(i_control.i_v_min),
     .unit = kMilliamps},
    {.id = "i_err_0",
     .caption = "1",
     .kind = ControlKind::Float,
     .member = MEMBER(i_control.i_err_0),
     .box = "ТОК ОШИБКИ",
     .unit = kMilliamps},
    {.id = "i_err_1",
     .caption = "2",
     .kind = ControlKind::Float,
     .member = MEMBER(i_control.i_err_1),
     .box = "ТОК ОШИБКИ",
     .unit = kMilliamps},
    {.id = "shift",
     .caption = "СМЕЩЕНИЕ",
     .kind = ControlKind::Float,
     .member = MEMBER(i_control.shift),
     .unit = kMilliamps},
    {.id = "adj",
     .caption = "ПОДСТРОЙКА",
     .kind = ControlKind::Float,
     .member = MEMBER(i_control.adj)},

    {.id = "i_control",
     .caption = "ТИП УПРАВЛЕНИЯ",
     .kind = ControlKind::List,
     .member = MEMBER(i_control.i_control),
     .section = section::CurrentDirect,
     .items = kCurrentModes,
     .rule = CodeRule::currentMode()},
    {.id = "i_ma_direct",
     .caption = "ТОК",
     .kind = ControlKind::Float,
     .member = MEMBER(i_control.i_ma_direct),
     .section = section::CurrentDirect,
     .unit = kMilliamps},
    {.id = "code_direct",
     .caption = "КОД",
     .kind = ControlKind::Integer,
     .member = MEMBER(i_control.code_direct),
     .section = section::CurrentDirect,
     .hidden = true},

    {.id = "i_ma_max_calib",
     .caption = "ТОК MAX",
     .kind = ControlKind::Float,
     .member = MEMBER(i_control.i_ma_max_calib),
     .section = section::Calibration,
     .unit = kMilliamps},
    {.id = "code_max_calib",
     .caption = "КОД",
     .kind = ControlKind::Integer,
     .member = MEMBER(i_control.code_max_calib),
     .section = section::Calibration},
    {.id = "i_ma_min_calib",
     .caption = "ТОК MIN",
     .kind = ControlKind::Float,
     .member = MEMBER(i_control.i_ma_min_calib),
     .section = section::Calibration,
     .unit = kMilliamps},
    {.id = "code_min_calib",
     .caption = "КОД",
     .kind = ControlKind::Integer,
     .member = MEMBER(i_control.code_min_calib),
     .section = section::Calibration},
};

const PageDefinition kPages[] = {
    {"ИЗМЕРЕНИЕ", kMeasurement, kMeasurementSections, nullptr, afterMeasurementTake},
    {"УПРАВЛ. ОТСЕЧКОЙ", kCutoff, kCutoffSections, afterCutoffShow, nullptr},
    {"ВЫХОД 1", kOutput1, kOutputSections, nullptr, afterOutput1Take},
    {"ВЫХОД 2", kOutput2, kOutputSections, nullptr, afterOutput2Take},
    {"ТОКОВЫЙ ВЫХ", kCurrentOutput, kCurrentSections, nullptr, nullptr},
};

constexpr std::string_view kPaths[] = {
    "НАСТРОЙКИ РАБОТЫ/ИЗМЕРЕНИЕ",   "НАСТРОЙКИ РАБОТЫ/ИЗМЕРЕНИЕ ДОП.НАСТР./УПРАВЛ. ОТСЕЧКОЙ",
    "НАСТРОЙКИ РАБОТЫ/ВЫХОД 1",     "НАСТРОЙКИ РАБОТЫ/ВЫХОД 2",
    "НАСТРОЙКИ РАБОТЫ/ТОКОВЫЙ ВЫХ",
};

} // namespace

const PageDefinition& pageDefinition(PageId page) {
    return kPages[static_cast<std::size_t>(page)];
}

std::string_view pagePath(PageId page) {
    return kPaths[static_cast<std::size_t>(page)];
}

namespace items {
std::span<const std::string_view> flowUnits() {
    return kFlowUnits;
}
std::span<const std::string_view> sumUnits() {
    return kSumUnits;
}
std::span<const std::string_view> volumeKinds() {
    return kVolumeKinds;
}
std::span<const std::string_view> averages() {
    return averageItems();
}
std::span<const std::string_view> medianWindows() {
    return kMedianWindows;
}
std::span<const std::string_view> decimalDigits() {
    return kDecimalDigits;
}
std::span<const std::string_view> scaleSources() {
    return kScaleSources;
}
std::span<const std::string_view> outputModes() {
    return kOutputModes;
}
std::span<const std::string_view> frequencyModes() {
    return kFrequencyModes;
}
std::span<const std::string_view> currentModes() {
    return kCurrentModes;
}
std::span<const std::string_view> dataSources() {
    return kDataSources;
}
} // namespace items

} // namespace flowcfg
