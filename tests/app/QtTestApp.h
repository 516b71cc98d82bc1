#pragma once
// The one QApplication of a window test binary, created on first use (offscreen when no
// platform is set), with Qt's own Russian texts. Every warning Qt prints from then on is
// also recorded, so that window tests can fail on them.

#include <string>
#include <vector>

namespace flowcfg::test {

void ensureQtApp();
// The warnings and critical messages Qt printed since the last call.
std::vector<std::string> takeQtWarnings();
// Key and mouse events make Qt create its primary keyboard and pointer; the test binary's
// application lives in a static that outlasts Qt's device list, so a test that sent such
// events lets them go here, while both are alive.
void releaseInputDevices();

// Put first among a fixture's members so the application exists before any widget.
struct QtAppGuard {
    QtAppGuard() { ensureQtApp(); }
};

} // namespace flowcfg::test
