#include "config/PageButtons.h"

namespace flowcfg {

namespace {

constexpr std::string_view kCurrentOverwrite =
    "Данные конфигурации токового выхода будут переписаны?.";

// ИЗМЕРЕНИЕ: ten groups, pausing only after the first two, then the cut-off values and the
// scale source. The temperature ADC adjustment (0x1904) belongs to another page; its failure
// does not fail the read.
constexpr GroupTransfer kMeasurementReads[] = {
    {GroupId::MeasurementSettings, 0, 100},
    {GroupId::SumUnit, 0, 100},
    {GroupId::CutoffSource},
    {GroupId::DisplayedSumType},
    {GroupId::FlowRange},
    {GroupId::SensorType},
    {GroupId::NominalDiameter},
    {GroupId::DecimalDigits},
    {GroupId::MedianFilter},
    {GroupId::TemperatureAdjustment, 0, 0, OnFailure::Ignore},
    {GroupId::CutoffValues},
    {GroupId::LinearScale},
};
constexpr GroupTransfer kCutoffReads[] = {{GroupId::Cutoff, 0, 100},
                                          {GroupId::CutoffFlags, 0, 100}};
constexpr GroupTransfer kCutoffWrites[] = {{GroupId::Cutoff, 0, 400},
                                           {GroupId::CutoffFlags, 0, 400}};
constexpr GroupTransfer kMeasurementWrites[] = {
    {GroupId::Averages, 0, 400},      {GroupId::FlowUnit, 0, 400},
    {GroupId::SumUnit, 0, 400},       {GroupId::DisplayedSumType, 0, 400},
    {GroupId::DecimalDigits, 0, 400}, {GroupId::LinearScale, 0, 400},
    {GroupId::MedianFilter, 0, 400},
};
constexpr PagePart kCutoffPart[] = {{PageId::Cutoff, section::Main}};

constexpr GroupTransfer kOutput1ModeReads[] = {{GroupId::Output1Type, 0, 100},
                                               {GroupId::Output1DirectValue, 0, 100}};
constexpr GroupTransfer kOutput1ModeWrites[] = {{GroupId::Output1Type, 0, 400},
                                                {GroupId::Output1DirectValue, 0, 400}};
constexpr GroupTransfer kOutput1FrequencyReads[] = {{GroupId::Output1Frequency, 0, 100}};
constexpr GroupTransfer kOutput1FrequencyWrites[] = {{GroupId::Output1Frequency, 0, 400}};
constexpr GroupTransfer kOutput1PulseReads[] = {{GroupId::Output1Pulse, 0, 100},
                                                {GroupId::Output1PulseSumType, 0, 100}};
constexpr GroupTransfer kOutput1PulseWrites[] = {{GroupId::Output1Pulse, 0, 400},
                                                 {GroupId::Output1PulseSumType, 0, 400}};
constexpr GroupTransfer kOutput2ModeReads[] = {{GroupId::Output2Type, 0, 100},
                                               {GroupId::Output2DirectValue, 0, 100}};
constexpr GroupTransfer kOutput2ModeWrites[] = {{GroupId::Output2Type, 0, 400},
                                                {GroupId::Output2DirectValue, 0, 400}};
constexpr GroupTransfer kOutput2FrequencyReads[] = {{GroupId::Output2Frequency, 0, 100}};
constexpr GroupTransfer kOutput2FrequencyWrites[] = {{GroupId::Output2Frequency, 0, 400}};
constexpr GroupTransfer kOutput2PulseReads[] = {{GroupId::Output2Pulse, 0, 100},
                                                {GroupId::Output2PulseSumType, 0, 100}};
constexpr GroupTransfer kOutput2PulseWrites[] = {{GroupId::Output2Pulse, 0, 400},
                                                 {GroupId::Output2PulseSumType, 0, 400}};

// The scale goes back to back; i_err_num (in the error group) goes back as last read.
constexpr GroupTransfer kCurrentScaleReads[] = {{GroupId::CurrentScale, 0, 100},
                                                {GroupId::CurrentError, 0, 100},
                                                {GroupId::CurrentShift, 0, 100}};
constexpr GroupTransfer kCurrentScaleWrites[] = {
    {GroupId::CurrentScale}, {GroupId::CurrentError}, {GroupId::CurrentShift}};
constexpr GroupTransfer kCurrentDirectReads[] = {{GroupId::CurrentMode, 0, 100},
                                                 {GroupId::CurrentDirect, 0, 100}};
constexpr GroupTransfer kCurrentDirectWrites[] = {{GroupId::CurrentMode, 0, 100},
                                                  {GroupId::CurrentDirect}};

constexpr std::string_view kOutputsRead = "Чтение параметров выходов успешно осуществлено.";
constexpr std::string_view kOutputsWritten = "Запись параметров выходов успешно осуществлена.";
constexpr std::string_view kFrequencyRead =
    "Чтение параметров частотных выходов успешно осуществлено.";
constexpr std::string_view kFrequencyWritten =
    "Запись параметров частотных выходов успешно осуществлена.";
constexpr std::string_view kPulseRead =
    "Чтение параметров импульсных выходов успешно осуществлено.";
constexpr std::string_view kPulseWritten =
    "Запись параметров импульсных выходов успешно осуществлена.";
constexpr std::string_view kCurrentRead = "Чтение параметров токового выхода успешно осуществлено.";

const PageButtons kButtons[] = {
    {"measurement", PageId::Measurement, section::Main, kMeasurementReads,
     "Чтение параметров измерения успешно осуществлено.", kCutoffWrites, kMeasurementWrites,
     kConfigurationOverwrite, "Запись параметров измерения успешно осуществлена.", false,
     kCutoffPart},
    {"cutoff",
     PageId::Cutoff,
     section::Main,
     kCutoffReads,
     "Чтение параметров отсечки успешно осуществлено.",
     {},
     kCutoffWrites,
     "Данные отсечек будут переписаны?.",
     "Запись отсечек успешно осуществлена."},
    {"output1-mode",
     PageId::Output1,
     section::OutputMode,
     kOutput1ModeReads,
     kOutputsRead,
     {},
     kOutput1ModeWrites,
     kConfigurationOverwrite,
     kOutputsWritten,
     true},
    {"output1-frequency",
     PageId::Output1,
     section::Frequency,
     kOutput1FrequencyReads,
     kFrequencyRead,
     {},
     kOutput1FrequencyWrites,
     kConfigurationOverwrite,
     kFrequencyWritten},
    {"output1-pulse",
     PageId::Output1,
     section::Pulse,
     kOutput1PulseReads,
     kPulseRead,
     {},
     kOutput1PulseWrites,
     kConfigurationOverwrite,
     kPulseWritten},
    {"output2-mode",
     PageId::Output2,
     section::OutputMode,
     kOutput2ModeReads,
     kOutputsRead,
     {},
     kOutput2ModeWrites,
     kConfigurationOverwrite,
     kOutputsWritten},
    {"output2-frequency",
     PageId::Output2,
     section::Frequency,
     kOutput2FrequencyReads,
     kFrequencyRead,
     {},
     kOutput2FrequencyWrites,
     kConfigurationOverwrite,
     kFrequencyWritten},
    {"output2-pulse",
     PageId::Output2,
     section::Pulse,
     kOutput2PulseReads,
     kPulseRead,
     {},
     kOutput2PulseWrites,
     kConfigurationOverwrite,
     kPulseWritten},
    {"current-scale",
     PageId::CurrentOutput,
     section::CurrentScale,
     kCurrentScaleReads,
     kCurrentRead,
     {},
     kCurrentScaleWrites,
     kCurrentOverwrite,
     "Запись параметров токового выхода успешно осуществлена."},
    {"current-direct",
     PageId::CurrentOutput,
     section::CurrentDirect,
     kCurrentDirectReads,
     kCurrentRead,
     {},
     kCurrentDirectWrites,
     "Задать прямое управление токовым выходом?.",
     "Запись параметров прямого управления токового выхода успешно осуществлена."},
};

} // namespace

std::span<const PageButtons> pageButtons() {
    return kButtons;
}

const PageButtons* findPageButtons(PageId page, std::uint8_t section) {
    for (const PageButtons& b : kButtons)
        if (b.page == page && b.section == section)
            return &b;
    return nullptr;
}

const PageButtons* findPageButtons(std::string_view name) {
    for (const PageButtons& b : kButtons)
        if (b.name == name)
            return &b;
    return nullptr;
}

} // namespace flowcfg
