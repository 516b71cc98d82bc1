#pragma once
// The read-only summary pages of "ВСЕ НАСТРОЙКИ": their paths, for the code and tests that name
// them (the rows are in config/AllSettingsPages.cpp). ConfigPages::showSummaries shows them all.

#include <string_view>

namespace flowcfg::page {

inline constexpr std::string_view summaryOutputs = "НАСТРОЙКИ РАБОТЫ/ВСЕ НАСТРОЙКИ/ВЫХОДЫ";
inline constexpr std::string_view summaryEmulation = "НАСТРОЙКИ РАБОТЫ/ВСЕ НАСТРОЙКИ/ЭМУЛЯЦИЯ";
inline constexpr std::string_view summaryErrors =
    "НАСТРОЙКИ РАБОТЫ/ВСЕ НАСТРОЙКИ/РАЗРЕШЕНИЕ ОШИБОК";
inline constexpr std::string_view summarySensors = "НАСТРОЙКИ РАБОТЫ/ВСЕ НАСТРОЙКИ/ВНЕШНИЕ ДАТЧИКИ";
inline constexpr std::string_view summaryMeasurement = "НАСТРОЙКИ РАБОТЫ/ВСЕ НАСТРОЙКИ/ИЗМЕРЕНИЕ";
inline constexpr std::string_view summarySpecial = "НАСТРОЙКИ РАБОТЫ/ВСЕ НАСТРОЙКИ/СПЕЦИАЛЬНЫЕ";

} // namespace flowcfg::page
