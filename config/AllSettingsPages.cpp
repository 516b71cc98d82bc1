// The read-only summary pages of "ВСЕ НАСТРОЙКИ": "ВЫХОДЫ", "ЭМУЛЯЦИЯ", "РАЗРЕШЕНИЕ ОШИБОК",
// "ВНЕШНИЕ ДАТЧИКИ", "ИЗМЕРЕНИЕ" and "СПЕЦИАЛЬНЫЕ". Each shows the image's values of the groups
// it names, every value as the page that edits it formats it (a code as its selector's item,
// flags as their texts), so a configuration just read, loaded or written can be checked at a
// glance. They have no buttons: the page's own four buttons read and write the whole
// configuration (config/WholeConfiguration.h), and ConfigPages shows these pages after them,
// after a loaded profile and after every page's read and write.

#include "config/AllSettingsPages.h"

#include "config/ExternalSensorPages.h"
#include "config/ListItems.h"
#include "config/MeasurementPages.h"
#include "config/PageFamilies.h"
#include "config/PageModel.h"
#include "config/SensorPages.h"

#include <algorithm>

namespace flowcfg {

namespace {

constexpr std::string_view kNone = "нет";
constexpr std::string_view kCubicMetresPerHour = "м куб/час";
constexpr std::string_view kMilliamps = "мА";
constexpr std::string_view kHertz = "Гц";
constexpr std::string_view kOhms = "Ом";
constexpr std::string_view kDegrees = "град";

// A number in the format of the field that edits or shows it.
constexpr ControlSpec number(std::uint8_t section, std::string_view id, std::string_view caption,
                             ImageMember member, std::string_view unit = {},
                             NumberFormat format = NumberFormat::Standard) {
    return {.id = id,
            .caption = caption,
            .kind = ControlKind::Value,
            .format = format,
            .member = member,
            .section = section,
            .unit = unit};
}

// A code as the item its selector shows, `otherwise` for a code no item stands for.
constexpr ControlSpec choice(std::uint8_t section, std::string_view id, std::string_view caption,
                             ImageMember member, std::span<const std::string_view> items,
                             CodeRule rule = {}, std::string_view otherwise = "-") {
    return {.id = id,
            .caption = caption,
            .kind = ControlKind::Label,
            .member = member,
            .section = section,
            .items = items,
            .rule = rule,
            .label = LabelFill::item(otherwise)};
}

// The texts of a word's set bits, `none` when none is set.
constexpr ControlSpec flags(std::uint8_t section, std::string_view id, std::string_view caption,
                            ImageMember member, std::span<const BitText> texts,
                            std::string_view none = kNone) {
    return {.id = id,
            .caption = caption,
            .kind = ControlKind::Label,
            .member = member,
            .section = section,
            .label = LabelFill::bitTexts(texts, none)};
}

// The same control in a frame of its section.
constexpr ControlSpec boxed(std::string_view box, ControlSpec control) {
    control.box = box;
    return control;
}

// ВЫХОДЫ ------------------------------------------------------------------------------------

constexpr std::uint8_t kOutput1 = 0, kOutput2 = 1, kCurrent = 2;
constexpr std::string_view kDiscrete = "ДИСКРЕТНЫЙ ВЫХОД";
constexpr std::string_view kFrequency = "ЧАСТОТНЫЙ ВЫХОД";
constexpr std::string_view kPulse = "ИМПУЛЬСНЫЙ ВЫХОД";
// The direct-control state, as its indicator says it: on only for 1.
constexpr std::string_view kOffOn[] = {kOffText, kOnText};

// An output's settings: I is the digit of the type, direct state and volume kind fields (0,
// 1), S the suffix of the others ("", _1).
#define OUTPUT_SUMMARY(SECTION, I, S)                                                              \
    boxed(kDiscrete, choice(SECTION, "diskr_out_type" #I, "РЕЖИМ РАБОТЫ ДИСК ВЫХ",                 \
                            MEMBER(output.diskr_out_type##I), items::outputModes)),                \
        boxed(kDiscrete,                                                                           \
              choice(SECTION, "diskr_out_direct_val_" #I, "Состояние при\nпрямом управлении",      \
                     MEMBER(output.diskr_out_direct_val_##I), kOffOn, {}, kOffText)),              \
        boxed(kFrequency, choice(SECTION, "f_direct_control" #S, "РЕЖИМ ЧАСТОТНОГО ВЫХОДА",        \
                                 MEMBER(output.f_direct_control##S), items::frequencyModes)),      \
        boxed(kFrequency, number(SECTION, "f_flow_v_max" #S, "РАСХОД ПРИ F MAX",                   \
                                 MEMBER(output.f_flow_v_max##S), kCubicMetresPerHour)),            \
        boxed(kFrequency, number(SECTION, "f_flow_v_min" #S, "РАСХОД ПРИ F MIN",                   \
                                 MEMBER(output.f_flow_v_min##S), kCubicMetresPerHour)),            \
        boxed(kFrequency, number(SECTION, "f_max" #S, "F MAX Гц", MEMBER(output.f_max##S))),       \
        boxed(kFrequency, number(SECTION, "f_min" #S, "F MIN Гц", MEMBER(output.f_min##S))),       \
        boxed(kFrequency, number(SECTION, "f_flow_err" #S, "ЧАСТОТА ОШИБКИ",                       \
                                 MEMBER(output.f_flow_err##S), kHertz)),                           \
        boxed(kFrequency, number(SECTION, "f_direct_val" #S, "ЗАДАННАЯ ЧАСТОТА",                   \
                                 MEMBER(output.f_direct_val##S), kHertz)),                         \
        boxed(kPulse, number(SECTION, "flow_v_for_pulse" #S, "ОБЪЕМ СООТВ.\n ИМПУЛЬСУ",            \
                             MEMBER(output.flow_v_for_pulse##S), "м куб")),                        \
        boxed(kPulse, number(SECTION, "pulse_activ_min_t" #S, "ДЛИТ. ИМП.",                        \
                             MEMBER(output.pulse_activ_min_t##S), "мс")),                          \
        boxed(kPulse, number(SECTION, "pulse_passive_min_t" #S,                                    \
                             "ПАУЗА >=", MEMBER(output.pulse_passive_min_t##S), "мс")),            \
        boxed(kPulse, choice(SECTION, "dsum_type_" #I, "ВИД ОБЪЕМА", MEMBER(output.dsum_type_##I), \
                             items::volumeKinds))

constexpr ControlSpec kOutputs[] = {
    OUTPUT_SUMMARY(kOutput1, 0, ),
    OUTPUT_SUMMARY(kOutput2, 1, _1),

    number(kCurrent, "flow_v_max", "РАСХОД МАХ", MEMBER(i_control.flow_v_max), kCubicMetresPerHour),
    number(kCurrent, "i_v_max", "ТОК", MEMBER(i_control.i_v_max), kMilliamps),
    number(kCurrent, "flow_v_min", "РАСХОД MIN", MEMBER(i_control.flow_v_min), kCubicMetresPerHour),
    number(kCurrent, "i_v_min", "ТОК", MEMBER(i_control.i_v_min), kMilliamps),
    boxed("ТОК ОШИБКИ", number(kCurrent, "i_err_0", "1", MEMBER(i_control.i_err_0), kMilliamps)),
    boxed("ТОК ОШИБКИ", number(kCurrent, "i_err_1", "2", MEMBER(i_control.i_err_1), kMilliamps)),
    number(kCurrent, "shift", "СМЕЩЕНИЕ", MEMBER(i_control.shift), kMilliamps),
    number(kCurrent, "adj", "ПОДСТРОЙКА", MEMBER(i_control.adj)),
    boxed("ПРЯМОЕ УПРАВЛЕНИЕ",
          choice(kCurrent, "i_control", "ТИП УПРАВЛЕНИЯ", MEMBER(i_control.i_control),
                 items::currentModes, CodeRule::currentMode())),
    boxed("ПРЯМОЕ УПРАВЛЕНИЕ",
          number(kCurrent, "i_ma_direct", "ТОК", MEMBER(i_control.i_ma_direct), kMilliamps)),
    boxed("ГРАДУИРОВКА", number(kCurrent, "i_ma_max_calib", "ТОК MAX",
                                MEMBER(i_control.i_ma_max_calib), kMilliamps)),
    boxed("ГРАДУИРОВКА",
          number(kCurrent, "code_max_calib", "КОД", MEMBER(i_control.code_max_calib))),
    boxed("ГРАДУИРОВКА", number(kCurrent, "i_ma_min_calib", "ТОК MIN",
                                MEMBER(i_control.i_ma_min_calib), kMilliamps)),
    boxed("ГРАДУИРОВКА",
          number(kCurrent, "code_min_calib", "КОД", MEMBER(i_control.code_min_calib))),
};

#undef OUTPUT_SUMMARY

constexpr PageSection kOutputSections[] = {
    {.caption = "ВЫХОД 1"}, {.caption = "ВЫХОД 2"}, {.caption = "ТОКОВЫЙ ВЫХОД"}};

// ЭМУЛЯЦИЯ ----------------------------------------------------------------------------------

constexpr std::string_view kEmulatedFlow = "м куб/ час";

constexpr ControlSpec kEmulation[] = {
    choice(0, "sym_mode", "Тип эмуляции", MEMBER(sym_control.sym_mode), items::emulationModes),
    number(0, "flow_v_m3_h_raw_sym", "Фиксированное значение",
           MEMBER(sym_control.flow_v_m3_h_raw_sym), kEmulatedFlow),
    number(0, "flow_v_m3_h_raw_min_sym", "Минимум", MEMBER(sym_control.flow_v_m3_h_raw_min_sym),
           kEmulatedFlow),
    number(0, "flow_v_m3_h_raw_max_sym", "Максимум", MEMBER(sym_control.flow_v_m3_h_raw_max_sym),
           kEmulatedFlow),
    number(0, "period_sym", "Половина периода ", MEMBER(sym_control.period_sym), "мС"),
    boxed("Ошибки", number(0, "flow_v_err_raw_lo_sym", "LO",
                           MEMBER(sym_control.flow_v_err_raw_lo_sym), {}, NumberFormat::Hex)),
    boxed("Ошибки", number(0, "flow_v_err_raw_hi_sym", "HI",
                           MEMBER(sym_control.flow_v_err_raw_hi_sym), {}, NumberFormat::Hex)),
};

constexpr PageSection kEmulationSections[] = {{.caption = "ЭМУЛЯЦИЯ ИЗМЕРЕННОГО ЗНАЧЕНИЯ"}};

// РАЗРЕШЕНИЕ ОШИБОК -------------------------------------------------------------------------

// The grid's columns in words, in its order. The word goes to the meter as it is, so bits
// without a column are named too.
constexpr BitText kPermissionTexts[] = {
    {0x01, " Общее разрешение"}, {0x02, " Инд. стоп"}, {0x04, " Сумм. стоп"}, {0x08, " Вых. ош."},
    {0x20, " Ток ош 1."},        {0x40, " Ток ош 2."}, {0x10, " Част. ош."},  {0xFF80, " др. биты"},
};

#define PERMISSION_SUMMARY(KEY, CAPTION)                                                           \
    flags(0, #KEY, CAPTION, MEMBER(err_en.KEY), kPermissionTexts),

constexpr ControlSpec kErrors[] = {
    FLOWCFG_PERMISSION_WORDS(PERMISSION_SUMMARY) //
    number(1, "izm_flow_v_err_lo_msk", "LO", MEMBER(err_msk.izm_flow_v_err_lo_msk), {},
           NumberFormat::Hex),
    number(1, "izm_flow_v_err_hi_msk", "HI", MEMBER(err_msk.izm_flow_v_err_hi_msk), {},
           NumberFormat::Hex),
};

#undef PERMISSION_SUMMARY

constexpr PageSection kErrorSections[] = {
    {.caption = "РАЗРЕШЕНИЕ АНАЛИЗА ОШИБОК"},
    {.caption = "МАСКА ОШИБОК ИЗМ. МОДУЛЯ (только в профиле)"}};

// ВНЕШНИЕ ДАТЧИКИ ---------------------------------------------------------------------------

constexpr std::uint8_t kReadings = 0, kAdcCodes = 1, kCalibration = 2, kPressure = 3,
                       kAdjustment = 4;

#define COEFFICIENT(NAME, CAPTION)                                                                 \
    number(kCalibration, "ext_sens_kvd_" #NAME, CAPTION, MEMBER(izm_to_comp.ext_sens_kvd_##NAME),  \
           {}, NumberFormat::Exponent)

constexpr ControlSpec kSensors[] = {
    number(kReadings, "temperature", "ТЕМПЕРАТУРА", MEMBER(readings.extTemperature), kDegrees),
    flags(kReadings, "temperature_error", "ОШИБКА ТЕМПЕРАТУРЫ", MEMBER(readings.extTemperatureErr),
          kSensorErrorTexts),
    number(kReadings, "pressure", "ДАВЛЕНИЕ", MEMBER(readings.extPressure)),
    choice(kReadings, "pressure_reading_unit", "ЕДИНИЦЫ ДАВЛЕНИЯ", MEMBER(readings.extPressureUnit),
           items::pressureUnits),
    flags(kReadings, "pressure_error", "ОШИБКА ДАВЛЕНИЯ", MEMBER(readings.extPressureErr),
          kSensorErrorTexts),
    number(kReadings, "resistance", "СОПРОТИВЛЕНИЕ", MEMBER(readings.extResistance), kOhms),

    number(kAdcCodes, "adc_code1", "КАНАЛ 1", MEMBER(readings.adcCode1)),
    number(kAdcCodes, "adc_code2", "КАНАЛ 2", MEMBER(readings.adcCode2)),
    number(kAdcCodes, "adc_err", "ERR", MEMBER(readings.adcErr), {}, NumberFormat::Hex),

    boxed("ТОЧКА 1", number(kCalibration, "a1_cod_min", "КОД АЦП", MEMBER(izm_to_comp.a1_cod_min))),
    boxed("ТОЧКА 1", number(kCalibration, "r_cod_min", "СОПРОТИВЛЕНИЕ",
                            MEMBER(izm_to_comp.r_cod_min), kOhms, NumberFormat::Fixed2)),
    boxed("ТОЧКА 2", number(kCalibration, "a1_cod_max", "КОД АЦП", MEMBER(izm_to_comp.a1_cod_max))),
    boxed("ТОЧКА 2", number(kCalibration, "r_cod_max", "СОПРОТИВЛЕНИЕ",
                            MEMBER(izm_to_comp.r_cod_max), kOhms, NumberFormat::Fixed2)),
    number(kCalibration, "ext_sens_r0", "R0", MEMBER(izm_to_comp.ext_sens_r0), kOhms,
           NumberFormat::Fixed2),
    choice(kCalibration, "characteristic", "ХАРАКТЕРИСТИКА", MEMBER(readings.characteristic),
           items::temperatureCurves),
    COEFFICIENT(a, "A"),
    COEFFICIENT(b, "B"),
    COEFFICIENT(d1, "D1"),
    COEFFICIENT(d2, "D2"),
    COEFFICIENT(d3, "D3"),
    COEFFICIENT(d4, "D4"),

    choice(kPressure, "pressure_unit", "ЕДИНИЦЫ ИЗМЕРЕНИЯ", MEMBER(readings.pressureUnit),
           items::pressureUnits),

    number(kAdjustment, "shift", "Shift", MEMBER(adc_7793.shift), kDegrees),
    number(kAdjustment, "adj", "Adj", MEMBER(adc_7793.adj)),
};

#undef COEFFICIENT

constexpr PageSection kSensorSections[] = {{.caption = "ИЗМЕРЕНИЕ"},
                                           {.caption = "КОДЫ АЦП"},
                                           {.caption = "ТЕМПЕРАТУРА"},
                                           {.caption = "ДАВЛЕНИЕ"},
                                           {.caption = "ПОДСТРОЙКА ТЕМПЕРАТУРЫ"}};

// ИЗМЕРЕНИЕ ---------------------------------------------------------------------------------

constexpr std::string_view kRange = "ДИАПАЗОН";

constexpr ControlSpec kMeasurement[] = {
    choice(0, "izm_flow_v_unit", "ЕДИНИЦЫ", MEMBER(izm_to_comp.izm_flow_v_unit), items::flowUnits),
    choice(0, "izm_flow_v_sum_unit", "ЕДИНИЦЫ НАКОПЛЕННОГО ОБЪЕМА",
           MEMBER(izm_to_comp.izm_flow_v_sum_unit), items::sumUnits),
    choice(0, "izm_flow_v_ns", "УСРЕДНЕНИЕ \n(уровень 0.63)", MEMBER(izm_to_comp.izm_flow_v_ns),
           items::averages),
    choice(0, "izm_flow_v_dsum_type", "ТИП НАКОПЛЕННОГО ОБЪЕМА",
           MEMBER(izm_to_comp.izm_flow_v_dsum_type), items::volumeKinds),
    choice(0, "mediana_val", "МЕДИАНА", MEMBER(mediana_filtr_flow.mediana_val),
           items::medianWindows, CodeRule::odd()),
    boxed(kRange, number(0, "izm_flow_v_min_m3_h_cmp", "МИН ДИАПАЗОНА",
                         MEMBER(izm_general_param.izm_flow_v_min_m3_h_cmp), kCubicMetresPerHour)),
    boxed(kRange, number(0, "izm_flow_v_max_m3_h_cmp", "МАКС ДИАПАЗОНА",
                         MEMBER(izm_general_param.izm_flow_v_max_m3_h_cmp), kCubicMetresPerHour)),
    boxed(kRange, number(0, "sensor_type_cmp", "ТИП ПЕРВ. ПРЕОБР.",
                         MEMBER(izm_general_param.sensor_type_cmp), {}, NumberFormat::Hex)),
    boxed(kRange, number(0, "line_size_cmp", "ДУ", MEMBER(izm_general_param.line_size_cmp), "мм")),
    choice(0, "bar_type", "ИСТОЧНИК ДАННЫХ ЛИНЕЙНОЙ ШКАЛЫ", MEMBER(izm_general_param.bar_type),
           items::scaleSources),
    choice(0, "ind_point", "ЦИФР ПОСЛЕ ЗАП.", MEMBER(izm_to_comp.ind_point), items::decimalDigits),
};

constexpr PageSection kMeasurementSections[] = {{.caption = "ПАРАМЕТРЫ ИЗМЕРЕНИЯ"}};

// СПЕЦИАЛЬНЫЕ -------------------------------------------------------------------------------

constexpr std::uint8_t kCleaning = 0, kAmplitude = 1, kEmptyPipe = 2, kArchive = 3, kCutoff = 4;

constexpr ControlSpec kSpecial[] = {
    number(kCleaning, "el_clear_time_interval_val_h", "ИНТЕРВАЛ ОЧИСТКИ",
           MEMBER(el_clear.el_clear_time_interval_val_h), "сут"),
    number(kCleaning, "el_clear_time_on_val_s", "ДЛИТЕЛЬНОСТЬ ОЧИСТКИ",
           MEMBER(el_clear.el_clear_time_on_val_s), "сек"),

    number(kAmplitude, "amplitude_cut", "ОТСЕЧКА АМПЛИТУДЫ", MEMBER(vihr.amplitude_cut)),

    flags(kEmptyPipe, "empty_pype_en", "", MEMBER(izm_general_param.empty_pype_en),
          kEmptyPipeTexts),

    {.id = "frame_write_interval_sec",
     .caption = "АРХИВ ИНТ ЗАП",
     .kind = ControlKind::Label,
     .member = MEMBER(frame_write.frame_write_interval_sec),
     .section = kArchive,
     .items = items::offOrSeconds,
     .unit = "СЕК",
     .label = LabelFill::item()},
    choice(kArchive, "frame_write_type", "ВАРИАНТ ПАРАМЕТРОВ КАДРА",
           MEMBER(frame_write.frame_write_type), items::frameTypes),

    number(kCutoff, "izm_flow_v_cut_ee", "ОТСЕЧКА ИЗМЕРЕННОГО ЗНАЧЕНИЯ %",
           MEMBER(izm_general_param.izm_flow_v_cut_ee)),
    number(kCutoff, "cut_hysteresis", "ГИСТЕРЕЗИС ОТСЕЧКИ %", MEMBER(readings.cutoffHysteresis)),
    flags(kCutoff, "cut_main", "ОСНОВНАЯ ОТСЕЧКА", MEMBER(izm_general_param.cut_en),
          kMainCutoffTexts),
    flags(kCutoff, "cut_display", "ОТСЕЧКА ДЛЯ ИНДИКАЦИИ", MEMBER(izm_general_param.cut_en),
          kDisplayCutoffTexts),
    boxed("ИЗМЕРИТЕЛЬНЫЙ МОДУЛЬ",
          number(kCutoff, "module_cutoff", "ОТСЕЧКА В МОДУЛЕ %", MEMBER(readings.moduleCutoff))),
    boxed("ИЗМЕРИТЕЛЬНЫЙ МОДУЛЬ", number(kCutoff, "module_hysteresis", "ГИСТЕРЕЗИС В МОДУЛЕ %",
                                         MEMBER(readings.moduleHysteresis))),
};

constexpr PageSection kSpecialSections[] = {{.caption = "ОЧИСТКА ЭЛЕКТРОДОВ"},
                                            {.caption = "ОТСЕЧКА АМПЛИТУДЫ СИГНАЛА"},
                                            {.caption = "ОБРАБОТКА ПУСТОЙ ТРУБЫ"},
                                            {.caption = "АРХИВ"},
                                            {.caption = "УПРАВЛЕНИЕ ОТСЕЧКОЙ"}};

// The pages -------------------------------------------------------------------------------

constexpr PageDefinition kPages[] = {
    {.path = page::summaryOutputs, .controls = kOutputs, .sections = kOutputSections},
    {.path = page::summaryEmulation, .controls = kEmulation, .sections = kEmulationSections},
    {.path = page::summaryErrors, .controls = kErrors, .sections = kErrorSections},
    {.path = page::summarySensors, .controls = kSensors, .sections = kSensorSections},
    {.path = page::summaryMeasurement, .controls = kMeasurement, .sections = kMeasurementSections},
    {.path = page::summarySpecial, .controls = kSpecial, .sections = kSpecialSections},
};

// A summary only shows: every control is read-only and bound to a member, no section has a
// button.
constexpr bool summarises(const PageDefinition& page) {
    return std::ranges::all_of(page.controls,
                               [](const ControlSpec& c) {
                                   return (c.kind == ControlKind::Value ||
                                           c.kind == ControlKind::Label) &&
                                          c.member != nullptr;
                               }) &&
           std::ranges::none_of(page.sections, [](const PageSection& s) {
               return s.buttons.any() || !s.commands.empty();
           });
}

static_assert(std::ranges::all_of(kPages, wellFormed));
static_assert(std::ranges::all_of(kPages, summarises));

} // namespace

std::span<const PageDefinition> allSettingsPages() {
    return kPages;
}

} // namespace flowcfg
