#pragma once
// The external-sensor pages under "НАСТРОЙКИ РАБОТЫ/ВНЕШН. ДАТЧИКИ" and the measuring module's
// "КАЛИБ КОЭФФ" and "ПЕРВ.ПРЕОБРАЗОВАТЕЛЬ": their paths and section numbers, and the rule that
// keeps the calibration words no profile carries (the rows are in
// config/ExternalSensorPages.cpp).
//
// The temperature calibration write sends back two values the screens never show: word 0 of
// 0x1700 and coefficient C (0x170E). They go back as the meter holds them: kept with the link
// (port, address, speed, parity) of the read that brought them, and read again before the
// unlock when the write goes over another link or nothing has been read yet.

#include "config/PageTable.h"
#include "link/ExchangeStatus.h"
#include "link/LinkContext.h"
#include "model/DeviceImage.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace flowcfg {

// A sensor's error word: any bit set shows "ошибка".
inline constexpr BitText kSensorErrorTexts[] = {{0xFFFF, "ошибка"}};

namespace page {
inline constexpr std::string_view extMeasurement = "НАСТРОЙКИ РАБОТЫ/ВНЕШН. ДАТЧИКИ/ИЗМЕРЕНИЕ";
inline constexpr std::string_view temperature = "НАСТРОЙКИ РАБОТЫ/ВНЕШН. ДАТЧИКИ/ТЕМПЕРАТУРА";
inline constexpr std::string_view pressure = "НАСТРОЙКИ РАБОТЫ/ВНЕШН. ДАТЧИКИ/ДАВЛЕНИЕ";
inline constexpr std::string_view temperatureAdjustment =
    "НАСТРОЙКИ РАБОТЫ/ВНЕШН. ДАТЧИКИ/ПОДСТРОЙКА ТЕМПЕРАТУРЫ";
inline constexpr std::string_view coefficients =
    "НАСТРОЙКИ РАБОТЫ/ИЗМ МОДУЛЬ/ЭЛЕКТРОМАГНИТНЫЙ/КАЛИБ КОЭФФ";
inline constexpr std::string_view primaryTransducer =
    "НАСТРОЙКИ РАБОТЫ/ИЗМ МОДУЛЬ/ЭЛЕКТРОМАГНИТНЫЙ/ПЕРВ.ПРЕОБРАЗОВАТЕЛЬ";
} // namespace page

// Sections of "ТЕМПЕРАТУРА" (the other pages have one each, section 0).
namespace section {
inline constexpr std::uint8_t CalibrationPoints = 0; // points, R0; the calibration buttons
inline constexpr std::uint8_t Characteristic = 1;    // selector, A, B, D1-D4
inline constexpr std::uint8_t AdcCodes = 2;          // "КОДЫ АЦП"
} // namespace section

// The link as a key: port, device, address, speed, parity.
std::string linkKey(const LinkSettings& settings);
// After a read that filled word 0 of 0x1700 and C: keeps them with the link they came over.
void keepCalibrationWords(const LinkContext& ctx, DeviceImage& image);
// Before a write that sends them: puts the kept words into the image, reading 0x1700 x26 and
// 0x1709 x17 first (into a scratch image: the entries taken stay) when they were kept from
// another link or never. The result of the failing read, or a clean one.
ExchangeResult freshCalibrationWords(LinkContext& ctx, DeviceImage& image);

} // namespace flowcfg
