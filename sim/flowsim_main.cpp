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

#include "sim/FaultPlan.h"
#include "sim/MeterSlave.h"
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

// The counts as key=value lines: flowsim's own record of what it did.
std::string countsText(const flowcfg::sim::SlaveCounts& c, const flowcfg::sim::Meter& meter) {
    std::ostringstream out;
    out << "requests=" << c.requests << "\nanswered=" << c.answered << "\nfaulted=" << c.faulted
        << "\nsilent=" << c.silent << "\ntruncated=" << c.truncated << "\ncrc=" << c.badCrc
        << "\naddress=" << c.otherAddress << "\nexception=" << c.exception
        << "\ndelayed=" << c.delayed << "\ngarbage=" << c.garbage << "\nbad_frames=" << c.badFrames
        << "\nforeign_frames=" << c.foreignFrames << "\nblinks=" << meter.blinks()
        << "\nrestarts=" << meter.restarts() << "\n";
    return out.str();
}

std::uint16_t speedCodeOf(std::uint32_t baud) {
    constexpr std::uint32_t kBauds[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    for (std::uint16_t i = 0; i < 8; ++i)
        if (kBauds[i] == baud)
            return static_cast<std::uint16_t>(i + 3);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    using namespace flowcfg::sim;
    CLI::App app{"flowsim: a simulated flowmeter on a pseudo-terminal (Modbus RTU slave). Prints "
                 "the device path, serves until SIGINT or SIGTERM (which end it at once, also "
                 "during a delayed answer), then prints its counts."};
    MeterConfig config;
    unsigned address = 1, floatOrder = 0;
    std::uint32_t baud = 19200;
    std::string parity = "none", statusHi = "0", statusLo = "0", link, statsFile;
    std::vector<std::string> faultTexts;
    std::vector<double> swing;
    double fixedFlow = 0;
    std::uint64_t seed = 1;
    bool verbose = false;
    ServeOptions serve;

    app.add_option("-a,--address", address, "Modbus address (1..247)")
        ->check(CLI::Range(1, 247))
        ->capture_default_str();
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
    app.add_option("--seed", seed, "seed of the fault probabilities and garbage")
        ->capture_default_str();
    app.add_flag("--pace", serve.pace, "send answers at the line's character time");
    app.add_flag("--freeze-time", serve.freezeTime,
                 "keep the meter's time at 0 (predictable values, no recording)");
    app.add_flag("--check-line", serve.checkLine,
                 "ignore requests when the device's speed or parity differ from the meter's");
    app.add_option("--link", link, "also make a symbolic link PATH to the device");
    app.add_flag("-v,--verbose", verbose, "print each request and answer in hex on stderr");
    app.add_option("--stats", statsFile,
                   "at the end write the counts into FILE as key=value lines: requests, "
                   "answered, faulted, then the faults by kind (silent, truncated, crc, "
                   "address, exception, delayed, garbage), bad_frames, foreign_frames, "
                   "blinks, restarts");
    CLI11_PARSE(app, argc, argv);
    if (swing.size() == 3 && !(swing[2] >= 0 && swing[2] <= 65535)) {
        std::cerr << "flowsim: --swing: the half period must be 0..65535 ms\n";
        return 2;
    }

    config.address = static_cast<std::uint8_t>(address);
    config.speedCode = speedCodeOf(baud);
    config.parity = parity == "odd" ? 1 : parity == "even" ? 2 : 0;
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
    MeterSlave slave(config, seed);
    for (const auto& text : faultTexts) {
        std::string error;
        const auto rule = FaultPlan::parse(text, error);
        if (!rule) {
            std::cerr << "flowsim: --fault " << text << ": " << error << '\n';
            return 2;
        }
        slave.faults().add(*rule);
    }
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
        pty.serve(slave, serve, g_stop);
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
    const SlaveCounts& c = slave.counts();
    std::cerr << "flowsim: stopped after " << c.requests << " requests (" << c.faulted
              << " with faults), " << meter.blinks() << " blinks, " << meter.restarts()
              << " restarts\n";
    if (!statsFile.empty()) {
        std::ofstream out(statsFile, std::ios::trunc);
        out << countsText(c, meter);
        if (!out.flush()) {
            std::cerr << "flowsim: cannot write " << statsFile << '\n';
            return 1;
        }
    }
    return 0;
}
