#pragma once
// What the window gets from outside: the serial devices, the clock, the dialogs, the event
// pump and the working directory. main() hands in the real ones; tests hand in fakes.

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"

#include <filesystem>

namespace flowcfg {

struct AppEnvironment {
    SerialDevices& devices;
    Clock& clock;
    Dialogs& dialogs;
    EventPump& pump;
    // Settings files and logs live here (the current directory at start-up).
    std::filesystem::path workDir;
};

} // namespace flowcfg
