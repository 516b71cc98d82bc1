#pragma once
// The families of configuration pages, one file of table rows each. A page whose register
// groups are in the map is one row in its family's file; config/PageRegistry.cpp gathers the
// families in this order.

#include "config/PageTable.h"

#include <span>

namespace flowcfg {

// "ИЗМЕРЕНИЕ", "УПРАВЛ. ОТСЕЧКОЙ", "ВЫХОД 1", "ВЫХОД 2", "ТОКОВЫЙ ВЫХ"
// (config/MeasurementPages.cpp).
std::span<const PageDefinition> measurementPages();
// The meter as a device on the bus: network, identity, clock, panel password, connector
// (config/DeviceServicePages.cpp).
std::span<const PageDefinition> deviceServicePages();
// Electrode cleaning, vortex cut-off, emulation, error permissions, empty pipe
// (config/SensorPages.cpp).
std::span<const PageDefinition> sensorPages();
// External sensors, calibrations, primary transducer (config/ExternalSensorPages.cpp).
std::span<const PageDefinition> externalSensorPages();
// The summary pages of "ВСЕ НАСТРОЙКИ" (config/AllSettingsPages.cpp).
std::span<const PageDefinition> allSettingsPages();

} // namespace flowcfg
