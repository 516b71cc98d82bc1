// What the meter measures and puts out: the flow (normal or emulated), cut-off and status
// bits, the outputs, the external sensors, and the registers that report them.

#include "sim/Meter.h"
#include "sim/MeterWords.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace flowcfg::sim {

namespace {

// The platinum 385 characteristic and the factory line of the temperature ADC.
constexpr double kPt385A = 3.9083e-3, kPt385B = -5.775e-7;
constexpr double kAdcCode100 = 1200000, kAdcCode138 = 1662000; // codes at 100 and 138.5 ohm

double wave(double tMs, double periodMs) {
    return std::sin(2 * std::numbers::pi * tMs / periodMs);
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

// --- flow ------------------------------------------------------------------------------------

bool Meter::emulating() const {
    const std::uint16_t mode = regs_[reg::kEmulationMode];
    return mode == 1 || mode == 2; // another mode is kept but runs as normal operation
}

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
        return kNormalFlowM3h + 0.6 * wave(tMs, 47000) + 0.2 * wave(tMs, 7300);
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
    if (emulating())
        hi |= regs_[reg::kEmulationErrHi];
    return hi;
}

std::uint16_t Meter::flowStatusLo() const {
    std::uint16_t lo = forcedLo_;
    if (emulating())
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
    regs_[reg::kCleaningCommand] = cleaning_ ? 2 : 4;
    putU32(reg::kFrameCounters, archive_.totalFrames());
    putU32(reg::kFrameCounters + 2, archive_.currentFrame());
    regs_[reg::kFramesPerBlock] = archive_.framesPerBlock();
    const double t = static_cast<double>(timeMs_);
    putFloat(reg::kSignalAmplitude, static_cast<float>(12.0 + 0.5 * wave(t, 13000)));
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
    // The sensor and the ADC as the hardware has them: a Pt100 and the factory line from
    // resistance to code.
    const double trueTemp = 19.6 + 0.4 * wave(t, 900000);
    const double trueR = 100.0 * (1 + kPt385A * trueTemp + kPt385B * trueTemp * trueTemp);
    const double code = kAdcCode100 + (trueR - 100.0) * (kAdcCode138 - kAdcCode100) / (138.5 - 100);
    const auto adc = static_cast<std::uint32_t>(std::clamp(code, 0.0, 4294967295.0));
    const double kpa = 412.5 + 1.5 * wave(t, 31000);
    const auto adc2 = static_cast<std::uint32_t>(838861 + 2000 * (kpa - 412.5));

    // What the meter makes of them with its calibration.
    const auto code32 = [this](std::uint16_t a) {
        return double(std::uint32_t{regs_[a + 1]} << 16 | regs_[a]);
    };
    const double c0 = code32(0x1701), c1 = code32(0x1703);
    const double r0 = floatAt(0x1705), r1 = floatAt(0x1707);
    const bool calibrated = c1 != c0; // else the points give no resistance
    const double r = calibrated ? r0 + (double(adc) - c0) * (r1 - r0) / (c1 - c0) : 0.0;
    const bool user = regs_[reg::kCharacteristic] != 0;
    const double a = user ? floatAt(0x170A) : kPt385A, b = user ? floatAt(0x170C) : kPt385B;
    // R = R0 (1 + A T + B T^2), solved for the root near 0 degrees.
    const double nominal = floatAt(reg::kExternalR0);
    const double k = nominal > 0 ? 1 - r / nominal : 0;
    const double disc = a * a - 4 * b * k;
    const double den = a + std::sqrt(std::max(disc, 0.0));
    const bool tempOk = calibrated && nominal > 0 && disc >= 0 && den != 0 && std::isfinite(r);
    const double temp = tempOk ? -2 * k / den * floatAt(reg::kTemperatureAdjustment) +
                                     floatAt(reg::kTemperatureShift)
                               : 0.0;

    const std::uint16_t unit = regs_[reg::kPressureUnit];
    const double pressure = unit == 0 ? kpa * 1000 : unit == 2 ? kpa / 1000 : kpa;
    putFloat(0x0200, static_cast<float>(temp));
    regs_[0x0202] = tempOk ? 0 : 1;
    putFloat(0x0203, static_cast<float>(pressure));
    regs_[0x0205] = 0;
    regs_[0x0206] = unit;
    regs_[0x0207] = static_cast<std::uint16_t>(adc); // ADC codes: low word first
    regs_[0x0208] = static_cast<std::uint16_t>(adc >> 16);
    regs_[0x0209] = static_cast<std::uint16_t>(adc2);
    regs_[0x020A] = static_cast<std::uint16_t>(adc2 >> 16);
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

} // namespace flowcfg::sim
