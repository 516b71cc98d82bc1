#pragma once
// The sensor pages: electrode cleaning, the service cleaning page, the vortex amplitude
// cut-off, emulation, the error-permission grid and empty-pipe handling. Their paths and
// section numbers, for the code and tests that name them (the rows are in
// config/SensorPages.cpp).

#include "config/PageTable.h"

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

// The error-permission words that have a row in the grid, in its order, as X(key, caption):
// the grid's rows and their summary are made from it.
#define FLOWCFG_PERMISSION_WORDS(X)                                                                \
    X(ovld_en, "ВЫШЕ ДИАПАЗОНА")                                                                   \
    X(udld_en, "НИЖЕ ДИАПАЗОНА")                                                                   \
    X(empty_pipe_en, "ПУСТАЯ ТРУБА")                                                               \
    X(not_rdy_en, "НЕ ГОТОВ")                                                                      \
    X(serv_en, "ОБСЛУЖИВАНИЕ")                                                                     \
    X(sens2_cut_en, "ОБРЫВ 2")                                                                     \
    X(sens1_cut_en, "ОБРЫВ 1")                                                                     \
    X(signal_strong_en, "СИЛЬНЫЙ СИГНАЛ")                                                          \
    X(signal_weak_en, "СЛАБЫЙ СИГНАЛ")                                                             \
    X(cut_en, "ОТСЕЧКА")                                                                           \
    X(sens_modbus_en, "ОБМЕН С ДАТЧИКОМ")

// What the empty-pipe flags (`empty_pype_en`) say: bit 0 flow and velocity forced to 0, bit 1
// "(П.Т.)" shown as well.
inline constexpr BitText kEmptyPipeTexts[] = {{0x01, " Расх.и скор=0 "}, {0x02, " Отобр. П.Т. "}};

} // namespace flowcfg
