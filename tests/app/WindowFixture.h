#pragma once
// A main window on fakes: the in-process serial devices, the fake clock and pump, scripted
// dialogs and a fresh working directory. COM1 maps to an in-process line; attachSim() puts
// the simulated meter on it. The core is made before the window and goes after it, as in
// main().

#include "FakeClock.h"
#include "FakeSerialLine.h"
#include "QtTestApp.h"
#include "ScriptedDialogs.h"
#include "SimLine.h"
#include "app/AppCore.h"
#include "app/MainWindow.h"

#include <filesystem>
#include <memory>
#include <string>

namespace flowcfg::test {

// A directory of its own under the system's temporary directory, removed at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const std::string& text);

struct WindowFixture {
    QtAppGuard app;
    TempDir dir;
    FakeClock clock;
    FakeEventPump pump{clock};
    ScriptedDialogs dialogs;
    FakeSerialDevices devices;
    std::unique_ptr<AppCore> core;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<sim::MeterSlave> meter;
    std::shared_ptr<FakeSerialLine> com1;

    static constexpr const char* kCom1Path = "/fake/ttyCOM1";

    // Writes a dev.dat whose COM1 is the in-process line.
    void mapCom1();
    // Puts the simulated meter on COM1 (mapping it first).
    void attachSim();
    // Builds the core and the window (replacing any earlier ones).
    MainWindow& build();
    // build() and the window's start-up.
    MainWindow& start();
};

} // namespace flowcfg::test
