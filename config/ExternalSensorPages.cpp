// The external-sensor pages ("ИЗМЕРЕНИЕ", "ТЕМПЕРАТУРА", "ДАВЛЕНИЕ", "ПОДСТРОЙКА ТЕМПЕРАТУРЫ"
// under "ВНЕШН. ДАТЧИКИ") and the measuring module's "КАЛИБ КОЭФФ" and "ПЕРВ.ПРЕОБРАЗОВАТЕЛЬ".
// The tool computes nothing here: it reads, shows, takes and writes. One PageDefinition row per
// page, with the few rules only these pages have.

#include "config/ExternalSensorPages.h"

#include "config/ConfigPages.h"
#include "config/ListItems.h"
#include "config/PageFamilies.h"
#include "link/Outcome.h"
#include "link/Ports.h"
#include "model/Encodings.h"
#include "model/GroupIo.h"

#include <algorithm>

namespace flowcfg {

std::string linkKey(const LinkSettings& settings) {
    return portName(settings.Number) + " " + devicePathForPort(settings, settings.Number) + " " +
           std::to_string(settings.NetAdrr) + " " + std::to_string(settings.speedIndex) + " " +
           std::to_string(settings.parity);
}

void keepCalibrationWords(const LinkContext& ctx, DeviceImage& image) {
    const auto& r = image.readings;
    image.keptCalibration = {linkKey(ctx.settings), r.calibrationWord0, r.coefficientC};
}

namespace {

// As the calibration read sends them.
constexpr GroupTransfer kCalibrationWordReads[] = {
    {.group = GroupId::TemperatureCalibration},
    {.group = GroupId::UserCoefficients, .pauseBeforeMs = 100}};

} // namespace

ExchangeResult freshCalibrationWords(LinkContext& ctx, DeviceImage& image) {
    auto& kept = image.keptCalibration;
    if (kept.link != linkKey(ctx.settings)) {
        DeviceImage meter;
        if (const ExchangeResult result = runSteps(ctx, readSteps(meter, kCalibrationWordReads));
            !stepSucceeded(result))
            return result;
        keepCalibrationWords(ctx, meter);
        kept = meter.keptCalibration;
    }
    image.readings.calibrationWord0 = kept.word0;
    image.readings.coefficientC = kept.c;
    return {};
}

namespace {

constexpr std::string_view kOhms = "Ом";
constexpr std::string_view kDegrees = "град";

// ИЗМЕРЕНИЕ --------------------------------------------------------------------------------

constexpr ControlSpec kMeasurement[] = {
    {.id = "temperature",
     .caption = "ТЕМПЕРАТУРА",
     .kind = ControlKind::Value,
     .member = MEMBER(readings.extTemperature),
     .unit = kDegrees},
    {.id = "temperature_error",
     .caption = "",
     .kind = ControlKind::Label,
     .member = MEMBER(readings.extTemperatureErr),
     .label = LabelFill::bitTexts(kSensorErrorTexts)},
    {.id = "pressure",
     .caption = "ДАВЛЕНИЕ",
     .kind = ControlKind::Value,
     .member = MEMBER(readings.extPressure)},
    {.id = "pressure_unit",
     .caption = "",
     .kind = ControlKind::Label,
     .member = MEMBER(readings.extPressureUnit),
     .items = items::pressureUnits,
     .label = LabelFill::item("")},
    {.id = "pressure_error",
     .caption = "",
     .kind = ControlKind::Label,
     .member = MEMBER(readings.extPressureErr),
     .label = LabelFill::bitTexts(kSensorErrorTexts)},
    {.id = "resistance",
     .caption = "СОПРОТИВЛЕНИЕ",
     .kind = ControlKind::Value,
     .member = MEMBER(readings.extResistance),
     .unit = kOhms},
};

// ТЕМПЕРАТУРА ------------------------------------------------------------------------------

constexpr std::string_view kPoint1 = "ТОЧКА 1";
constexpr std::string_view kPoint2 = "ТОЧКА 2";

// A coefficient of the user characteristic, in exponent form.
#define COEFFICIENT(name, caption_)                                                                \
    {                                                                                              \
        .id = "ext_sens_kvd_" #name, .caption = caption_, .kind = ControlKind::Float,              \
        .format = NumberFormat::Exponent, .member = MEMBER(izm_to_comp.ext_sens_kvd_##name),       \
        .section = section::Characteristic                                                         \
    }

// The ADC codes are long integers on the screen, kept low word first by the meter.
constexpr ControlSpec kTemperature[] = {
    {.id = "a1_cod_min",
     .caption = "КОД АЦП",
     .kind = ControlKind::Integer,
     .member = MEMBER(izm_to_comp.a1_cod_min),
     .box = kPoint1},
    {.id = "r_cod_min",
     .caption = "СОПРОТИВЛЕНИЕ",
     .kind = ControlKind::Float,
     .format = NumberFormat::Fixed2,
     .member = MEMBER(izm_to_comp.r_cod_min),
     .box = kPoint1,
     .unit = kOhms},
    {.id = "a1_cod_max",
     .caption = "КОД АЦП",
     .kind = ControlKind::Integer,
     .member = MEMBER(izm_to_comp.a1_cod_max),
     .box = kPoint2},
    {.id = "r_cod_max",
     .caption = "СОПРОТИВЛЕНИЕ",
     .kind = ControlKind::Float,
     .format = NumberFormat::Fixed2,
     .member = MEMBER(izm_to_comp.r_cod_max),
     .box = kPoint2,
     .unit = kOhms},
    {.id = "ext_sens_r0",
     .caption = "R0",
     .kind = ControlKind::Float,
     .format = NumberFormat::Fixed2,
     .member = MEMBER(izm_to_comp.ext_sens_r0),
     .unit = kOhms},

    {.id = "characteristic",
     .caption = "ХАРАКТЕРИСТИКА",
     .kind = ControlKind::List,
     .member = MEMBER(readings.characteristic),
     .section = section::Characteristic,
     .items = items::temperatureCurves},
    COEFFICIENT(a, "A"),
    COEFFICIENT(b, "B"),
    COEFFICIENT(d1, "D1"),
    COEFFICIENT(d2, "D2"),
    COEFFICIENT(d3, "D3"),
    COEFFICIENT(d4, "D4"),

    {.id = "adc_code1",
     .caption = "КАНАЛ 1",
     .kind = ControlKind::Value,
     .member = MEMBER(readings.adcCode1),
     .section = section::AdcCodes},
    {.id = "adc_code2",
     .caption = "КАНАЛ 2",
     .kind = ControlKind::Value,
     .member = MEMBER(readings.adcCode2),
     .section = section::AdcCodes},
    {.id = "adc_err",
     .caption = "ERR",
     .kind = ControlKind::Value,
     .format = NumberFormat::Hex,
     .member = MEMBER(readings.adcErr),
     .section = section::AdcCodes},
    {.id = "resistance",
     .caption = "R",
     .kind = ControlKind::Value,
     .member = MEMBER(readings.extResistance),
     .section = section::AdcCodes,
     .unit = kOhms},
};

#undef COEFFICIENT

// ДАВЛЕНИЕ, ПОДСТРОЙКА ТЕМПЕРАТУРЫ ---------------------------------------------------------

constexpr ControlSpec kPressure[] = {
    {.id = "pressure_unit",
     .caption = "ЕДИНИЦЫ ИЗМЕРЕНИЯ",
     .kind = ControlKind::List,
     .member = MEMBER(readings.pressureUnit),
     .items = items::pressureUnits},
};

constexpr ControlSpec kAdjustment[] = {
    {.id = "shift",
     .caption = "Shift",
     .kind = ControlKind::Float,
     .member = MEMBER(adc_7793.shift),
     .unit = kDegrees},
    {.id = "adj", .caption = "Adj", .kind = ControlKind::Float, .member = MEMBER(adc_7793.adj)},
};

// КАЛИБ КОЭФФ ------------------------------------------------------------------------------

// The count is the high byte of 0x7DFF; the table shows all twenty entries whatever it says.
void afterCoefficientsShow(PageModel& page, DeviceImage& image, std::uint8_t) {
    page.state("coefficient_count").text = formatUnsigned(image.readings.coefficientWord >> 8);
}

constexpr TableColumn kCoefficientColumns[] = {
    {.header = "Gi",
     .cell = [](DeviceImage& d, std::size_t row) -> ValueRef {
         return &d.readings.coefficientX.at(row);
     },
     .width = 7},
    {.header = "Gv",
     .cell = [](DeviceImage& d, std::size_t row) -> ValueRef {
         return &d.readings.coefficientY.at(row);
     },
     .width = 8},
};

constexpr ControlSpec kCoefficients[] = {
    {.id = "coefficient_count",
     .caption = "ЧИСЛО КОЭФФ.",
     .kind = ControlKind::Label,
     .label = LabelFill::own()},
    {.id = "coefficients",
     .caption = "",
     .kind = ControlKind::Table,
     .table = {.rows = 20, .numberWidth = 2, .columns = kCoefficientColumns}},
};

// ПЕРВ.ПРЕОБРАЗОВАТЕЛЬ ---------------------------------------------------------------------

// The module's blocks are kept as read; singles are high word first whatever the meter's float
// order.
#define BLOCK_VALUE(id_, caption_, block, word, format_)                                           \
    {                                                                                              \
        .id = id_, .caption = caption_, .kind = ControlKind::Value, .format = format_,             \
        .member = MEMBER(readings.block[word])                                                     \
    }

constexpr ControlSpec kPrimary[] = {
    {.id = "flow",
     .caption = "РАСХОД",
     .kind = ControlKind::Value,
     .format = NumberFormat::WordsFloat,
     .member = MEMBER(readings.primaryBlock0[0]),
     .unit = "m3/час"},
    BLOCK_VALUE("err_hi", "ERR HI", primaryBlock0, 2, NumberFormat::Hex),
    BLOCK_VALUE("err_lo", "ERR LO", primaryBlock0, 3, NumberFormat::Hex),
    BLOCK_VALUE("sens_type", "SENS TYPE", primaryBlock510, 0, NumberFormat::Hex),
    BLOCK_VALUE("flange_type", "FLANGE TYPE", primaryBlock510, 1, NumberFormat::Hex),
    BLOCK_VALUE("pipe_inside_diam", "PIPE INSIDE DIAM ", primaryBlock510, 2,
                NumberFormat::WordsFloat),
    BLOCK_VALUE("line_size", "LINE SIZE", primaryBlock510, 4, NumberFormat::Standard),
    BLOCK_VALUE("izm_flow_v_max", "IZM FLOW V MAX", primaryBlock510, 6, NumberFormat::WordsFloat),
    BLOCK_VALUE("izm_flow_v_min", "IZM FLOW V MIN", primaryBlock510, 8, NumberFormat::WordsFloat),
    BLOCK_VALUE("izm_flow_v_cut", "IZM FLOW V CUT", primaryBlock510, 18, NumberFormat::WordsFloat),
    BLOCK_VALUE("izm_flow_v_cut_his", "IZM FLOW V CUT HIS", primaryBlock510, 20,
                NumberFormat::WordsFloat),
    BLOCK_VALUE("model", "MODEL", primaryBlock500, 0, NumberFormat::Standard),
    BLOCK_VALUE("sens_num_hi", "SENS NUM HI", primaryBlock500, 1, NumberFormat::Standard),
    BLOCK_VALUE("sens_num_lo", "SENS NUM LO", primaryBlock500, 2, NumberFormat::Standard),
    BLOCK_VALUE("hard_ver", "HARD VER", primaryBlock500, 3, NumberFormat::Standard),
    BLOCK_VALUE("soft_ver_1", "SOFT VER 1", primaryBlock500, 4, NumberFormat::Hex),
    BLOCK_VALUE("soft_ver_2", "SOFT VER 2", primaryBlock500, 5, NumberFormat::Hex),
};

#undef BLOCK_VALUE

// Buttons ----------------------------------------------------------------------------------

void keepWordsRead(ConfigPages& pages, PagePart) {
    keepCalibrationWords(pages.link(), pages.image());
}
ExchangeResult freshWordsBeforeWrite(ConfigPages& pages, PagePart) {
    return freshCalibrationWords(pages.link(), pages.image());
}

constexpr GroupTransfer kSensorReads[] = {{.group = GroupId::ExternalSensors}};
constexpr GroupTransfer kAdcReads[] = {{.group = GroupId::ExternalAdcCodes}};
// Points, R0 and the adjustment; 100 ms; the characteristic.
constexpr GroupTransfer kCalibrationReads[] = {
    {.group = GroupId::TemperatureCalibration},
    {.group = GroupId::TemperatureAdjustment, .pauseAfterMs = 100},
    {.group = GroupId::UserCoefficients}};
// 100 ms after the unlock, then each write and 400 ms: points, R0, adjustment, characteristic.
constexpr GroupTransfer kCalibrationWrites[] = {
    {.group = GroupId::TemperatureCalibration, .pauseBeforeMs = 100, .pauseAfterMs = 400},
    {.group = GroupId::ExternalR0, .pauseAfterMs = 400},
    {.group = GroupId::TemperatureAdjustment, .pauseAfterMs = 400},
    {.group = GroupId::UserCoefficients, .pauseAfterMs = 400}};
constexpr GroupTransfer kAdjustmentReads[] = {{.group = GroupId::TemperatureCalibration},
                                              {.group = GroupId::TemperatureAdjustment}};
constexpr GroupTransfer kPressureReads[] = {{.group = GroupId::PressureUnit}};
constexpr GroupTransfer kPressureWrites[] = {
    {.group = GroupId::PressureUnit, .pauseBeforeMs = 100, .pauseAfterMs = 400}};
constexpr GroupTransfer kCoefficientReads[] = {
    {.group = GroupId::CoefficientCount},  {.group = GroupId::CoefficientBlock0},
    {.group = GroupId::CoefficientBlock1}, {.group = GroupId::CoefficientBlock2},
    {.group = GroupId::CoefficientBlock3}, {.group = GroupId::CoefficientBlock4}};
constexpr GroupTransfer kPrimaryReads[] = {
    {.group = GroupId::PrimaryBlock0, .pauseAfterMs = 100},
    {.group = GroupId::PrimaryBlock510, .pauseAfterMs = 100},
    {.group = GroupId::PrimaryBlock500, .pauseAfterMs = 100}};

// The calibration buttons show and take the characteristic and the adjustment too; the
// adjustment buttons show and take the points and R0, which their write sends.
constexpr PagePart kCalibrationParts[] = {{page::temperature, section::Characteristic},
                                          {page::temperatureAdjustment, 0}};
constexpr PagePart kAdjustmentParts[] = {{page::temperature, section::CalibrationPoints}};

// Sections ---------------------------------------------------------------------------------

constexpr PageSection kMeasurementSections[] = {
    {.caption = "ИЗМЕРЕННОЕ ЗНАЧЕНИЕ",
     .buttons = {.name = "ext-sensors",
                 .reads = kSensorReads,
                 .readSuccess = "Прочитано измеренное значение внешних датчиков.",
                 .stopsPolling = true}}};

constexpr PageSection kTemperatureSections[] = {
    {.caption = "ГРАДУИРОВКА",
     .buttons = {.name = "temperature-calibration",
                 .reads = kCalibrationReads,
                 .readSuccess = "Прочитаны градуировки температурного датчика.",
                 .writes = kCalibrationWrites,
                 .confirmation = "Данные градуировки температурного датчика будут переписаны?.",
                 .writeSuccess = "Запись градуировок температурного датчика успешно осуществлена.",
                 .alsoParts = kCalibrationParts,
                 .stopsPolling = true,
                 .afterReads = keepWordsRead,
                 .beforeUnlock = freshWordsBeforeWrite}},
    {.caption = "ХАРАКТЕРИСТИКА"},
    {.caption = "КОДЫ АЦП",
     .buttons = {.name = "adc-codes",
                 .reads = kAdcReads,
                 .readSuccess = "Прочитаны коды АЦП.",
                 .stopsPolling = true}},
};

constexpr PageSection kPressureSections[] = {
    {.caption = "ДАТЧИК ДАВЛЕНИЯ",
     .buttons = {.name = "pressure",
                 .reads = kPressureReads,
                 .readSuccess = "Прочитаны настройки датчика давления.",
                 .writes = kPressureWrites,
                 .confirmation = "Данные  датчика давления будут переписаны?.",
                 .writeSuccess = "Запись параметров датчика давления успешно осуществлена.",
                 .stopsPolling = true}}};

// The adjustment write sends the first three groups of the calibration write and leaves the
// locks lifted.
constexpr PageSection kAdjustmentSections[] = {
    {.caption = "ПОДСТРОЙКА",
     .buttons = {.name = "temperature-adjustment",
                 .reads = kAdjustmentReads,
                 .readSuccess = "Прочитаны подстройки температурного датчика.",
                 .writes = std::span(kCalibrationWrites).first<3>(),
                 .confirmation = "Данные подстроек температурного датчика будут переписаны?.",
                 .writeSuccess = "Запись подстроек температурного датчика успешно осуществлена.",
                 .alsoParts = kAdjustmentParts,
                 .stopsPolling = true,
                 .guard = GuardKind::NoLockAfter,
                 .afterReads = keepWordsRead,
                 .beforeUnlock = freshWordsBeforeWrite}}};

constexpr PageSection kCoefficientSections[] = {
    {.caption = "ГРАДУИРОВОЧНЫЕ КОЭФФИЦИЕНТЫ",
     .buttons = {.name = "coefficients",
                 .reads = kCoefficientReads,
                 .readSuccess = "Чтение градуировочных коэффициентов успешно осуществлено."}}};

constexpr PageSection kPrimarySections[] = {
    {.caption = "МОДУЛЬ ИЗМЕРЕНИЯ",
     .buttons = {.name = "primary-transducer",
                 .reads = kPrimaryReads,
                 .readSuccess = "Чтение параметров модуля измерения успешно осуществлено."}}};

// The pages -------------------------------------------------------------------------------

constexpr PageDefinition kPages[] = {
    {.path = page::extMeasurement, .controls = kMeasurement, .sections = kMeasurementSections},
    {.path = page::temperature, .controls = kTemperature, .sections = kTemperatureSections},
    {.path = page::pressure, .controls = kPressure, .sections = kPressureSections},
    {.path = page::temperatureAdjustment, .controls = kAdjustment, .sections = kAdjustmentSections},
    {.path = page::coefficients,
     .controls = kCoefficients,
     .sections = kCoefficientSections,
     .afterShow = afterCoefficientsShow},
    {.path = page::primaryTransducer, .controls = kPrimary, .sections = kPrimarySections},
};

static_assert(std::ranges::all_of(kPages, wellFormed));

} // namespace

std::span<const PageDefinition> externalSensorPages() {
    return kPages;
}

} // namespace flowcfg
