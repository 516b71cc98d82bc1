#include "app/Fonts.h"

#include <QFontDatabase>

namespace flowcfg {

QFont fixedFont() {
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

} // namespace flowcfg
