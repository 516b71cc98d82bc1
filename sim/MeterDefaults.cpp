// The meter as it leaves the factory: its settings in the registers and an archive that
// already holds some history.

#include "sim/Meter.h"
#include "sim/MeterWords.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>
#include <utility>

namespace flowcfg::sim {

void Meter::loadDefaults(const MeterConfig& c) {
    auto set = [this](std::uint16_t a, std::initializer_list<std::uint16_t> words) {
        for (auto w : words)
            regs_[a++] = w;
    };
    // Identity: model, factory number 260417 (+ position), hardware 3, software 105, made
    // 15.06.2024; front-panel password 1234.
    set(reg::kIdentity, {10, 0, 0, 3, 105, 15, 6, 2024});
    putU32(reg::kIdentity + 1, 260417U + c.position);
    set(reg::kNetAddress, {c.address, c.speedCode, c.parity});
    regs_[reg::kPanelPassword] = 1234;
    // Measuring module: model, sensor number, versions; sensor type, flange, diameter, range.
    set(0x0500, {10, 0x0001, 0x2F6A, 2, 0x0102, 0x0200, 0, 0, 0});
    set(0x0510, {0x0200, 0x0001});
    putFloat(0x0512, 50.0F);
    regs_[0x0514] = 50;
    putFloat(0x0516, 72.0F);
    putFloat(0x0518, 0.36F);
    putFloat(0x0522, 0.05F);
    putFloat(0x0524, 0.02F);
    set(0x0540, {0, 7, 0, 60, 0, 0, 4, 0}); // cleaning every 7 days for 60 s; not cleaning
    set(0x1000, {0, 4, 0, 0, 0, 0, 0, 2});  // 4 averages, flow in m3/h
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
    regs_[reg::kEmptyPipe] = 0x0001; // flow and velocity set to 0 on an empty pipe
    // Error permissions, one word per kind of error at these words of the block: general
    // permission everywhere, output signalling for the range errors, the error current for the
    // empty pipe and the broken coils, the cut-off not signalled; the other words are reserved.
    constexpr std::pair<std::uint16_t, std::uint16_t> kPermissions[] = {
        {0, 0x0001},  {8, 0x0001},  {12, 0x0009}, {14, 0x0009}, {22, 0x0029}, {24, 0x0001},
        {26, 0x0001}, {28, 0x0001}, {30, 0x000B}, {32, 0x0001}, {34, 0x0001}, {36, 0x0001},
        {38, 0x0049}, {40, 0x0049}, {42, 0x0001}, {44, 0x0001}, {46, 0x0001}, {48, 0x0000},
        {50, 0x0001}, {52, 0x0001}, {54, 0x0019}};
    for (const auto& [word, bits] : kPermissions)
        regs_[reg::kErrorEnables + word] = bits;
    set(reg::kArchiveInterval, {c.archiveIntervalSec, 1, 0});
    putU32(reg::kReadFrameNumber, 1);
    // External temperature sensor: Pt100 calibration points, platinum 385 curve.
    // Word 0 (its meaning is the meter's own) and coefficient C differ from meter to meter.
    regs_[reg::kTemperatureCalibration] = static_cast<std::uint16_t>(0x0C05 + c.position);
    // ADC codes of the two points, stored low word first.
    regs_[0x1701] = static_cast<std::uint16_t>(1200000 & 0xFFFF);
    regs_[0x1702] = static_cast<std::uint16_t>(1200000 >> 16);
    regs_[0x1703] = static_cast<std::uint16_t>(1662000 & 0xFFFF);
    regs_[0x1704] = static_cast<std::uint16_t>(1662000 >> 16);
    putFloat(0x1705, 100.0F);
    putFloat(0x1707, 138.5F);
    putFloat(0x170A, 3.9083e-3F);
    putFloat(0x170C, -5.775e-7F);
    putFloat(reg::kCoefficientC, -4.183e-12F * (1.0F + 0.1F * static_cast<float>(c.position)));
    for (const auto& [a, d] : {std::pair{0x1710, 1.5e-10F},
                               {0x1712, -2.5e-13F},
                               {0x1714, 3.0e-16F},
                               {0x1716, -4.0e-19F}}) // D1..D4
        putFloat(static_cast<std::uint16_t>(a), d);
    putFloat(reg::kExternalR0, 100.0F);
    regs_[reg::kPressureUnit] = 1; // kPa
    regs_[0x1800] = 1;
    putFloat(0x1902, 1.0F);
    putFloat(reg::kTemperatureAdjustment, 1.0F);
    putFloat(reg::kAmplitudeCutOff, 5.0F);
    // Calibration coefficients of the measuring module: the count in the high byte, then
    // (current Gi, gain Gv) pairs; the entries past the count hold 0.
    constexpr std::pair<float, float> kPairs[] = {
        {0.0500F, 0.9968F}, {0.1000F, 0.9981F}, {0.2500F, 0.9994F}, {0.5000F, 1.0003F},
        {1.0000F, 1.0010F}, {2.0000F, 1.0007F}, {5.0000F, 1.0002F}, {10.0000F, 0.9999F}};
    regs_[reg::kCoefficientCount] = static_cast<std::uint16_t>(std::size(kPairs) << 8);
    for (std::uint16_t i = 0; i < 20; ++i) {
        const auto a = static_cast<std::uint16_t>(reg::kCoefficients + i * 4);
        putFloat(a, i < std::size(kPairs) ? kPairs[i].first : 0.0F);
        putFloat(a + 2, i < std::size(kPairs) ? kPairs[i].second : 0.0F);
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
        r.fwdV = fwd_ - kNormalFlowM3h * static_cast<double>(ago) / 3600;
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

} // namespace flowcfg::sim
