#pragma once
// Keeps the window responsive while a transaction waits for the meter's answer.
//
// The ports it opens wrap the real ones: while no byte of the answer has arrived, a read
// waits in short slices and lets pending window events run between them, until the first
// bytes come or the read's total timeout has passed. The rest of the answer is then read
// with the read's own interval and remaining total time, so the timeouts mean what they
// mean on the bare port. readUntil does the same and also stops, in a slice or in the rest,
// as soon as the bytes received so far make a whole answer. Everything stays on the one
// thread.
//
// An event handler may close the port (a reopen) while a read waits: the read then returns
// what it has at once, without touching the closed port. A port whose device vanished
// (lost()) ends the wait at once too.

#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"

#include <cstdint>
#include <memory>

namespace flowcfg {

class ResponsiveSerialDevices final : public SerialDevices {
public:
    ResponsiveSerialDevices(SerialDevices& inner, EventPump& pump, const Clock& clock)
        : inner_(inner), pump_(pump), clock_(clock) {}
    OpenResult open(const std::string& path) override;

    // Length of one waiting slice.
    static constexpr std::uint32_t kSliceMs = 20;

private:
    SerialDevices& inner_;
    EventPump& pump_;
    const Clock& clock_;
};

} // namespace flowcfg
