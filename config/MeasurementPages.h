#pragma once
// The measurement and output pages under "НАСТРОЙКИ РАБОТЫ": their paths and section numbers,
// for the code and tests that name them (the rows are in config/MeasurementPages.cpp).

#include "config/PageTable.h"

#include <cstdint>
#include <string_view>

namespace flowcfg {

namespace page {
inline constexpr std::string_view measurement = "НАСТРОЙКИ РАБОТЫ/ИЗМЕРЕНИЕ";
inline constexpr std::string_view cutoff = "НАСТРОЙКИ РАБОТЫ/ИЗМЕРЕНИЕ ДОП.НАСТР./УПРАВЛ. ОТСЕЧКОЙ";
inline constexpr std::string_view output1 = "НАСТРОЙКИ РАБОТЫ/ВЫХОД 1";
inline constexpr std::string_view output2 = "НАСТРОЙКИ РАБОТЫ/ВЫХОД 2";
inline constexpr std::string_view currentOutput = "НАСТРОЙКИ РАБОТЫ/ТОКОВЫЙ ВЫХ";
} // namespace page

// Sections of the pages (the measurement and cut-off pages have one each, section 0).
namespace section {
inline constexpr std::uint8_t Main = 0;
// "ВЫХОД 1" / "ВЫХОД 2".
inline constexpr std::uint8_t OutputMode = 0;
inline constexpr std::uint8_t Frequency = 1;
inline constexpr std::uint8_t Pulse = 2;
// "ТОКОВЫЙ ВЫХ".
inline constexpr std::uint8_t CurrentScale = 0;
inline constexpr std::uint8_t CurrentDirect = 1;
inline constexpr std::uint8_t Calibration = 2; // the hidden "ГРАДУИРОВКА " block
} // namespace section

// What the cut-off flags (`cut_en`) say of each cut-off kind: " Прибор" when the meter forms
// it, " ПП" when it comes from the primary transducer.
inline constexpr BitText kMainCutoffTexts[] = {{0x01, " Прибор"}, {0x02, " ПП"}};
inline constexpr BitText kDisplayCutoffTexts[] = {{0x04, " Прибор"}, {0x08, " ПП"}};

} // namespace flowcfg
