#pragma once
// The one QApplication of a window test binary, created on first use (offscreen when no
// platform is set).

namespace flowcfg::test {

void ensureQtApp();

} // namespace flowcfg::test

namespace flowcfg::test {

// Put first among a fixture's members so the application exists before any widget.
struct QtAppGuard {
    QtAppGuard() { ensureQtApp(); }
};

} // namespace flowcfg::test
