#include "MeterOnLine.h"

#include "link/Ports.h"

namespace flowcfg::test {

MeterOnLine::MeterOnLine(const sim::MeterConfig& config) {
    ctx.settings.portPaths[1] = "/dev/meter";
    useMeter(config);
}

void MeterOnLine::useMeter(const sim::MeterConfig& config) {
    slave = std::make_unique<sim::MeterSlave>(config);
    line = devices.add("/dev/meter");
    attachMeter(*line, *slave, clock);
}

void MeterOnLine::open() {
    ASSERT_TRUE(openPort(ctx, false));
}

void MeterOnLine::exceptionOn(std::uint16_t first, std::uint16_t last, std::uint32_t code) {
    addFault(sim::FaultKind::Exception, code, 0, first, last);
}

void MeterOnLine::silentOn(std::uint16_t first, std::uint16_t last, std::uint32_t times) {
    addFault(sim::FaultKind::Silent, 0, times, first, last);
}

void MeterOnLine::addFault(sim::FaultKind kind, std::uint32_t param, std::uint32_t times,
                           std::uint16_t first, std::uint16_t last) {
    sim::FaultRule rule;
    rule.kind = kind;
    rule.param = param;
    rule.remaining = times;
    rule.ranged = true;
    rule.first = first;
    rule.last = last;
    slave->faults().add(rule);
}

} // namespace flowcfg::test
