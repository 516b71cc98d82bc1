#pragma once
// The sensor pages: electrode cleaning, the service cleaning page, the vortex amplitude
// cut-off, emulation, the error-permission grid and empty-pipe handling. Their paths and
// section numbers, for the code and tests that name them (the rows are in
// config/SensorPages.cpp).

#include <cstdint>
#include <string_view>

namespace flowcfg {

namespace page {
inline constexpr std::string_view electrodeCleaning =
    "НАСТРОЙКИ РАБОТЫ/СПЕЦ./ЭЛ. МАГ./ОЧИСТКА ЭЛЕКТРОДОВ";
inline constexpr std::string_view serviceCleaning = "НАСТРОЙКИ РАБОТЫ/ОБСЛУЖИВАНИЕ";
inline constexpr std::string_view amplitudeCutoff = "НАСТРОЙКИ РАБОТЫ/СПЕЦ./ВИХР./ОТСЕЧКА";
inline constexpr std::string_view ultrasonic = "НАСТРОЙКИ РАБОТЫ/СПЕЦ./УЛЬТР.ЗВ.";
inline constexpr std::string_view emulation = "НАСТРОЙКИ РАБОТЫ/ЭМУЛЯЦИЯ";
inline constexpr std::string_view errorEnables = "НАСТРОЙКИ РАБОТЫ/РАЗР.  ОШИБОК";
inline constexpr std::string_view emptyPipe =
    "НАСТРОЙКИ РАБОТЫ/ИЗМЕРЕНИЕ ДОП.НАСТР./ОБРАБ.ПУСТ.ТРУБ";
} // namespace page

namespace section {
// "ОТСЕЧКА" of the vortex meter.
inline constexpr std::uint8_t Amplitude = 0;
inline constexpr std::uint8_t AmplitudeCut = 1;
// "РАЗР.  ОШИБОК": the grid, then the measuring module's mask (kept in the profile only).
inline constexpr std::uint8_t Permissions = 0;
inline constexpr std::uint8_t ModuleMask = 1;
} // namespace section

} // namespace flowcfg
