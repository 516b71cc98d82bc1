// The measurement and output pages: "ИЗМЕРЕНИЕ", "ИЗМЕРЕНИЕ ДОП.НАСТР." > "УПРАВЛ. ОТСЕЧКОЙ",
// "ВЫХОД 1", "ВЫХОД 2" and "ТОКОВЫЙ ВЫХ". One PageDefinition row per page: its controls in
// take order, its sections with their buttons, and the few rules that only it has.

#include "config/MeasurementPages.h"

#include "config/ListItems.h"
#include "config/PageFamilies.h"

#include <algorithm>

namespace flowcfg {

namespace {

constexpr std::string_view kCubicMetresPerHour = "м куб/час";

// ИЗМЕРЕНИЕ --------------------------------------------------------------------------------

// The selectors of the range and cut-off sources are hidden and always go to the image as 0.
// They, the range ends, the transducer type and the diameter are taken but never sent.
void afterMeasurementTake(DeviceImage& image, std::uint8_t) {
    image.izm_general_param.sel_sensor_type_ncmp = 0;
    image.izm_general_param.sel_cut_ncmp_mdl = 0;
}

constexpr ControlSpec kMeasurement[] = {
    {.id = "izm_flow_v_unit",
     .caption = "ЕДИНИЦЫ",
     .kind = ControlKind::List,
     .member = MEMBER(izm_to_comp.izm_flow_v_unit),
     .items = items::flowUnits},
    {.id = "izm_flow_v_sum_unit",
     .caption = "ЕДИНИЦЫ НАКОПЛЕННОГО ОБЪЕМА",
     .kind = ControlKind::List,
     .member = MEMBER(izm_to_comp.izm_flow_v_sum_unit),
     .items = items::sumUnits},
    {.id = "izm_flow_v_ns",
     .caption = "УСРЕДНЕНИЕ \n(уровень 0.63)",
     .kind = ControlKind::List,
     .member = MEMBER(izm_to_comp.izm_flow_v_ns),
     .items = items::averages},
    {.id = "izm_flow_v_dsum_type",
     .caption = "ТИП НАКОПЛЕННОГО ОБЪЕМА",
     .kind = ControlKind::List,
     .member = MEMBER(izm_to_comp.izm_flow_v_dsum_type),
     .items = items::volumeKinds},
    {.id = "mediana_val",
     .caption = "МЕДИАНА",
     .kind = ControlKind::List,
     .member = MEMBER(mediana_filtr_flow.mediana_val),
     .items = items::medianWindows,
     .rule = CodeRule::odd()},
    {.id = "izm_flow_v_min_m3_h_cmp",
     .caption = "МИН ДИАПАЗОНА",
     .kind = ControlKind::Float,
     .member = MEMBER(izm_general_param.izm_flow_v_min_m3_h_cmp),
     .box = "ДИАПАЗОН",
     .unit = kCubicMetresPerHour,
     .notSent = true},
    {.id = "izm_flow_v_max_m3_h_cmp",
     .caption = "МАКС ДИАПАЗОНА",
     .kind = ControlKind::Float,
     .member = MEMBER(izm_general_param.izm_flow_v_max_m3_h_cmp),
     .box = "ДИАПАЗОН",
     .unit = kCubicMetresPerHour,
     .notSent = true},
    {.id = "sensor_type_cmp",
     .caption = "ТИП ПЕРВ. ПРЕОБР.",
     .kind = ControlKind::Hex16,
     .member = MEMBER(izm_general_param.sensor_type_cmp),
     .box = "ДИАПАЗОН",
     .notSent = true},
    {.id = "line_size_cmp",
     .caption = "ДУ",
     .kind = ControlKind::Integer,
     .member = MEMBER(izm_general_param.line_size_cmp),
     .box = "ДИАПАЗОН",
     .unit = "мм",
     .notSent = true},
    {.id = "sel_sensor_type_ncmp",
     .caption = "ИСТОЧНИК ДИАПАЗОНА",
     .kind = ControlKind::List,
     .member = MEMBER(izm_general_param.sel_sensor_type_ncmp),
     .items = items::dataSources,
     .hidden = true,
     .notSent = true},
    {.id = "bar_type",
     .caption = "ИСТОЧНИК ДАННЫХ ЛИНЕЙНОЙ ШКАЛЫ",
     .kind = ControlKind::List,
     .member = MEMBER(izm_general_param.bar_type),
     .items = items::scaleSources},
    {.id = "sel_cut_ncmp_mdl",
     .caption = "ИСТОЧНИК ОТСЕЧКИ",
     .kind = ControlKind::List,
     .member = MEMBER(izm_general_param.sel_cut_ncmp_mdl),
     .items = items::dataSources,
     .hidden = true,
     .notSent = true},
    {.id = "ind_point",
     .caption = "ЦИФР ПОСЛЕ ЗАП.",
     .kind = ControlKind::List,
     .member = MEMBER(izm_to_comp.ind_point),
     .items = items::decimalDigits},
};

// УПРАВЛ. ОТСЕЧКОЙ -------------------------------------------------------------------------

constexpr std::string_view kMainCutoff = "ОСНОВНАЯ ОТСЕЧКА";
constexpr std::string_view kDisplayCutoff = "ОТСЕЧКА ДЛЯ ИНДИКАЦИИ";
constexpr std::string_view kFormedInMeter = "СФОРМИРОВАННАЯ В ПРИБОРЕ";
constexpr std::string_view kFromPrimary = "ИЗ ПЕРВИЧНОГО ПРЕОБРАЗОВАТЕЛЯ";

constexpr ControlSpec kCutoff[] = {
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
     .member = MEMBER(izm_general_param.cut_en),
     .box = kMainCutoff,
     .label = LabelFill::bitTexts(kMainCutoffTexts)},
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
     .member = MEMBER(izm_general_param.cut_en),
     .box = kDisplayCutoff,
     .label = LabelFill::bitTexts(kDisplayCutoffTexts)},
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
     .items = items::outputModes,                                                                  \
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
         .items = items::frequencyModes},                                                          \
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
        .member = MEMBER(output.dsum_type_##I), .section = section::Pulse,                         \
        .items = items::volumeKinds                                                                \
    }

constexpr ControlSpec kOutput1[] = {OUTPUT_CONTROLS(0, )};
constexpr ControlSpec kOutput2[] = {OUTPUT_CONTROLS(1, _1)};

// ТОКОВЫЙ ВЫХ ------------------------------------------------------------------------------

constexpr std::string_view kMilliamps = "мА";

// i_err_num has no control: the scale write sends it as last read.
constexpr ControlSpec kCurrentOutput[] = {
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
     .items = items::currentModes,
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

// Buttons --------------------------------------------------------------------------------

// ИЗМЕРЕНИЕ: ten groups, pausing only after the first two, then the cut-off values and the
// scale source. The temperature ADC adjustment (0x1904) belongs to another page; its failure
// does not fail the read.
constexpr GroupTransfer kMeasurementReads[] = {
    {.group = GroupId::MeasurementSettings, .pauseAfterMs = 100},
    {.group = GroupId::SumUnit, .pauseAfterMs = 100},
    {.group = GroupId::CutoffSource},
    {.group = GroupId::DisplayedSumType},
    {.group = GroupId::FlowRange},
    {.group = GroupId::SensorType},
    {.group = GroupId::NominalDiameter},
    {.group = GroupId::DecimalDigits},
    {.group = GroupId::MedianFilter},
    {.group = GroupId::TemperatureAdjustment, .onFailure = OnFailure::Ignore},
    {.group = GroupId::CutoffValues},
    {.group = GroupId::LinearScale},
};
constexpr GroupTransfer kMeasurementWrites[] = {
    {.group = GroupId::Averages, .pauseAfterMs = 400},
    {.group = GroupId::FlowUnit, .pauseAfterMs = 400},
    {.group = GroupId::SumUnit, .pauseAfterMs = 400},
    {.group = GroupId::DisplayedSumType, .pauseAfterMs = 400},
    {.group = GroupId::DecimalDigits, .pauseAfterMs = 400},
    {.group = GroupId::LinearScale, .pauseAfterMs = 400},
    {.group = GroupId::MedianFilter, .pauseAfterMs = 400},
};
constexpr GroupTransfer kCutoffReads[] = {{.group = GroupId::Cutoff, .pauseAfterMs = 100},
                                          {.group = GroupId::CutoffFlags, .pauseAfterMs = 100}};
constexpr GroupTransfer kCutoffWrites[] = {{.group = GroupId::Cutoff, .pauseAfterMs = 400},
                                           {.group = GroupId::CutoffFlags, .pauseAfterMs = 400}};
constexpr PagePart kCutoffPart[] = {{page::cutoff, section::Main}};

// The groups of one output: reads pause 100 ms and writes 400 ms after each.
template <GroupId Type, GroupId Direct, GroupId Frequency, GroupId Pulse, GroupId PulseSum>
struct OutputGroups {
    static constexpr GroupTransfer modeReads[] = {{.group = Type, .pauseAfterMs = 100},
                                                  {.group = Direct, .pauseAfterMs = 100}};
    static constexpr GroupTransfer modeWrites[] = {{.group = Type, .pauseAfterMs = 400},
                                                   {.group = Direct, .pauseAfterMs = 400}};
    static constexpr GroupTransfer frequencyReads[] = {{.group = Frequency, .pauseAfterMs = 100}};
    static constexpr GroupTransfer frequencyWrites[] = {{.group = Frequency, .pauseAfterMs = 400}};
    static constexpr GroupTransfer pulseReads[] = {{.group = Pulse, .pauseAfterMs = 100},
                                                   {.group = PulseSum, .pauseAfterMs = 100}};
    static constexpr GroupTransfer pulseWrites[] = {{.group = Pulse, .pauseAfterMs = 400},
                                                    {.group = PulseSum, .pauseAfterMs = 400}};
};
using Output1Groups =
    OutputGroups<GroupId::Output1Type, GroupId::Output1DirectValue, GroupId::Output1Frequency,
                 GroupId::Output1Pulse, GroupId::Output1PulseSumType>;
using Output2Groups =
    OutputGroups<GroupId::Output2Type, GroupId::Output2DirectValue, GroupId::Output2Frequency,
                 GroupId::Output2Pulse, GroupId::Output2PulseSumType>;

// The three sections of an output page; names are "<prefix>-mode", "-frequency", "-pulse".
// Only output 1 checks the write protection, on its mode write.
template <class Groups>
constexpr std::array<PageSection, 3> outputSections(std::string_view mode,
                                                    std::string_view frequency,
                                                    std::string_view pulse, bool protectMode) {
    return {{
        {.caption = "ДИСКРЕТНЫЙ ВЫХОД",
         .buttons = {.name = mode,
                     .reads = Groups::modeReads,
                     .readSuccess = "Чтение параметров выходов успешно осуществлено.",
                     .writes = Groups::modeWrites,
                     .writeSuccess = "Запись параметров выходов успешно осуществлена.",
                     .checksProtection = protectMode}},
        {.caption = "ЧАСТОТНЫЙ ВЫХОД",
         .buttons = {.name = frequency,
                     .reads = Groups::frequencyReads,
                     .readSuccess = "Чтение параметров частотных выходов успешно осуществлено.",
                     .writes = Groups::frequencyWrites,
                     .writeSuccess = "Запись параметров частотных выходов успешно осуществлена."}},
        {.caption = "ИМПУЛЬСНЫЙ ВЫХОД",
         .buttons = {.name = pulse,
                     .reads = Groups::pulseReads,
                     .readSuccess = "Чтение параметров импульсных выходов успешно осуществлено.",
                     .writes = Groups::pulseWrites,
                     .writeSuccess = "Запись параметров импульсных выходов успешно осуществлена."}},
    }};
}

// The scale goes back to back; i_err_num (in the error group) goes back as last read.
constexpr GroupTransfer kCurrentScaleReads[] = {
    {.group = GroupId::CurrentScale, .pauseAfterMs = 100},
    {.group = GroupId::CurrentError, .pauseAfterMs = 100},
    {.group = GroupId::CurrentShift, .pauseAfterMs = 100}};
constexpr GroupTransfer kCurrentScaleWrites[] = {{.group = GroupId::CurrentScale},
                                                 {.group = GroupId::CurrentError},
                                                 {.group = GroupId::CurrentShift}};
constexpr GroupTransfer kCurrentDirectReads[] = {
    {.group = GroupId::CurrentMode, .pauseAfterMs = 100},
    {.group = GroupId::CurrentDirect, .pauseAfterMs = 100}};
constexpr GroupTransfer kCurrentDirectWrites[] = {
    {.group = GroupId::CurrentMode, .pauseAfterMs = 100}, {.group = GroupId::CurrentDirect}};

constexpr std::string_view kCurrentRead = "Чтение параметров токового выхода успешно осуществлено.";

// Sections ---------------------------------------------------------------------------------

constexpr PageSection kMeasurementSections[] = {
    {.caption = "ПАРАМЕТРЫ ИЗМЕРЕНИЯ",
     .buttons = {.name = "measurement",
                 .reads = kMeasurementReads,
                 .readSuccess = "Чтение параметров измерения успешно осуществлено.",
                 .leadingWrites = kCutoffWrites,
                 .writes = kMeasurementWrites,
                 .writeSuccess = "Запись параметров измерения успешно осуществлена.",
                 .alsoParts = kCutoffPart}}};
constexpr PageSection kCutoffSections[] = {
    {.caption = "ОТСЕЧКА",
     .buttons = {.name = "cutoff",
                 .reads = kCutoffReads,
                 .readSuccess = "Чтение параметров отсечки успешно осуществлено.",
                 .writes = kCutoffWrites,
                 .confirmation = "Данные отсечек будут переписаны?.",
                 .writeSuccess = "Запись отсечек успешно осуществлена."}}};
constexpr auto kOutput1Sections =
    outputSections<Output1Groups>("output1-mode", "output1-frequency", "output1-pulse", true);
constexpr auto kOutput2Sections =
    outputSections<Output2Groups>("output2-mode", "output2-frequency", "output2-pulse", false);
constexpr PageSection kCurrentSections[] = {
    {.caption = "ШКАЛА ТОКОВОГО ВЫХОДА",
     .buttons = {.name = "current-scale",
                 .reads = kCurrentScaleReads,
                 .readSuccess = kCurrentRead,
                 .writes = kCurrentScaleWrites,
                 .confirmation = "Данные конфигурации токового выхода будут переписаны?.",
                 .writeSuccess = "Запись параметров токового выхода успешно осуществлена."}},
    {.caption = "ПРЯМОЕ УПРАВЛЕНИЕ",
     .buttons = {.name = "current-direct",
                 .reads = kCurrentDirectReads,
                 .readSuccess = kCurrentRead,
                 .writes = kCurrentDirectWrites,
                 .confirmation = "Задать прямое управление токовым выходом?.",
                 .writeSuccess =
                     "Запись параметров прямого управления токового выхода успешно осуществлена."}},
    {.caption = "ГРАДУИРОВКА ", .hidden = true},
};

// The pages -------------------------------------------------------------------------------

constexpr PageDefinition kPages[] = {
    {.path = page::measurement,
     .controls = kMeasurement,
     .sections = kMeasurementSections,
     .afterTake = afterMeasurementTake},
    {.path = page::cutoff, .controls = kCutoff, .sections = kCutoffSections},
    {.path = page::output1,
     .controls = kOutput1,
     .sections = kOutput1Sections,
     .afterTake = afterOutput1Take},
    {.path = page::output2,
     .controls = kOutput2,
     .sections = kOutput2Sections,
     .afterTake = afterOutput2Take},
    {.path = page::currentOutput, .controls = kCurrentOutput, .sections = kCurrentSections},
};

static_assert(std::ranges::all_of(kPages, wellFormed));

} // namespace

std::span<const PageDefinition> measurementPages() {
    return kPages;
}

} // namespace flowcfg
