// The measurement poll cycle (the measured block, the primary flow, the outputs: three FC3
// reads) through flowsim pacing the line, at 19200 and 115200 baud, against its prescribed
// floor: the line time of the bytes, the 3.5-character silence before each answer, and what
// the answer end waits by rule after each answer (the interval timeout, or the frame silence
// with the quick end). For scale, a libmodbus client makes the same three reads on the same
// line with the same waits after them (as sleeps): what the machine's scheduling adds to the
// floor shows there too. The clients take turns in rounds.

#include "FlowsimProcess.h"
#include "LineBench.h"
#include "measure/MeasurePanel.h"
#include "model/DeviceImage.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <modbus/modbus.h>
#include <thread>

namespace {

using namespace flowcfg;
using namespace flowcfg::bench;

constexpr int kRounds = 4;
constexpr int kCyclesPerRound = 5;
struct Read {
    std::uint16_t start;
    std::uint8_t count;
};
constexpr std::array<Read, 3> kReads{{{0x0100, 49}, {0x0000, 4}, {0x0131, 11}}};
// Requests of 8 bytes, answers of 2N + 5 bytes, the silence before each answer.
constexpr double kCycleChars = 3 * (8 + 5 + 3.5) + 2 * (49 + 4 + 11);

void timeTool(const std::string& device, std::uint32_t baud, bool quick, std::uint32_t& wait,
              std::vector<double>& out) {
    BenchLink link(device, baud, quick);
    wait = link.prescribedWaitMs();
    DeviceImage image;
    image.izm_i_f_diskr.use = 1; // the outputs are read with every cycle
    MeasurePanel panel(link.ctx(), image, MeasureLogSettings{false, {}});
    for (int k = 0; k <= kCyclesPerRound; ++k) {
        const auto t0 = Stopwatch::now();
        panel.pollOnce();
        const double ms = msSince(t0);
        const MeasuredValues& v = panel.values();
        if (v.measuredResult != ExchangeResult{} || v.primaryResult != ExchangeResult{} ||
            v.outputsResult != ExchangeResult{})
            fail("a read of the poll failed");
        if (k > 0) // the first cycle warms up
            out.push_back(ms);
    }
}

void timeLibmodbus(const std::string& device, std::uint32_t baud, std::uint32_t waitMs,
                   std::vector<double>& out) {
    modbus_t* mb = modbus_new_rtu(device.c_str(), static_cast<int>(baud), 'N', 8, 1);
    if (!mb || modbus_set_slave(mb, 1) != 0 || modbus_connect(mb) != 0)
        fail("libmodbus cannot open " + device);
    std::array<std::uint16_t, 49> values{};
    for (int k = 0; k <= kCyclesPerRound; ++k) {
        const auto t0 = Stopwatch::now();
        for (const Read& r : kReads) {
            if (modbus_read_registers(mb, r.start, r.count, values.data()) != r.count)
                fail(std::string("libmodbus read: ") + modbus_strerror(errno));
            std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
        }
        const double ms = msSince(t0);
        if (k > 0)
            out.push_back(ms);
    }
    modbus_close(mb);
    modbus_free(mb);
}

} // namespace

int main() {
    std::printf("poll cycle (0x0100 x 49, 0x0000 x 4, 0x0131 x 11) through flowsim --pace, "
                "median of %d cycles, ms;\nfloor: line time + silences + prescribed waits; "
                "libmodbus: the same reads and waits\n\n",
                kRounds * kCyclesPerRound);
    std::printf("%-7s %-14s %9s %10s %11s %9s %8s %10s %12s\n", "baud", "answer end", "cycle",
                "line time", "prescribed", "floor", "ratio", "libmodbus", "/ libmodbus");
    for (const std::uint32_t baud : {19200u, 115200u}) {
        test::FlowsimProcess flowsim({"--pace", "--freeze-time", "--baud", std::to_string(baud)});
        std::vector<double> tool[2], peer[2];
        std::uint32_t wait[2] = {};
        for (int round = 0; round < kRounds; ++round) {
            for (const bool quick : kAnswerEnds) {
                timeTool(flowsim.device(), baud, quick, wait[quick], tool[quick]);
                timeLibmodbus(flowsim.device(), baud, wait[quick], peer[quick]);
            }
        }
        for (const bool quick : kAnswerEnds) {
            const double cycle = median(tool[quick]);
            const double line = lineTimeMs(kCycleChars, baud);
            const double prescribed = static_cast<double>(kReads.size() * wait[quick]);
            const double floor = line + prescribed;
            const double libmodbus = median(peer[quick]);
            std::printf("%-7u %-14s %9.2f %10.2f %11.0f %9.2f %8.4f %10.2f %12.4f\n", baud,
                        answerEndName(quick), cycle, line, prescribed, floor, cycle / floor,
                        libmodbus, cycle / libmodbus);
        }
    }
    return 0;
}
