// The cost of one FC3 transaction (49 registers from 0x0100) of our master and of a libmodbus
// client, on the same pty pair and the same slave (flowsim, not paced, so the line costs
// nothing). The master's time splits into what its answer end waits by rule (the interval
// timeout, or the 3.5-character silence of the quick end) and everything else, which is what
// compares with libmodbus. The rule's wait counts as the system delivers it (a read that
// nothing answers, timed alone), so the system's late wake-ups are not charged to the tool.
// A machine that idles through a wait wakes up slower for the next exchange (a virtual CPU
// most of all), so libmodbus is also timed after the same idle time as each end, and "else"
// is compared with that. The clients take turns in rounds, so a change of the machine's load
// hits them alike.

#include "FlowsimProcess.h"
#include "LineBench.h"
#include "link/ModbusMaster.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <modbus/modbus.h>
#include <thread>

namespace {

using namespace flowcfg;
using namespace flowcfg::bench;

constexpr int kRounds = 4;
constexpr int kPerRound = 50;
constexpr int kWarmUp = 3;
constexpr std::uint16_t kStart = 0x0100;
constexpr std::uint8_t kCount = 49;
constexpr std::uint32_t kBaud = 19200;

struct MasterTimes {
    std::vector<double> transactions, waits;
    std::uint32_t prescribed = 0;
};

void timeMaster(const std::string& device, bool quick, MasterTimes& out) {
    BenchLink link(device, kBaud, quick);
    out.prescribed = link.prescribedWaitMs();
    ModbusMaster master(link.ctx());
    std::array<std::uint16_t, kCount> values{};
    for (int k = 0; k < kWarmUp + kPerRound; ++k) {
        const auto t0 = Stopwatch::now();
        const ExchangeResult r = master.readHoldingRegisters(kStart, kCount, values);
        const double ms = msSince(t0);
        if (r != ExchangeResult{})
            fail("master read: status " + std::to_string(r.status));
        if (k >= kWarmUp)
            out.transactions.push_back(ms);
    }
    out.waits.push_back(link.prescribedWaitAsSleptMs(quick ? 20 : 5));
}

void timeLibmodbus(const std::string& device, std::uint32_t idleMs, std::vector<double>& out) {
    modbus_t* mb = modbus_new_rtu(device.c_str(), static_cast<int>(kBaud), 'N', 8, 1);
    if (!mb || modbus_set_slave(mb, 1) != 0 || modbus_connect(mb) != 0)
        fail("libmodbus cannot open " + device);
    std::array<std::uint16_t, kCount> values{};
    for (int k = 0; k < kWarmUp + kPerRound; ++k) {
        if (idleMs != 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(idleMs));
        const auto t0 = Stopwatch::now();
        const int n = modbus_read_registers(mb, kStart, kCount, values.data());
        const double ms = msSince(t0);
        if (n != kCount)
            fail(std::string("libmodbus read: ") + modbus_strerror(errno));
        if (k >= kWarmUp)
            out.push_back(ms);
    }
    modbus_close(mb);
    modbus_free(mb);
}

} // namespace

int main() {
    test::FlowsimProcess flowsim({"--freeze-time"});
    std::vector<double> backToBack;
    std::vector<double> afterIdle[2]; // idle as long as each end's prescribed wait
    MasterTimes master[2];
    for (int round = 0; round < kRounds; ++round) {
        timeLibmodbus(flowsim.device(), 0, backToBack);
        for (const bool quick : kAnswerEnds) {
            timeMaster(flowsim.device(), quick, master[quick]);
            timeLibmodbus(flowsim.device(), master[quick].prescribed, afterIdle[quick]);
        }
    }
    const double libmodbus = median(backToBack);
    std::printf("FC3 x %u registers from 0x%04X on a pty (flowsim, not paced), %d transactions "
                "each, medians in ms.\nprescribed: what the answer end waits by rule, nominal and "
                "as the system sleeps it; else: the rest.\nlibmodbus back to back: %.3f ms; the "
                "columns on the right compare with libmodbus after the same idle time.\n\n",
                kCount, kStart, kRounds * kPerRound, libmodbus);
    std::printf("%-14s %8s %11s %8s %8s %10s %17s %18s\n", "", "total", "prescribed", "slept",
                "else", "libmodbus", "else / libmodbus", "total / libmodbus");
    for (const bool quick : kAnswerEnds) {
        const MasterTimes& m = master[quick];
        const double total = median(m.transactions);
        const double slept = median(m.waits);
        const double rest = total - slept;
        const double peer = median(afterIdle[quick]);
        std::printf("%-14s %8.3f %11u %8.3f %8.3f %10.3f %17.2f %18.2f\n", answerEndName(quick),
                    total, m.prescribed, slept, rest, peer, rest / peer, total / libmodbus);
    }
    return 0;
}
