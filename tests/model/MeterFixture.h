#pragma once
// A link context whose port COM1 leads to the simulated meter on the in-process line, with
// the fake clock and scripted dialogs. Operations open the port themselves (openPort).

#include "FakeClock.h"
#include "FakeSerialLine.h"
#include "ScriptedDialogs.h"
#include "SimLine.h"
#include "link/LinkContext.h"
#include "link/Ports.h"

#include <gtest/gtest.h>
#include <vector>

namespace flowcfg::test {

class MeterFixture : public ::testing::Test {
protected:
    MeterFixture() : ctx(devices, pump, clock, dialogs) {
        ctx.settings.portPaths[1] = "/dev/meter";
        ctx.settings.UseLogFile = 0;
        line = devices.add("/dev/meter");
        attachMeter(*line, slave, clock);
    }

    // Opens the port as an operation would, for tests that call group operations directly.
    void open() { ASSERT_TRUE(openPort(ctx, false)); }

    sim::Meter& meter() { return slave.meter(); }

    // Makes the meter answer requests touching [first, last] with an exception.
    void exceptionOn(std::uint16_t first, std::uint16_t last, std::uint32_t code) {
        addFault(sim::FaultKind::Exception, code, 0, first, last);
    }
    // Makes the meter stay silent on the next `times` requests touching [first, last].
    void silentOn(std::uint16_t first, std::uint16_t last, std::uint32_t times) {
        addFault(sim::FaultKind::Silent, 0, times, first, last);
    }
    void addFault(sim::FaultKind kind, std::uint32_t param, std::uint32_t times,
                  std::uint16_t first, std::uint16_t last) {
        sim::FaultRule rule;
        rule.kind = kind;
        rule.param = param;
        rule.remaining = times;
        rule.ranged = true;
        rule.first = first;
        rule.last = last;
        slave.faults().add(rule);
    }

    struct Request {
        std::uint8_t function;
        std::uint16_t start;
        std::uint16_t count;
        bool operator==(const Request&) const = default;
    };
    // The requests the meter served, in order (function, start, count).
    std::vector<Request> served() const {
        std::vector<Request> out;
        for (const auto& r : slave.served())
            out.push_back({r.function, r.start, r.count});
        return out;
    }

    FakeClock clock;
    FakeEventPump pump{clock};
    FakeSerialDevices devices;
    ScriptedDialogs dialogs;
    LinkContext ctx;
    sim::MeterSlave slave;
    std::shared_ptr<FakeSerialLine> line;
};

} // namespace flowcfg::test
