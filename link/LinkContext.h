#pragma once
// Everything "process-wide" about the link, in one object that the application (or a
// test, or the CLI) owns and hands to operations: the open port, the settings files in
// memory, the found-port table, the event pump, the clock and the dialogs.

#include "link/ExchangeObserver.h"
#include "link/ExchangeStatus.h"
#include "link/LinkSettings.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace flowcfg {

struct LinkContext {
    LinkContext(SerialDevices& devices, EventPump& pump, Clock& clock, Dialogs& dialogs)
        : devices(devices), pump(pump), clock(clock), dialogs(dialogs) {}

    SerialDevices& devices;
    EventPump& pump;
    Clock& clock;
    Dialogs& dialogs;

    LinkSettings settings;
    TimeoutTable timeouts;

    // Null before the first open and after a failed one: transactions then fail with
    // "nothing received".
    std::unique_ptr<SerialPort> port;
    bool portOpenAttempted = false;
    // Read interval and multiplier of the last open: an open with a speed index the table
    // does not know keeps them.
    SerialTimeouts openTimeouts;

    // Found-port table of the last enumeration, ascending port numbers.
    std::vector<std::uint16_t> foundPorts;

    // Told every request, answer and checked attempt (the window's exchange view).
    ExchangeObservers exchangeObservers;

    // Description of the last FC16 write: the restart command logs with it.
    std::string lastWriteDescription;
    // Depth of the operations that exchange with the meter now (see OperationGuard).
    int exchanging = 0;

    // The device status word (the DeviceStatus row) as last read successfully: bit 15 set means the
    // meter's write protection is on. And the result of the last read of it, success or not.
    std::uint16_t writeProtectionWord = 0;
    ExchangeResult lastStatusRead;
};

// Marks an operation that exchanges with the meter. Only one can hold the link: a second
// one (a timer tick or a click handled while a transaction waits) sees acquired() false
// and must do nothing.
class OperationGuard {
public:
    explicit OperationGuard(LinkContext& ctx) : ctx_(ctx), acquired_(ctx.exchanging == 0) {
        if (acquired_)
            ++ctx_.exchanging;
    }
    ~OperationGuard() {
        if (acquired_)
            --ctx_.exchanging;
    }
    OperationGuard(const OperationGuard&) = delete;
    OperationGuard& operator=(const OperationGuard&) = delete;
    bool acquired() const { return acquired_; }
    explicit operator bool() const { return acquired_; }

private:
    LinkContext& ctx_;
    bool acquired_;
};

} // namespace flowcfg
