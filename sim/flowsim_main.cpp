// flowsim: a simulated flowmeter, a Modbus RTU slave on a pseudo-terminal. Prints the device
// path as its first line, then serves until SIGINT or SIGTERM, which end it within a fraction
// of a second whatever fault is running. At the end it prints what it did on stderr and, with
// --stats, into a file of key=value lines.
//
//   flowsim --link /tmp/meter -v                       # a meter at address 1, 19200 8N1
//   flowcfg-cli --port /tmp/meter ...                  # or mbpoll, pymodbus, the tool itself
//   flowsim --fixed-flow 25.5 --float-order 3          # predictable flow, reversed singles
//   flowsim --fault crc@p=0.1 --fault delay:1500@next=2 --seed 7    # a bad line
//   flowsim --freeze-time                              # registers that never change by themselves
//   flowsim --addresses 1-3 --meter address=4,parity=even   # four meters on one line

#include "sim/BusOptions.h"
#include "sim/FaultPlan.h"
#include "sim/MeterBus.h"
#include "sim/PtyServer.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

std::atomic<bool> g_stop{false};

extern "C" void onSignal(int) {
    g_stop.store(true);
}

// Decimal or 0x-prefixed hexadecimal 16-bit word.
std::string parseWord(const std::string& text, std::uint16_t& out) {
    std::string_view s = text;
    int base = 10;
    if (s.starts_with("0x") || s.starts_with("0X")) {
        s.remove_prefix(2);
        base = 16;
    }
    unsigned v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v, base);
    if (s.empty() || r.ec != std::errc{} || r.ptr != s.data() + s.size() || v > 0xFFFF)
        return "not a 16-bit number: " + text;
    out = static_cast<std::uint16_t>(v);
    return {};
}

constexpr const char* kFooter = R"(
One meter by default: address 1, 19200 baud, no parity, hearing the master whatever its line
settings unless --check-line is given.

Several meters on one line, as on an RS-485 bus: --addresses and --meter (instead of -a) put
meters on the line, each with its own registers, address, speed and parity (defaults -b, -P).
Meter k (0, 1, ... in the order --addresses, then --meter) has factory number 260417+k,
0x1700 = 0x0C05+k and coefficient C (0x170E) = -4.183e-12 x (1+k/10). A meter hears only a
master whose speed, parity and character size (8 bits) are its own, else the frame is noise to
it: a pty carries bytes, not bit timing, so flowsim compares the settings the master gave the
device (tcgetattr) with each meter's. A Linux pty drops PARENB; parity is seen from INPCK (set
by masters that ask for parity: flowcfg, libmodbus) or PARODD (odd). The meter a request is addressed to answers; a broadcast
(address 0) is taken by every meter that hears it and answered by none; a network write
(0x0408..0x040A) moves only its meter, after the answer. --fault applies to every meter,
--meter-fault to the meter(s) at one address.
  flowsim --addresses 1-3                                  three meters at 19200 8N1
  flowsim --addresses 1,2 --meter address=3,parity=even    the third at 19200 8E1
  flowsim --meter address=5,baud=9600 --meter address=6,baud=115200,parity=odd
  flowsim --addresses 1-3 --meter-fault 2:silent           meter 2 never answers

Writes: settings and commands are taken only while both parameter locks (USERLOCK 0x04FE,
CLBLOCK 0x04FF) hold 1, else exception 4; the blink 0x0416 and the locks themselves are written
at any time; a restart (0x0419) sets the locks again. --protect only reports write protection
(bit 15 of 0x012C): writes are still taken after the unlock (the tool warns the user). A read
of a command register (0x0416, 0x0419, 0x07A3, 0x1101, 0x1102..0x1103) or of an address outside
the meter's groups answers exception 2; a value the meter cannot take (address 0, speed code
outside 3..10, parity above 2, day or month of manufacture out of range, password above 9999,
...) answers exception 3, and nothing of that request is stored.

What the meter keeps and does: clock 0x0420..0x0425 (running; set by FC16, runs on from the
time set; starts at the computer's local time, or 2026-12-07 12:00:00 with --freeze-time);
identity, versions, date 0x0400..0x0407; password 0x04F0 (1234); connector protocol 0x1100
(written as two words, the second 0; read as one); electrode cleaning 0x0540..0x0547, commands
0x0546 (2 on, 4 off; reads 2 or 4) and 0x07A3 (1 on, 0 off) setting bit 14 of the flow status
word; emulation 0x103B (mode 1 fixed, 2 swing; other modes kept, normal operation); error
permissions 0x10A0..0x10D9; empty pipe 0x1099; external sensors 0x0200..0x020D computed through
the calibration 0x1700..0x171A and the adjustment 0x1904..0x1907; vortex amplitude 0x5008 and
its cut-off 0x5506; calibration coefficients 0x7DFF (count in the high byte: 8) and
0x7E00..0x7E4F.)";

// A finite number within +-limit (CLI11's own range check lets NaN through).
CLI::Validator finiteWithin(double limit, std::string limitText) {
    return CLI::Validator(
        [limit, limitText](std::string& text) -> std::string {
            double v = 0;
            const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
            if (r.ec != std::errc{} || r.ptr != text.data() + text.size() || !std::isfinite(v) ||
                std::fabs(v) > limit)
                return "not a finite number within +-" + limitText + ": " + text;
            return {};
        },
        "NUMBER");
}

using Counts = std::vector<std::pair<const char*, std::uint64_t>>;

// The faults that hit a meter, by kind, as the exit line and --stats name them.
Counts faultsOf(const flowcfg::sim::SlaveCounts& c) {
    return {{"silent", c.silent},        {"truncated", c.truncated}, {"crc", c.badCrc},
            {"address", c.otherAddress}, {"exception", c.exception}, {"delayed", c.delayed},
            {"garbage", c.garbage}};
}

// The line flowsim ends with for one meter: "stopped after 12 requests (10 answered, 0 not
// heard; 2 with faults: silent 1, crc 1), 0 blinks, 0 restarts"; faults only when any hit.
std::string exitLine(const flowcfg::sim::MeterBus& bus, std::size_t i) {
    const flowcfg::sim::SlaveCounts& c = bus.slave(i).counts();
    std::ostringstream out;
    out << "stopped after " << c.requests << " requests (" << c.answered << " answered, "
        << bus.unheardFrames(i) << " not heard";
    if (c.faulted != 0) {
        out << "; " << c.faulted << " with faults:";
        const char* separator = " ";
        for (const auto& [kind, n] : faultsOf(c)) {
            if (n != 0)
                out << std::exchange(separator, ", ") << kind << ' ' << n;
        }
    }
    out << "), " << bus.slave(i).meter().blinks() << " blinks, " << bus.slave(i).meter().restarts()
        << " restarts";
    return out.str();
}

// --stats: key=value lines; with several meters each key is prefixed "meterK." (K = 0, 1, ...).
std::string statsText(const flowcfg::sim::MeterBus& bus) {
    std::ostringstream out;
    for (std::size_t i = 0; i < bus.size(); ++i) {
        const flowcfg::sim::SlaveCounts& c = bus.slave(i).counts();
        const flowcfg::sim::Meter& meter = bus.slave(i).meter();
        Counts counts{{"requests", c.requests}, {"answered", c.answered}, {"faulted", c.faulted}};
        for (const auto& kind : faultsOf(c))
            counts.push_back(kind);
        counts.insert(counts.end(), {{"bad_frames", c.badFrames},
                                     {"foreign_frames", c.foreignFrames},
                                     {"not_heard", bus.unheardFrames(i)},
                                     {"writes", c.writes},
                                     {"blinks", meter.blinks()},
                                     {"restarts", meter.restarts()}});
        for (const auto& [name, n] : counts) {
            if (bus.size() > 1)
                out << "meter" << i << '.';
            out << name << '=' << n << '\n';
        }
    }
    return out.str();
}

} // namespace

int main(int argc, char** argv) {
    using namespace flowcfg::sim;
    CLI::App app{"flowsim: a simulated flowmeter on a pseudo-terminal (Modbus RTU slave). Prints "
                 "the device path, serves until SIGINT or SIGTERM (which end it at once, also "
                 "during a delayed or paced answer), then prints what each meter did."};
    app.footer(kFooter);
    MeterConfig config;
    unsigned address = 1, floatOrder = 0;
    std::uint32_t baud = 19200;
    std::string parity = "none", statusHi = "0", statusLo = "0", link, statsFile;
    std::vector<std::string> faultTexts, meterOptions, meterFaultTexts;
    std::string addressList;
    std::vector<double> swing;
    double fixedFlow = 0;
    std::uint64_t seed = 1;
    bool verbose = false;
    ServeOptions serve;

    auto* addressOption = app.add_option("-a,--address", address, "Modbus address (1..247)")
                              ->check(CLI::Range(1, 247))
                              ->capture_default_str();
    app.add_option("--addresses", addressList,
                   "meters on the line at these addresses, e.g. 1,2,5-7")
        ->excludes(addressOption);
    app.add_option("--meter", meterOptions, "a meter on the line: address=A[,baud=B][,parity=P]")
        ->excludes(addressOption);
    app.add_option("-b,--baud", baud, "meter's speed: 1200..115200 (paces answers, --check-line)")
        ->check(CLI::IsMember({1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200}))
        ->capture_default_str();
    app.add_option("-P,--parity", parity, "meter's parity")
        ->check(CLI::IsMember({"none", "odd", "even"}))
        ->capture_default_str();
    app.add_option("--archive-frames", config.archiveFrames, "frames in the archive at start")
        ->check(CLI::Range(0U, 131080U))
        ->capture_default_str();
    app.add_option("--frames-per-block", config.framesPerBlock, "archive frames per block")
        ->check(CLI::Range(1, 10))
        ->capture_default_str();
    app.add_option("--archive-interval", config.archiveIntervalSec,
                   "seconds between archive frames, 0 = no recording")
        ->check(CLI::Range(0, 3600))
        ->capture_default_str();
    app.add_option("--float-order", floatOrder, "byte order of the measured block's singles")
        ->check(CLI::Range(0, 3))
        ->capture_default_str();
    app.add_flag("--protect", config.writeProtected, "report write protection (0x012C bit 15)");
    app.add_option("--flow-status-hi", statusHi, "bits always set in the flow status word 0x0103");
    app.add_option("--flow-status-lo", statusLo, "bits always set in the flow error word 0x0104");
    app.add_option("--fixed-flow", fixedFlow, "emulate a fixed flow, m3/h (|flow| <= 1e7)")
        ->check(finiteWithin(1e7, "1e7"));
    app.add_option("--swing", swing,
                   "emulate a swing: MIN MAX (|value| <= 1e7) HALF_PERIOD_MS (0..65535)")
        ->expected(3)
        ->check(finiteWithin(1e7, "1e7"));
    app.add_option("--fault", faultTexts,
                   std::string("KIND[:PARAM][@SCOPE,...]; KIND silent, truncate[:N], crc, "
                               "address, exception:CODE, delay:MS, garbage[:N]; SCOPE next=K, "
                               "range=A-B, p=P. Bounds: ") +
                       flowcfg::sim::kFaultLimitsText);
    app.add_option("--meter-fault", meterFaultTexts, "ADDRESS:RULE, a --fault for one meter");
    app.add_option("--seed", seed, "seed of the fault probabilities and garbage")
        ->capture_default_str();
    app.add_flag("--pace", serve.pace, "send answers at the line's character time");
    app.add_flag("--freeze-time", serve.freezeTime,
                 "keep the meter's time at 0 (predictable values, no recording)");
    bool checkLine = false;
    app.add_flag("--check-line", checkLine,
                 "ignore requests when the device's speed or parity differ from the meter's "
                 "(always so with --addresses or --meter)");
    app.add_option("--link", link, "also make a symbolic link PATH to the device");
    app.add_flag("-v,--verbose", verbose, "print each request and answer in hex on stderr");
    app.add_option("--stats", statsFile,
                   "at the end write the counts into FILE as key=value lines: requests, "
                   "answered, faulted, then the faults by kind (silent, truncated, crc, "
                   "address, exception, delayed, garbage), bad_frames, foreign_frames, "
                   "not_heard, writes (FC16 frames taken), blinks, restarts; with several meters "
                   "each key is prefixed "
                   "meterK. (K = 0, 1, ... as in the exit lines)");
    CLI11_PARSE(app, argc, argv);
    if (swing.size() == 3 && !(swing[2] >= 0 && swing[2] <= 65535)) {
        std::cerr << "flowsim: --swing: the half period must be 0..65535 ms\n";
        return 2;
    }

    config.address = static_cast<std::uint8_t>(address);
    config.speedCode = speedCodeOf(baud);
    config.parity = parityOf(parity).value_or(0);
    config.floatOrder = static_cast<std::uint16_t>(floatOrder);
    for (const auto& [text, out] :
         {std::pair{statusHi, &config.flowStatusHi}, std::pair{statusLo, &config.flowStatusLo}}) {
        if (const std::string error = parseWord(text, *out); !error.empty()) {
            std::cerr << "flowsim: " << error << '\n';
            return 2;
        }
    }
    if (!serve.freezeTime) { // the meter's clock starts at the computer's local time
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        if (localtime_r(&now, &local))
            config.clock = CivilTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                     local.tm_hour,        local.tm_min,     local.tm_sec};
    }
    const auto fail = [](const std::string& what) {
        std::cerr << "flowsim: " << what << '\n';
        return 2;
    };
    std::vector<MeterConfig> meters;
    std::string error;
    if (!addressList.empty()) {
        const auto addresses = parseAddressList(addressList, error);
        if (!addresses)
            return fail("--addresses " + addressList + ": " + error);
        for (const std::uint8_t a : *addresses) {
            meters.push_back(config);
            meters.back().address = a;
        }
    }
    for (const auto& option : meterOptions) {
        const auto meter = parseMeterOption(option, config, error);
        if (!meter)
            return fail("--meter " + option + ": " + error);
        meters.push_back(*meter);
    }
    const bool several = !meters.empty();
    if (!several)
        meters.push_back(config);
    for (std::size_t i = 0; i < meters.size(); ++i)
        meters[i].position = static_cast<std::uint16_t>(i);
    if (const std::string clash = checkBus(meters); !clash.empty())
        return fail(clash);

    std::vector<std::pair<std::uint8_t, FaultRule>> faults; // address 0: every meter
    for (const auto& text : faultTexts) {
        const auto rule = FaultPlan::parse(text, error);
        if (!rule)
            return fail("--fault " + text + ": " + error);
        faults.emplace_back(0, *rule);
    }
    for (const auto& text : meterFaultTexts) {
        const auto target = parseMeterFault(text, error);
        const auto rule = target ? FaultPlan::parse(target->second, error) : std::nullopt;
        if (!rule)
            return fail("--meter-fault " + text + ": " + error);
        if (std::none_of(meters.begin(), meters.end(),
                         [&](const MeterConfig& m) { return m.address == target->first; }))
            return fail("--meter-fault " + text + ": no meter at that address");
        faults.emplace_back(target->first, *rule);
    }

    MeterBus bus(checkLine || several);
    for (std::size_t i = 0; i < meters.size(); ++i) {
        MeterSlave& slave = bus.add(meters[i], seed + i);
        for (const auto& [at, rule] : faults)
            if (at == 0 || at == meters[i].address)
                slave.faults().add(rule);
        Meter& meter = slave.meter();
        // Emulation settings as the tool would write them (the meter's own registers).
        if (app.count("--fixed-flow")) {
            meter.setReg(reg::kEmulationMode, 1);
            meter.setFloat(reg::kEmulationFixed, static_cast<float>(fixedFlow));
        } else if (swing.size() == 3) {
            meter.setReg(reg::kEmulationMode, 2);
            meter.setFloat(reg::kEmulationMin, static_cast<float>(swing[0]));
            meter.setFloat(reg::kEmulationMax, static_cast<float>(swing[1]));
            meter.setReg(reg::kEmulationHalfPeriod,
                         static_cast<std::uint16_t>(std::clamp(swing[2], 0.0, 65535.0)));
        }
        meter.refresh();
    }

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        PtyServer pty;
        if (!link.empty()) {
            std::error_code ec;
            std::filesystem::remove(link, ec); // a stale link from an earlier run
            std::filesystem::create_symlink(pty.slavePath(), link, ec);
            if (ec) {
                std::cerr << "flowsim: cannot make the link " << link << ": " << ec.message()
                          << '\n';
                return 1;
            }
        }
        std::cout << pty.slavePath() << std::endl;
        if (verbose)
            serve.verbose = &std::cerr;
        pty.serve(bus, serve, g_stop);
        if (!link.empty()) {
            std::error_code ec;
            std::filesystem::remove(link, ec);
        }
    } catch (const std::exception& e) {
        std::cerr << "flowsim: " << e.what() << '\n';
        if (!link.empty()) {
            std::error_code ec;
            std::filesystem::remove(link, ec);
        }
        return 1;
    }
    for (std::size_t i = 0; i < bus.size(); ++i) {
        std::cerr << "flowsim: ";
        if (several)
            std::cerr << "meter " << i << " at address " << int{meters[i].address} << ": ";
        std::cerr << exitLine(bus, i) << '\n';
    }
    if (!statsFile.empty()) {
        std::ofstream out(statsFile, std::ios::trunc);
        out << statsText(bus);
        if (!out.flush()) {
            std::cerr << "flowsim: cannot write " << statsFile << '\n';
            return 1;
        }
    }
    return 0;
}
