#pragma once
// The meter's codes and flag words as the operator reads them: unit texts, the measurement
// state built from the flow status and error words, the volume state, and the texts of the
// output states and modes. A code that has no text gives nullopt: the caller then leaves
// its field as it was.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace flowcfg {

// Low byte of FLOW_UNIT: 0 "м куб/сек", 1 "литры/сек", 2 "м куб/час", 3 "литры/час".
std::optional<std::string_view> flowUnitText(std::uint16_t flowUnitWord);
// Low byte of VOL_UNIT: 0 "м куб", 1 "литр".
std::optional<std::string_view> volumeUnitText(std::uint16_t volumeUnitWord);

// Flow status (HI) bits 0..6 are information; any of bits 7..15 or any error (LO) bit makes
// the measurement not normal.
constexpr bool flowIsNormal(std::uint16_t hi, std::uint16_t lo) {
    return lo == 0 && (hi & 0xFF80u) == 0;
}
// HI bit 2: the flow cut-off is active.
constexpr bool flowCutOff(std::uint16_t hi) {
    return (hi & 0x0004u) != 0;
}

inline constexpr std::string_view normalMeasurementText = "Нормальное измерение";
inline constexpr std::string_view cutOffMeasurementText =
    "Нормальное измерение, отсечка из изм модуля";
inline constexpr std::string_view exchangeErrorText = "Ошибка обмена";

// The state text of a measurement that is not normal: a blank followed by the text of every
// set flag, in the meter's fixed order (some flags appear twice: early and late).
std::string flowStateText(std::uint16_t hi, std::uint16_t lo);

// The volume state text: a blank followed by the set flags of VOL_ERR_LO.
std::string volumeStateText(std::uint16_t volErrLo);
// VOL_ERR_LO bit 15: the totals are not measured.
constexpr bool volumeNotMeasured(std::uint16_t volErrLo) {
    return (volErrLo & 0x8000u) != 0;
}

// I_OUT_STATE: 0 "Норм.", 1 "Задан код", 2 "Задан ток".
std::optional<std::string_view> currentStateText(std::uint16_t code);
// OUTn_MODE with its frequency sub-mode: 0 "Прям. упр.", 1 "Направл.", 2 "Частотн." or
// "Прям. упр. част." by sub-mode 0 or 1, 3 "Имп.", 4 "По ошибк.".
std::optional<std::string_view> outputModeText(std::uint16_t mode, std::uint16_t freqMode);
// The output is in frequency mode (its frequency is shown).
constexpr bool outputIsFrequency(std::uint16_t mode) {
    return mode == 2;
}

} // namespace flowcfg
