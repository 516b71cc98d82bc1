#pragma once
// The simulated meter on the in-process serial line: what the master writes goes to the
// flowsim slave logic, whose answer the master then reads. Before each request the meter's
// time is set from the FakeClock, so the meter's dynamics follow the test's fake time.
//
// The meter's time starts when it is attached (at whatever the clock shows then), and its
// calendar clock starts at the FakeClock's local time (config.clock is replaced).
//
// An extra delay from the meter's fault plan advances the clock; a delay longer than the
// master's total read timeout for the answer loses the answer (the master's read times out
// and its next purge discards the late bytes). With `paced` set, the clock also advances by
// the time the request and the answer take on the line at the meter's speed. With
// `checkLine` set, a request sent with another speed or parity than the meter's goes unheard.
//
//   FakeClock clock;
//   SimLine sim(clock);                         // meter at address 1, 19200 baud
//   FakeSerialPort port(sim.line);              // or register sim.line in FakeSerialDevices
//   sim.meter().setReg(0x103B, 1);              // direct access to the meter

#include "FakeClock.h"
#include "FakeSerialLine.h"
#include "sim/MeterSlave.h"

#include <memory>

namespace flowcfg::test {

struct SimOptions {
    bool paced = false;
    // The meter hears only a master whose line (baud, parity) is its own: after a network
    // write the master must follow the meter to its new speed and parity.
    bool checkLine = false;
};

// Makes the meter answer on `line`. The slave and the clock must outlive the line's use.
void attachMeter(FakeSerialLine& line, sim::MeterSlave& slave, FakeClock& clock,
                 SimOptions options = {});

struct SimLine {
    explicit SimLine(FakeClock& clock, const sim::MeterConfig& config = {},
                     SimOptions options = {});
    SimLine(const SimLine&) = delete;
    SimLine& operator=(const SimLine&) = delete;

    sim::Meter& meter() { return slave.meter(); }
    sim::FaultPlan& faults() { return slave.faults(); }

    sim::MeterSlave slave;
    std::shared_ptr<FakeSerialLine> line;
};

} // namespace flowcfg::test
