#include "sim/MeterBus.h"

#include <algorithm>

namespace flowcfg::sim {

MeterSlave& MeterBus::add(const MeterConfig& config, std::uint64_t seed) {
    members_.push_back({std::make_unique<MeterSlave>(config, seed), 0});
    return *members_.back().slave;
}

bool MeterBus::hears(const Meter& meter, const MasterLine& line) const {
    return !checkLine_ ||
           (line.baud == meter.baud() && line.parity == meter.parity() && line.dataBits == 8);
}

void MeterBus::setTimeMs(std::uint64_t ms) {
    for (auto& m : members_)
        m.slave->meter().setTimeMs(ms);
}

BusReply MeterBus::respond(std::span<const std::uint8_t> frame, const MasterLine& line) {
    BusReply out;
    for (auto& m : members_) {
        if (!hears(m.slave->meter(), line)) {
            ++m.unheard;
            continue;
        }
        ++out.heardBy;
        SlaveReply reply = m.slave->respond(frame);
        if (reply.bytes.empty())
            continue;
        if (++out.answeredBy == 1) {
            out.answer = std::move(reply);
            continue;
        }
        // A collision: both drivers on the wire at once.
        auto& bytes = out.answer.bytes;
        bytes.resize(std::max(bytes.size(), reply.bytes.size()), 0xFF);
        for (std::size_t i = 0; i < reply.bytes.size(); ++i)
            bytes[i] &= reply.bytes[i];
        out.answer.delayMs = std::max(out.answer.delayMs, reply.delayMs);
    }
    // Two meters never start on the same bit: even equal answers reach the master garbled.
    if (out.answeredBy > 1 && crcValid(out.answer.bytes))
        out.answer.bytes.back() ^= 0xFF;
    return out;
}

} // namespace flowcfg::sim
