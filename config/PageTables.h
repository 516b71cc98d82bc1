#pragma once
// The tables of the measurement and output pages under "НАСТРОЙКИ РАБОТЫ": "ИЗМЕРЕНИЕ",
// "ИЗМЕРЕНИЕ ДОП.НАСТР." > "УПРАВЛ. ОТСЕЧКОЙ", "ВЫХОД 1", "ВЫХОД 2" and "ТОКОВЫЙ ВЫХ".
// Each page is one PageDefinition: its controls in take order, its sections (one read/write
// button pair each) and the few rules that only it has.

#include "config/PageModel.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace flowcfg {

enum class PageId : std::uint8_t { Measurement, Cutoff, Output1, Output2, CurrentOutput, Count_ };
inline constexpr std::size_t kPageCount = static_cast<std::size_t>(PageId::Count_);

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

const PageDefinition& pageDefinition(PageId page);
// Path of the page in the window's screen tree ("НАСТРОЙКИ РАБОТЫ/ВЫХОД 1").
std::string_view pagePath(PageId page);

// The code tables the lists show.
namespace items {
std::span<const std::string_view> flowUnits();
std::span<const std::string_view> sumUnits();
std::span<const std::string_view> volumeKinds();
std::span<const std::string_view> averages(); // "  0" .. "100"
std::span<const std::string_view> medianWindows();
std::span<const std::string_view> decimalDigits();
std::span<const std::string_view> scaleSources();
std::span<const std::string_view> outputModes();
std::span<const std::string_view> frequencyModes();
std::span<const std::string_view> currentModes();
std::span<const std::string_view> dataSources();
} // namespace items

} // namespace flowcfg
