#pragma once
// The fixed-width font the pages use for numbers.

#include <QFont>

namespace flowcfg {

QFont fixedFont();

} // namespace flowcfg
