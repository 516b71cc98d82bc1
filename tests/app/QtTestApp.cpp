#include "QtTestApp.h"

#include <QApplication>
#include <cstdlib>

namespace flowcfg::test {

void ensureQtApp() {
    if (QApplication::instance())
        return;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "flowcfg-test";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
}

} // namespace flowcfg::test
