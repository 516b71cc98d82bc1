#pragma once
// The simulated meter (flowsim's slave logic) behind port COM1 ("/dev/meter") on the
// in-process line, with the fake clock and scripted dialogs. Operations open the port
// themselves (openPort); tests that call group operations directly call open() first.

#include "FakeLinkTest.h"
#include "SimLine.h"
#include "sim/MeterSlave.h"

#include <cstdint>
#include <memory>

namespace flowcfg::test {

class MeterOnLine : public FakeLinkTest {
protected:
    explicit MeterOnLine(const sim::MeterConfig& config = {});

    // Replaces the meter on the line by a fresh one; the meter's time starts now.
    void useMeter(const sim::MeterConfig& config);

    // Opens the port as an operation would.
    void open();

    sim::Meter& meter() { return slave->meter(); }

    // Makes the meter answer requests touching [first, last] with an exception.
    void exceptionOn(std::uint16_t first, std::uint16_t last, std::uint32_t code);
    // Makes the meter stay silent on the next `times` requests touching [first, last].
    void silentOn(std::uint16_t first, std::uint16_t last, std::uint32_t times);
    void addFault(sim::FaultKind kind, std::uint32_t param, std::uint32_t times,
                  std::uint16_t first, std::uint16_t last);

    std::unique_ptr<sim::MeterSlave> slave;
    std::shared_ptr<FakeSerialLine> line;
};

} // namespace flowcfg::test
