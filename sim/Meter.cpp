// The meter's state over time, its registers, the Modbus operations and the commands.

#include "sim/Meter.h"

#include "sim/MeterWords.h"
#include "sim/RegisterAreas.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

namespace flowcfg::sim {

namespace {

constexpr std::uint64_t kStepMs = 100; // integration step of the totals

constexpr std::uint32_t kBauds[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

// The values the meter takes in the registers that have limits; commands take their one value.
struct ValueLimit {
    std::uint16_t address, lo, hi;
};
constexpr ValueLimit kLimits[] = {
    {reg::kNetAddress, 1, 247},
    {reg::kNetSpeed, 3, 10},
    {reg::kNetParity, 0, 2},
    {reg::kManufactureDay, 1, 31},
    {reg::kManufactureMonth, 1, 12},
    {reg::kPanelPassword, 0, 9999},
    {reg::kBlink, 1, 1},
    {reg::kRestart, 1, 1},
    {reg::kUserLock, 0, 1},
    {reg::kClLock, 0, 1},
    {reg::kServiceCleaning, 0, 1},
    {reg::kConnectorProtocol, 0, 1},     // 0 internal protocol, 1 Modbus
    {reg::kConnectorProtocol + 1, 0, 0}, // always 0
    {reg::kVolumeReset, 1, 1},
    {reg::kVolumeReset + 1, 1, 1},
    {reg::kArchiveInterval, 0, 3600},
    {reg::kArchiveInterval + 1, 0, 1},
    {reg::kFrameNumberAfterRead, 0, 2},
    {reg::kPressureUnit, 0, 2}, // Pa, kPa, MPa
};

} // namespace

Meter::Meter(const MeterConfig& config)
    : regs_(0x10000, 0), archive_(config.framesPerBlock), address_(config.address),
      speedCode_(config.speedCode), parity_(config.parity), floatOrder_(config.floatOrder & 3),
      writeProtected_(config.writeProtected), forcedHi_(config.flowStatusHi),
      forcedLo_(config.flowStatusLo) {
    clockBaseSec_ = toSeconds(config.clock);
    loadDefaults(config);
    fillHistory(std::min(config.archiveFrames, MeterArchive::kCapacity));
    nextFrameMs_ = std::uint64_t{regs_[reg::kArchiveInterval]} * 1000;
    refresh();
}

// --- time ----------------------------------------------------------------------------------

void Meter::setTimeMs(std::uint64_t ms) {
    if (ms <= timeMs_)
        return;
    step(ms);
    refresh();
}

void Meter::step(std::uint64_t toMs) {
    while (timeMs_ < toMs) {
        const std::uint64_t dt = std::min(kStepMs - timeMs_ % kStepMs, toMs - timeMs_);
        const double q = sourceFlow(static_cast<double>(timeMs_) + static_cast<double>(dt) / 2);
        flow_ = cutOff(q) ? 0 : q;
        const double dv = flow_ * static_cast<double>(dt) / 3.6e6;
        (dv >= 0 ? fwd_ : rev_) += std::abs(dv);
        accMs_ += dt;
        timeMs_ += dt;
        if (frameSamples_ == 0)
            frameMin_ = frameMax_ = flow_;
        frameMin_ = std::min(frameMin_, flow_);
        frameMax_ = std::max(frameMax_, flow_);
        frameSum_ += flow_;
        ++frameSamples_;
        const std::uint16_t interval = regs_[reg::kArchiveInterval];
        if (interval != 0 && timeMs_ >= nextFrameMs_) {
            archive_.append(currentRecord());
            nextFrameMs_ += std::uint64_t{interval} * 1000;
            if (nextFrameMs_ <= timeMs_)
                nextFrameMs_ = timeMs_ + std::uint64_t{interval} * 1000;
            frameSamples_ = 0;
            frameSum_ = 0;
        }
    }
}

void Meter::setClock(const CivilTime& now) {
    clockBaseSec_ = toSeconds(now);
    clockBaseMs_ = timeMs_;
    refresh();
}

CivilTime Meter::clock() const {
    return fromSeconds(clockBaseSec_ + static_cast<std::int64_t>((timeMs_ - clockBaseMs_) / 1000));
}

// --- registers -----------------------------------------------------------------------------

void Meter::putFloat(std::uint16_t address, float value, unsigned order) {
    const auto w = floatWords(value, order);
    regs_[address] = w[0];
    regs_[static_cast<std::uint16_t>(address + 1)] = w[1];
}

void Meter::putDouble(std::uint16_t address, double value) {
    const auto w = doubleWords(value);
    for (std::size_t i = 0; i < 4; ++i)
        regs_[static_cast<std::uint16_t>(address + i)] = w[i];
}

void Meter::putU32(std::uint16_t address, std::uint32_t value) {
    regs_[address] = static_cast<std::uint16_t>(value >> 16);
    regs_[static_cast<std::uint16_t>(address + 1)] = static_cast<std::uint16_t>(value);
}

void Meter::setFloat(std::uint16_t address, float value) {
    putFloat(address, value);
}

float Meter::floatAt(std::uint16_t address) const {
    return floatFromWords(regs_[address], regs_[static_cast<std::uint16_t>(address + 1)]);
}

std::vector<std::uint16_t> Meter::regs(std::uint16_t start, std::uint16_t count) const {
    std::vector<std::uint16_t> out;
    for (std::uint32_t a = start; a < std::uint32_t{start} + count && a < 0x10000; ++a)
        out.push_back(regs_[a]);
    return out;
}

// --- Modbus operations ---------------------------------------------------------------------

ModbusException Meter::read(std::uint16_t start, std::uint16_t count,
                            std::vector<std::uint16_t>& out) const {
    if (!readableRange(start, count))
        return ModbusException::IllegalDataAddress;
    out = regs(start, count);
    return ModbusException::None;
}

bool Meter::unlocked() const {
    return regs_[reg::kUserLock] != 0 && regs_[reg::kClLock] != 0;
}

bool Meter::valueAccepted(std::uint16_t address, std::uint16_t v) const {
    if (address == reg::kCleaningCommand)
        return v == 2 || v == 4;
    const auto* limit = std::find_if(std::begin(kLimits), std::end(kLimits),
                                     [&](const ValueLimit& l) { return l.address == address; });
    return limit == std::end(kLimits) || (v >= limit->lo && v <= limit->hi);
}

ModbusException Meter::write(std::uint16_t start, std::span<const std::uint16_t> values) {
    if (!writableRange(start, static_cast<std::uint32_t>(values.size())))
        return ModbusException::IllegalDataAddress;
    bool needsUnlock = false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const Access a = accessOf(static_cast<std::uint16_t>(start + i));
        needsUnlock = needsUnlock || a == Access::Config || a == Access::Command;
    }
    if (needsUnlock && !unlocked())
        return ModbusException::DeviceFailure;
    // The clock is checked as a whole: the written fields over the ones it holds.
    int clockFields[6] = {regs_[reg::kClock],     regs_[reg::kClock + 1], regs_[reg::kClock + 2],
                          regs_[reg::kClock + 3], regs_[reg::kClock + 4], regs_[reg::kClock + 5]};
    bool clockWritten = false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto a = static_cast<std::uint16_t>(start + i);
        if (!valueAccepted(a, values[i]))
            return ModbusException::IllegalDataValue;
        if (a >= reg::kClock && a < reg::kClock + 6) {
            clockFields[a - reg::kClock] = values[i];
            clockWritten = true;
        }
    }
    const CivilTime newClock{clockFields[0], clockFields[1], clockFields[2],
                             clockFields[3], clockFields[4], clockFields[5]};
    if (clockWritten && !validCivil(newClock))
        return ModbusException::IllegalDataValue;

    for (std::size_t i = 0; i < values.size(); ++i)
        act(static_cast<std::uint16_t>(start + i), values[i]);
    if (clockWritten)
        setClock(newClock);
    refresh();
    return ModbusException::None;
}

void Meter::act(std::uint16_t a, std::uint16_t v) {
    switch (a) {
    case reg::kBlink:
        ++blinks_;
        return; // commands read back as 0
    case reg::kRestart:
        ++restarts_;
        regs_[reg::kUserLock] = regs_[reg::kClLock] = 0;
        return;
    case reg::kCleaningCommand:
        cleaning_ = v == 2;
        return; // reads back the state
    case reg::kServiceCleaning:
        cleaning_ = v == 1;
        return;
    case reg::kConnectorProtocol + 1:
        return; // the companion word holds nothing
    case reg::kVolumeReset:
    case reg::kVolumeReset + 1:
        regs_[a] = v;
        if (regs_[reg::kVolumeReset] == 1 && regs_[reg::kVolumeReset + 1] == 1) {
            fwd_ = rev_ = 0;
            accMs_ = 0;
            regs_[reg::kVolumeReset] = regs_[reg::kVolumeReset + 1] = 0;
        }
        return;
    default:
        break;
    }
    regs_[a] = v;
    if (a >= reg::kNetAddress && a <= reg::kNetParity)
        linePending_ = true;
    else if (a >= reg::kEmulation && a < reg::kEmulation + 12)
        swingStartMs_ = timeMs_;
    else if (a == reg::kArchiveInterval)
        nextFrameMs_ = timeMs_ + std::uint64_t{v} * 1000;
}

ModbusException Meter::readArchiveBlock(std::uint32_t block,
                                        std::span<std::uint8_t, kBlockSize> out) {
    if (!archive_.readBlock(block, out))
        return ModbusException::IllegalDataAddress;
    const std::uint32_t next =
        std::uint32_t{regs_[reg::kReadFrameNumber]} << 16 | regs_[reg::kReadFrameNumber + 1];
    const std::uint16_t rule = regs_[reg::kFrameNumberAfterRead];
    if (rule == 1 && next > 0)
        putU32(reg::kReadFrameNumber, next - 1);
    else if (rule == 2)
        putU32(reg::kReadFrameNumber, next + 1);
    return ModbusException::None;
}

// --- line ----------------------------------------------------------------------------------

std::uint32_t baudOfSpeedCode(std::uint16_t code) {
    return code >= 3 && code <= 10 ? kBauds[code - 3] : 0;
}

std::uint16_t speedCodeOf(std::uint32_t baud) {
    const auto* it = std::find(std::begin(kBauds), std::end(kBauds), baud);
    return it == std::end(kBauds) ? 0 : static_cast<std::uint16_t>(it - std::begin(kBauds) + 3);
}

std::uint32_t Meter::baud() const {
    const std::uint32_t b = baudOfSpeedCode(speedCode_);
    return b != 0 ? b : 19200;
}

void Meter::activateLine() {
    if (!linePending_)
        return;
    linePending_ = false;
    address_ = static_cast<std::uint8_t>(regs_[reg::kNetAddress]);
    speedCode_ = regs_[reg::kNetSpeed];
    parity_ = regs_[reg::kNetParity];
}

void Meter::setFloatOrder(std::uint16_t order) {
    floatOrder_ = order & 3;
    refresh();
}

void Meter::setWriteProtected(bool on) {
    writeProtected_ = on;
    refresh();
}

void Meter::forceFlowStatus(std::uint16_t hi, std::uint16_t lo) {
    forcedHi_ = hi;
    forcedLo_ = lo;
    refresh();
}

} // namespace flowcfg::sim
