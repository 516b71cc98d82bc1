#include "sim/RegisterAreas.h"

#include <array>
#include <vector>

namespace flowcfg::sim {

namespace {

using enum Access;
constexpr bool kWriteOnly = true;

// Every group of the register index.
constexpr std::array kAreas{
    RegisterArea{0x0000, 8, ReadOnly},  // primary transducer: flow, status words, first part
    RegisterArea{0x0100, 60, ReadOnly}, // measured values block and outputs block
    RegisterArea{0x0200, 14, ReadOnly}, // external sensors, measured
    RegisterArea{0x0400, 8, Config},    // model, factory number, versions, date of manufacture
    RegisterArea{0x0408, 3, Config},    // network: address, speed, parity
    RegisterArea{0x0416, 1, Open, kWriteOnly},    // blink
    RegisterArea{0x0419, 1, Command, kWriteOnly}, // restart
    RegisterArea{0x0420, 6, Config},              // clock
    RegisterArea{0x04F0, 1, Config},              // front-panel password
    RegisterArea{0x04FE, 2, Open},                // USERLOCK, CLBLOCK
    RegisterArea{0x0500, 9, ReadOnly},            // primary transducer, second part
    RegisterArea{0x0510, 42, ReadOnly},           // primary transducer, third part
    RegisterArea{0x0540, 8, Config}, // electrode cleaning; 0x0546 cleaning on (2) / off (4)
    RegisterArea{0x07A3, 1, Command, kWriteOnly}, // cleaning on (1) / off (0), service page
    RegisterArea{0x1000, 8, Config},              // measurement settings
    RegisterArea{0x1010, 5, Config},              // flow range
    RegisterArea{0x1019, 4, ReadOnly},            // module's cut-off and hysteresis
    RegisterArea{0x101D, 4, Config},              // cut-off and hysteresis
    RegisterArea{0x1035, 1, ReadOnly},            // cut-off source
    RegisterArea{0x1036, 3, Config},              // cut-off flags, displayed sum, sum units
    RegisterArea{0x103B, 12, Config},             // emulation
    RegisterArea{0x1047, 1, Config},              // output 1 type
    RegisterArea{0x104A, 1, Config},              // output 1 direct value
    RegisterArea{0x104D, 13, Config},             // output 1 frequency and pulse
    RegisterArea{0x105D, 2, Config},              // output 1 sum type, output 2 type
    RegisterArea{0x1061, 1, Config},              // output 2 direct value
    RegisterArea{0x1064, 13, Config},             // output 2 frequency and pulse
    RegisterArea{0x1074, 2, Config},              // output 2 sum type, current output mode
    RegisterArea{0x1079, 23, Config},  // current output scale, errors, direct, calibration, digits
    RegisterArea{0x1091, 2, ReadOnly}, // sensor type, range source
    RegisterArea{0x1096, 1, ReadOnly}, // nominal diameter
    RegisterArea{0x1098, 2, Config},   // linear scale source, empty pipe
    RegisterArea{0x10A0, 58, Config},  // error enables
    RegisterArea{0x1100, 1, Config},   // technological connector protocol
    RegisterArea{0x1101, 1, Command, kWriteOnly}, // its companion word, always written 0
    RegisterArea{0x1102, 2, Command, kWriteOnly}, // volume reset
    RegisterArea{0x1500, 3, Config},    // archive interval, frame type, frame number after read
    RegisterArea{0x1503, 6, ReadOnly},  // archive settings tail, frame counters
    RegisterArea{0x1509, 2, Config},    // frame to read next
    RegisterArea{0x150B, 2, ReadOnly},  // frames per block
    RegisterArea{0x1700, 27, Config},   // external sensor calibration, R0, pressure unit
    RegisterArea{0x1800, 1, Config},    // median filter
    RegisterArea{0x1900, 8, Config},    // current output and temperature ADC shift and adjustment
    RegisterArea{0x5008, 2, ReadOnly},  // vortex signal amplitude
    RegisterArea{0x5506, 2, Config},    // vortex amplitude cut-off
    RegisterArea{0x7DFF, 81, ReadOnly}, // calibration coefficients: count and five blocks
};

// Each register's area, or none.
const std::vector<const RegisterArea*>& areaTable() {
    static const std::vector<const RegisterArea*> table = [] {
        std::vector<const RegisterArea*> t(0x10000, nullptr);
        for (const auto& a : kAreas)
            for (std::uint32_t r = a.start; r < std::uint32_t{a.start} + a.count; ++r)
                t[r] = &a;
        return t;
    }();
    return table;
}

template <typename Allowed>
bool rangeIs(std::uint32_t start, std::uint32_t count, Allowed allowed) {
    if (count == 0 || start + count > 0x10000)
        return false;
    const auto& t = areaTable();
    for (std::uint32_t r = start; r < start + count; ++r)
        if (t[r] == nullptr || !allowed(*t[r]))
            return false;
    return true;
}

} // namespace

std::span<const RegisterArea> registerAreas() {
    return kAreas;
}

Access accessOf(std::uint16_t address) {
    const RegisterArea* area = areaTable()[address];
    return area ? area->access : None;
}

bool readableRange(std::uint32_t start, std::uint32_t count) {
    return rangeIs(start, count, [](const RegisterArea& a) { return !a.writeOnly; });
}

bool writableRange(std::uint32_t start, std::uint32_t count) {
    return rangeIs(start, count, [](const RegisterArea& a) { return a.access != ReadOnly; });
}

} // namespace flowcfg::sim
