#include "SimLine.h"

#include <cmath>

namespace flowcfg::test {

void attachMeter(FakeSerialLine& line, sim::MeterSlave& slave, FakeClock& clock,
                 SimOptions options) {
    line.clock = &clock;
    FakeSerialLine* l = &line;
    // The meter's time runs with the clock from here on, whatever the clock shows now.
    const std::uint64_t origin = clock.monotonicMs() - slave.meter().timeMs();
    line.responder = [l, &slave, &clock, options, origin](std::span<const std::uint8_t> request) {
        slave.meter().setTimeMs(clock.monotonicMs() - origin);
        const double charUs = sim::charTimeUs(slave.meter().baud(), slave.meter().parity());
        if (options.paced)
            clock.advance(static_cast<std::uint64_t>(std::ceil(charUs * request.size() / 1000)));
        if (options.checkLine) {
            const sim::Meter& m = slave.meter();
            const auto parity = static_cast<std::uint16_t>(l->line.parity);
            if (l->line.baud != m.baud() || parity != m.parity() || l->line.dataBits != 8)
                return std::vector<std::uint8_t>{};
        }
        sim::SlaveReply reply = slave.respond(request);
        if (reply.bytes.empty())
            return std::vector<std::uint8_t>{};
        const auto& t = l->timeouts;
        const std::uint64_t readLimit =
            std::uint64_t{t.readTotalMultiplier} * reply.bytes.size() + t.readTotalConstant;
        if (reply.delayMs > 0) {
            if (readLimit != 0 && reply.delayMs >= readLimit)
                return std::vector<std::uint8_t>{}; // arrives after the master gave up
            clock.advance(reply.delayMs);
        }
        if (options.paced)
            clock.advance(static_cast<std::uint64_t>(
                std::ceil(sim::charTimeUs(reply.baud, reply.parity) * reply.bytes.size() / 1000)));
        return std::move(reply.bytes);
    };
}

namespace {

sim::MeterConfig withClockOf(sim::MeterConfig config, const FakeClock& clock) {
    const LocalTime t = clock.now();
    config.clock = {t.year, t.month, t.day, t.hour, t.minute, t.second};
    return config;
}

} // namespace

SimLine::SimLine(FakeClock& clock, const sim::MeterConfig& config, SimOptions options)
    : slave(withClockOf(config, clock)), line(std::make_shared<FakeSerialLine>()) {
    attachMeter(*line, slave, clock, options);
}

} // namespace flowcfg::test
