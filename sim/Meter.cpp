#include "sim/Meter.h"

#include "sim/MeterWords.h"
#include "sim/RegisterAreas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace flowcfg::sim {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr std::uint64_t kStepMs = 100; // integration step of the totals
constexpr double kNormalFlow = 12.5;   // m3/h in normal operation

constexpr std::uint32_t kBauds[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

double wave(double tMs, double periodMs) {
    return std::sin(kTwoPi * tMs / periodMs);
}

// Flow unit codes: m3/s, l/s, m3/h, l/h; per m3/h.
double flowUnitFactor(std::uint16_t code) {
    switch (code) {
    case 0:
        return 1.0 / 3600;
    case 1:
        return 1.0 / 3.6;
    case 3:
        return 1000;
    default:
        return 1;
    }
}

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

void Meter::loadDefaults(const MeterConfig& c) {
    auto set = [this](std::uint16_t a, std::initializer_list<std::uint16_t> words) {
        for (auto w : words)
            regs_[a++] = w;
    };
    // Identity: model, factory number 260417, hardware 3, software 105, made 15.06.2024.
    set(0x0400, {10, 0x0003, 0xF941, 3, 105, 15, 6, 2024});
    set(reg::kNetAddress, {c.address, c.speedCode, c.parity});
    // Measuring module: model, sensor number, versions; sensor type, flange, diameter, range.
    set(0x0500, {10, 0x0001, 0x2F6A, 2, 0x0102, 0x0200, 0, 0, 0});
    set(0x0510, {0x0200, 0x0001});
    putFloat(0x0512, 50.0F);
    regs_[0x0514] = 50;
    putFloat(0x0516, 72.0F);
    putFloat(0x0518, 0.36F);
    putFloat(0x0522, 0.05F);
    putFloat(0x0524, 0.02F);
    set(0x0540, {0, 7, 0, 60});            // cleaning every 7 days for 60 s
    set(0x1000, {0, 4, 0, 0, 0, 0, 0, 2}); // 4 averages, flow in m3/h
    putFloat(reg::kRangeMin, 0.36F);
    putFloat(reg::kRangeMax, 72.0F);
    putFloat(0x1019, 0.05F);
    putFloat(0x101B, 0.02F);
    putFloat(reg::kCutOff, 0.05F);
    putFloat(0x101F, 0.02F);
    set(reg::kCutEnable, {0x0001, 0, 0}); // cut-off formed in the meter; sum in m3
    // Emulation: normal operation; fixed 10, swing 0.36..72, increment 1, half period 65535.
    putFloat(reg::kEmulationFixed, 10.0F);
    putFloat(reg::kEmulationMin, 0.36F);
    putFloat(reg::kEmulationMax, 72.0F);
    putFloat(0x1042, 1.0F);
    regs_[reg::kEmulationHalfPeriod] = 65535;
    for (const std::uint16_t base : {std::uint16_t{0x1047}, std::uint16_t{0x105E}}) {
        const std::uint16_t d = base - 0x1047; // output 2 lies 0x17 registers after output 1
        regs_[base] = d == 0 ? 0 : 1;          // output 1 direct control, output 2 direction
        set(0x104D + d, {10000, 0});           // f_max, f_min
        putFloat(0x104F + d, 72.0F);           // f_flow_v_max
        putFloat(0x1051 + d, 0.0F);            // f_flow_v_min
        set(0x1053 + d, {12500, 0, 1000});     // f_flow_err, f_direct_control, f_direct_val
        putFloat(0x1056 + d, 1.0F);            // flow_v_for_pulse
        set(0x1058 + d, {100, 100});
    }
    putFloat(0x1079, 0.36F); // current output: flow 0.36..72 m3/h gives 4..20 mA
    putFloat(0x107B, 72.0F);
    putFloat(0x107D, 4.0F);
    putFloat(0x107F, 20.0F);
    putFloat(0x1082, 3.25F);
    putFloat(0x1084, 22.5F);
    regs_[0x1086] = 43690;
    putFloat(0x1087, 20.0F);
    regs_[0x1089] = 8738;
    putFloat(0x108A, 4.0F);
    regs_[0x108C] = 43690;
    putFloat(0x108D, 20.0F);
    regs_[0x108F] = 3;
    set(0x1091, {0x0200, 0});
    regs_[0x1096] = 50;
    set(reg::kArchiveInterval, {c.archiveIntervalSec, 1, 0});
    putU32(reg::kReadFrameNumber, 1);
    // External temperature sensor: Pt100 calibration points, platinum 385 curve.
    // ADC codes of the two points, stored low word first.
    regs_[0x1701] = static_cast<std::uint16_t>(1200000 & 0xFFFF);
    regs_[0x1702] = static_cast<std::uint16_t>(1200000 >> 16);
    regs_[0x1703] = static_cast<std::uint16_t>(1662000 & 0xFFFF);
    regs_[0x1704] = static_cast<std::uint16_t>(1662000 >> 16);
    putFloat(0x1705, 100.0F);
    putFloat(0x1707, 138.5F);
    putFloat(0x170A, 3.9083e-3F);
    putFloat(0x170C, -5.775e-7F);
    putFloat(0x170E, -4.183e-12F);
    putFloat(0x1718, 100.0F);
    regs_[0x171A] = 1; // kPa
    regs_[0x1800] = 1;
    putFloat(0x1902, 1.0F);
    putFloat(0x1906, 1.0F);
    putFloat(0x5506, 5.0F);
    // Calibration coefficients of the measuring module: 8 pairs in use.
    regs_[0x7DFF] = 0x0800;
    for (std::uint16_t i = 0; i < 20; ++i) {
        const std::uint16_t a = static_cast<std::uint16_t>(0x7E00 + i * 4);
        putFloat(a, i < 8 ? 0.125F * static_cast<float>(i + 1) : 0.0F);
        putFloat(a + 2, i < 8 ? 1.0F + 0.0025F * static_cast<float>(i) : 0.0F);
    }
}

// Frames recorded before time 0, one per archive interval, from the normal flow.
void Meter::fillHistory(std::uint32_t frames) {
    const std::int64_t interval = std::max<std::uint16_t>(regs_[reg::kArchiveInterval], 1);
    fwd_ = 15234.125;
    rev_ = 12.5;
    for (std::uint32_t k = 0; k < frames; ++k) {
        const std::int64_t ago = (std::int64_t{frames} - k) * interval; // seconds before 0
        const double tMs = -1000.0 * static_cast<double>(ago);
        ArchiveRecord r;
        r.time = fromSeconds(clockBaseSec_ - ago);
        r.flow = static_cast<float>(sourceFlow(tMs));
        r.minFlow = r.flow - 0.05F;
        r.avrFlow = r.flow;
        r.maxFlow = r.flow + 0.05F;
        r.fwdV = fwd_ - kNormalFlow * static_cast<double>(ago) / 3600;
        r.revV = rev_;
        r.sumV = r.fwdV - r.revV;
        r.modV = r.fwdV + r.revV;
        r.flowVel = static_cast<float>(r.flow / 3600 / (std::numbers::pi * 0.025 * 0.025));
        r.iOut = 4.0F + 16.0F * (r.flow - 0.36F) / (72.0F - 0.36F);
        r.fOut2 = 0;
        r.extPKpa = 412.5F;
        r.extT = 19.6F;
        archive_.append(r);
    }
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

// --- flow ------------------------------------------------------------------------------------

double Meter::sourceFlow(double tMs) const {
    switch (regs_[reg::kEmulationMode]) {
    case 1:
        return floatAt(reg::kEmulationFixed);
    case 2: {
        const double lo = floatAt(reg::kEmulationMin);
        const double hi = floatAt(reg::kEmulationMax);
        const double half = regs_[reg::kEmulationHalfPeriod];
        if (half <= 0)
            return lo;
        const double phase = std::fmod(tMs - static_cast<double>(swingStartMs_), 2 * half);
        const double x = phase < half ? phase / half : 2 - phase / half;
        return lo + (hi - lo) * x;
    }
    default:
        return kNormalFlow + 0.6 * wave(tMs, 47000) + 0.2 * wave(tMs, 7300);
    }
}

bool Meter::cutOff(double q) const {
    if ((regs_[reg::kCutEnable] & 0x0001) == 0)
        return false;
    const double limit = floatAt(reg::kCutOff) / 100.0 * floatAt(reg::kRangeMax);
    return std::abs(q) < limit;
}

std::uint16_t Meter::flowStatusHi() const {
    std::uint16_t hi = forcedHi_;
    const double q = std::abs(sourceFlow(static_cast<double>(timeMs_)));
    if (cutOff(q))
        hi |= kCutOffActive;
    else if (q > 0 && q < floatAt(reg::kRangeMin))
        hi |= kBelowRange;
    if (q > floatAt(reg::kRangeMax))
        hi |= kAboveRange;
    if (cleaning_)
        hi |= kCleaningActive;
    if (regs_[reg::kEmulationMode] != 0)
        hi |= regs_[reg::kEmulationErrHi];
    return hi;
}

std::uint16_t Meter::flowStatusLo() const {
    std::uint16_t lo = forcedLo_;
    if (regs_[reg::kEmulationMode] != 0)
        lo |= regs_[reg::kEmulationErrLo];
    return lo;
}

// --- outputs ---------------------------------------------------------------------------------

float Meter::currentOutputMa() const {
    switch (regs_[0x1075]) {
    case 1: { // DAC code set: current from the calibration points
        const double c0 = regs_[0x1089], c1 = regs_[0x108C];
        const double i0 = floatAt(0x108A), i1 = floatAt(0x108D);
        return c1 == c0 ? static_cast<float>(i0)
                        : static_cast<float>(i0 + (regs_[0x1086] - c0) * (i1 - i0) / (c1 - c0));
    }
    case 2:
        return floatAt(0x1087);
    default:
        break;
    }
    if (flowStatusLo() != 0)
        return floatAt(regs_[0x1081] == 0 ? 0x1082 : 0x1084);
    const double q0 = floatAt(0x1079), q1 = floatAt(0x107B);
    const double i0 = floatAt(0x107D), i1 = floatAt(0x107F);
    if (q1 == q0)
        return static_cast<float>(i0);
    const double i = i0 + (std::abs(flow_) - q0) * (i1 - i0) / (q1 - q0);
    return static_cast<float>(std::clamp(i, std::min(i0, i1), std::max(i0, i1) * 1.025));
}

// Output 0 or 1: its frequency in Hz (frequency mode) or its pulse rate (pulse mode).
float Meter::frequencyOut(int output) const {
    const std::uint16_t d = output == 0 ? 0 : 0x17;
    const std::uint16_t type = regs_[0x1047 + d];
    if (type == 3) {
        const double perPulse = floatAt(0x1056 + d);
        return perPulse > 0 ? static_cast<float>(std::abs(flow_) / 3600 / perPulse) : 0.0F;
    }
    if (type != 2)
        return 0;
    if (regs_[0x1054 + d] == 1)
        return regs_[0x1055 + d];
    if (flowStatusLo() != 0)
        return regs_[0x1053 + d];
    const double fMax = regs_[0x104D + d], fMin = regs_[0x104E + d];
    const double qMax = floatAt(0x104F + d), qMin = floatAt(0x1051 + d);
    if (qMax == qMin)
        return static_cast<float>(fMin);
    const double f = fMin + (std::abs(flow_) - qMin) * (fMax - fMin) / (qMax - qMin);
    return static_cast<float>(std::clamp(f, std::min(fMin, fMax), std::max(fMin, fMax)));
}

bool Meter::discreteActive(int output) const {
    const std::uint16_t d = output == 0 ? 0 : 0x17;
    switch (regs_[0x1047 + d]) {
    case 0:
        return regs_[0x104A + d] != 0;
    case 1:
        return flow_ < 0;
    case 4:
        return flowStatusLo() != 0;
    default:
        return false;
    }
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

void Meter::refresh() {
    const double q = sourceFlow(static_cast<double>(timeMs_));
    flow_ = cutOff(q) ? 0 : q;
    refreshMeasured();
    refreshOutputs();
    refreshSensors();
    const CivilTime now = clock();
    const int fields[] = {now.year, now.month, now.day, now.hour, now.minute, now.second};
    for (std::size_t i = 0; i < 6; ++i)
        regs_[reg::kClock + i] = static_cast<std::uint16_t>(fields[i]);
    putU32(reg::kFrameCounters, archive_.totalFrames());
    putU32(reg::kFrameCounters + 2, archive_.currentFrame());
    regs_[reg::kFramesPerBlock] = archive_.framesPerBlock();
    const double t = static_cast<double>(timeMs_);
    putFloat(0x5008, static_cast<float>(12.0 + 0.5 * wave(t, 13000)));
}

void Meter::refreshMeasured() {
    const double t = static_cast<double>(timeMs_);
    const std::uint16_t hi = flowStatusHi(), lo = flowStatusLo();
    const std::uint16_t unit = regs_[reg::kFlowUnitSetting] & 0xFF;
    const double diameterM = regs_[0x1096] / 1000.0;
    const double velocity =
        diameterM > 0 ? flow_ / 3600 / (std::numbers::pi * diameterM * diameterM / 4) : 0.0;
    const double range = floatAt(reg::kRangeMax);

    putFloat(reg::kPrimaryFlow, static_cast<float>(flow_));
    regs_[0x0002] = hi;
    regs_[0x0003] = lo;
    putFloat(0x0004, static_cast<float>(velocity));

    const std::uint16_t m = reg::kMeasured;
    putFloat(m, static_cast<float>(flow_ * flowUnitFactor(unit))); // always byte order 0
    regs_[m + 2] =
        range > 0
            ? static_cast<std::uint16_t>(std::clamp(std::abs(flow_) / range, 0.0, 1.0) * 65535)
            : 0;
    regs_[reg::kFlowStatusHi] = hi;
    regs_[reg::kFlowStatusLo] = lo;
    regs_[reg::kFlowUnit] = static_cast<std::uint16_t>(unit | floatOrder_ << 8);
    const unsigned order = floatOrder_;
    putFloat(0x0106, static_cast<float>(velocity), order);
    regs_[0x0108] = 0;
    putFloat(0x010A, static_cast<float>(18.4 + 0.3 * wave(t, 600000)), order); // pipe
    regs_[0x010C] = 0;
    putFloat(0x010D, static_cast<float>(31.2 + 0.2 * wave(t, 900000)), order); // module
    regs_[0x010F] = 0;
    putFloat(0x0110, static_cast<float>(19.6 + 0.4 * wave(t, 900000)), order); // process 1
    regs_[0x0112] = 0;
    putFloat(0x0113, static_cast<float>(17.9 + 0.1 * wave(t, 1200000)), order); // process 2
    regs_[0x0115] = 0;
    putFloat(0x0116, static_cast<float>(412.5 + 1.5 * wave(t, 31000)), order); // kPa
    regs_[0x0118] = 0;
    const double volFactor = (regs_[reg::kSumUnit] & 0xFF) == 1 ? 1000 : 1;
    putDouble(0x0119, (fwd_ - rev_) * volFactor);
    putDouble(0x011D, fwd_ * volFactor);
    putDouble(0x0121, rev_ * volFactor);
    putDouble(0x0125, (fwd_ + rev_) * volFactor);
    regs_[0x0129] = 0;
    regs_[0x012A] = lo;
    regs_[0x012B] = regs_[reg::kSumUnit] & 0xFF;
    regs_[reg::kContacts] = static_cast<std::uint16_t>((writeProtected_ ? 0x8000 : 0) |
                                                       (discreteActive(0) ? 0x0001 : 0) |
                                                       (discreteActive(1) ? 0x0002 : 0));
    putU32(0x012D, static_cast<std::uint32_t>(accMs_ / 1000));
    putU32(0x012F, static_cast<std::uint32_t>(412 + timeMs_ / 86400000)); // days in service
}

void Meter::refreshOutputs() {
    const std::uint16_t o = reg::kOutputs;
    putFloat(o, currentOutputMa());
    putFloat(o + 2, frequencyOut(0));
    putFloat(o + 4, frequencyOut(1));
    const std::uint16_t iControl = regs_[0x1075];
    regs_[o + 6] = iControl <= 2 ? iControl : 0;
    regs_[o + 7] = regs_[0x1047];
    regs_[o + 8] = regs_[0x1054];
    regs_[o + 9] = regs_[0x105E];
    regs_[o + 10] = regs_[0x106B];
}

void Meter::refreshSensors() {
    const double t = static_cast<double>(timeMs_);
    const double temp = 19.6 + 0.4 * wave(t, 900000);
    const double kpa = 412.5 + 1.5 * wave(t, 31000);
    const std::uint16_t unit = regs_[0x171A];
    const double pressure = unit == 0 ? kpa * 1000 : unit == 2 ? kpa / 1000 : kpa;
    const double r = floatAt(0x1718) * (1 + floatAt(0x170A) * temp + floatAt(0x170C) * temp * temp);
    const auto code32 = [this](std::uint16_t a) {
        return double(std::uint32_t{regs_[a + 1]} << 16 | regs_[a]);
    };
    const double c0 = code32(0x1701), c1 = code32(0x1703);
    const double r0 = floatAt(0x1705), r1 = floatAt(0x1707);
    const double code = r1 == r0 ? c0 : c0 + (r - r0) * (c1 - c0) / (r1 - r0);
    const auto adc = static_cast<std::uint32_t>(std::clamp(code, 0.0, 4294967295.0));

    putFloat(0x0200, static_cast<float>(temp));
    regs_[0x0202] = 0;
    putFloat(0x0203, static_cast<float>(pressure));
    regs_[0x0205] = 0;
    regs_[0x0206] = unit;
    regs_[0x0207] = static_cast<std::uint16_t>(adc); // ADC codes: low word first
    regs_[0x0208] = static_cast<std::uint16_t>(adc >> 16);
    regs_[0x0209] = static_cast<std::uint16_t>(838861 & 0xFFFF);
    regs_[0x020A] = static_cast<std::uint16_t>(838861 >> 16);
    regs_[0x020B] = 0;
    putFloat(0x020C, static_cast<float>(r));
}

ArchiveRecord Meter::currentRecord() const {
    ArchiveRecord r;
    const auto f = [this](std::uint16_t a) { return floatAt(a); };
    r.time = clock();
    r.flow = static_cast<float>(flow_);
    r.errHi = regs_[reg::kFlowStatusHi];
    r.errLo = regs_[reg::kFlowStatusLo];
    r.stat = regs_[reg::kContacts];
    r.fOut1 = f(reg::kOutputs + 2);
    r.fOut2 = f(reg::kOutputs + 4);
    r.iOut = f(reg::kOutputs);
    r.dOut = regs_[reg::kContacts] & 0x0003;
    r.sumV = fwd_ - rev_;
    r.modV = fwd_ + rev_;
    r.fwdV = fwd_;
    r.revV = rev_;
    r.minFlow = static_cast<float>(frameMin_);
    r.maxFlow = static_cast<float>(frameMax_);
    r.avrFlow = frameSamples_ ? static_cast<float>(frameSum_ / double(frameSamples_)) : r.flow;
    r.flowVel = f(0x0004);
    r.extPKpa = static_cast<float>(412.5 + 1.5 * wave(static_cast<double>(timeMs_), 31000));
    r.extT = f(0x0200);
    return r;
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
    switch (address) {
    case reg::kNetAddress:
        return v >= 1 && v <= 247;
    case reg::kNetSpeed:
        return v >= 3 && v <= 10;
    case reg::kNetParity:
        return v <= 2;
    case reg::kBlink:
    case reg::kRestart:
    case reg::kVolumeReset:
    case reg::kVolumeReset + 1:
        return v == 1;
    case reg::kUserLock:
    case reg::kClLock:
    case reg::kServiceCleaning:
        return v <= 1;
    case reg::kCleaningCommand:
        return v == 2 || v == 4;
    case reg::kArchiveInterval:
        return v <= 3600;
    case reg::kArchiveInterval + 1:
        return v <= 1;
    case reg::kFrameNumberAfterRead:
        return v <= 2;
    default:
        return true;
    }
}

ModbusException Meter::write(std::uint16_t start, std::span<const std::uint16_t> values) {
    if (!readableRange(start, static_cast<std::uint32_t>(values.size())))
        return ModbusException::IllegalDataAddress;
    bool needsUnlock = false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const Access a = accessOf(static_cast<std::uint16_t>(start + i));
        if (a == Access::ReadOnly)
            return ModbusException::IllegalDataAddress;
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
        return;
    case reg::kServiceCleaning:
        cleaning_ = v == 1;
        return;
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

std::uint32_t Meter::baud() const {
    return speedCode_ >= 3 && speedCode_ <= 10 ? kBauds[speedCode_ - 3] : 19200;
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
