#pragma once
// The screens' error colour (yellow) as a Qt colour, for the views that mark failed lines.

#include "measure/MeasureScreen.h"

#include <QColor>

namespace flowcfg {

inline QColor errorColour() {
    constexpr Rgb yellow = *rgbOf(ScreenColour::Yellow);
    return {yellow.r, yellow.g, yellow.b};
}

} // namespace flowcfg
