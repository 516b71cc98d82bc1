#include "SimLine.h"

#include <cmath>

namespace flowcfg::test {

void attachMeter(FakeSerialLine& line, sim::MeterSlave& slave, FakeClock& clock,
                 SimOptions options) {
    line.clock = &clock;
    FakeSerialLine* l = &line;
    line.responder = [l, &slave, &clock, options](std::span<const std::uint8_t> request) {
        slave.meter().setTimeMs(clock.monotonicMs());
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

SimLine::SimLine(FakeClock& clock, const sim::MeterConfig& config, SimOptions options)
    : slave(config), line(std::make_shared<FakeSerialLine>()) {
    slave.meter().setTimeMs(clock.monotonicMs());
    attachMeter(*line, slave, clock, options);
}

} // namespace flowcfg::test
