// A soak of the measurement poll against flowsim on a real pseudo-terminal, with faults on
// the line: N polls of the "ИЗМЕРЕНИЕ" page's logic while flowsim damages the answers to the
// measured block (bad CRC, silence, truncation, exception answers) at random but seeded. At
// the end the tool's counters are held against flowsim's own count of what it did, and the
// resident memory at the start and the end is reported, as are the sizes of the exchange log
// and its older part (the log runs with a small size limit, so it turns over).
//
//   fault_soak [--polls N] [--seed S] [--fault-percent P] [--every K]
//
// Not a test with a time limit: it reports and exits 1 on any mismatch. The link runs with
// short time-outs from its own dev.dat and to.dat (a pty answers at once), and the pause
// before a repeat is cut to 20 ms; neither changes what is counted.
//
// With two attempts per read and every fault repeated, each poll whose first attempt met a
// fault counts one exchange error and one repeat, and fails when the repeat met one too:
//   flowsim requests = polls x 2 + repeats     (measured block and primary flow per poll)
//   flowsim faulted  = repeats + failed polls
//   exchange errors  = repeats

#include "FlowsimProcess.h"
#include "link/LinkContext.h"
#include "link/LinkSettings.h"
#include "link/Ports.h"
#include "measure/MeasurePanel.h"
#include "platform/PosixSerialPort.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using namespace flowcfg;
namespace fs = std::filesystem;

// The window's pump, but without a window: the repeat pause is cut short.
class ShortPausePump final : public EventPump {
public:
    void processEvents() override {}
    void pauseMs(std::uint32_t ms, PauseTimer) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<std::uint32_t>(ms, 20)));
    }
};

// Counts the boxes; a poll shows none unless the port vanished.
class CountingDialogs final : public Dialogs {
public:
    void message(const std::string& caption, const std::string& text, DialogIcon) override {
        ++boxes;
        std::cerr << "box: " << caption << ": " << text << '\n';
    }
    bool askYesNo(const std::string&, const std::string&, DialogIcon, DefaultAnswer) override {
        return false;
    }
    std::optional<std::string> chooseOpenFile() override { return std::nullopt; }
    std::optional<std::string> chooseSaveFile() override { return std::nullopt; }
    int boxes = 0;
};

long residentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

std::map<std::string, std::uint64_t> readStats(const fs::path& file) {
    std::map<std::string, std::uint64_t> stats;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq != std::string::npos)
            stats[line.substr(0, eq)] = std::strtoull(line.c_str() + eq + 1, nullptr, 10);
    }
    return stats;
}

struct Options {
    std::uint64_t polls = 10000;
    std::uint64_t seed = 1;
    double faultPercent = 10; // of the measured-block requests, spread over four kinds
    std::uint64_t every = 1000;
};

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; i += 2) {
        const std::string key = argv[i];
        if (i + 1 == argc) // also --help: a lone word must not start a five-minute run
            throw std::runtime_error(
                "usage: fault_soak [--polls N] [--seed S] [--fault-percent P] [--every K]");
        const char* value = argv[i + 1];
        if (key == "--polls")
            o.polls = std::strtoull(value, nullptr, 10);
        else if (key == "--seed")
            o.seed = std::strtoull(value, nullptr, 10);
        else if (key == "--fault-percent")
            o.faultPercent = std::strtod(value, nullptr);
        else if (key == "--every")
            o.every = std::max<std::uint64_t>(1, std::strtoull(value, nullptr, 10));
        else
            throw std::runtime_error("unknown option " + key);
    }
    return o;
}

constexpr std::uint32_t kLogLimitKb = 256;

void writeSettings(const fs::path& dir, const std::string& device) {
    std::ofstream(dir / "dev.dat") << "[COM_SETTINGS]\nNumber=1\nSettings=19200,N,8,1\n"
                                   << "[SETTINGS]\nTimeOut=100\nReask_val=2\n"
                                   << "[LOG]\nUseLogFile=1\nLogFileMaxKB=" << kLogLimitKb << "\n"
                                   << "[PORTS]\nCOM1=" << device << "\n";
    std::ofstream(dir / "to.dat") << "[TIME_OUTS]\nRTTM19200=1\nRIT19200=10\n";
}

} // namespace

int main(int argc, char** argv) try {
    const Options o = parse(argc, argv);
    const fs::path dir = fs::temp_directory_path() / ("flowcfg-soak-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path statsFile = dir / "flowsim.stats";

    const std::string p = std::to_string(o.faultPercent / 400);
    const std::string range = "range=0x0100-0x0130,p=" + p;
    test::FlowsimProcess sim({"--seed", std::to_string(o.seed), "--stats", statsFile.string(),
                              "--fault", "crc@" + range, "--fault", "silent@" + range, "--fault",
                              "truncate@" + range, "--fault", "exception:4@" + range});
    writeSettings(dir, sim.device());

    PosixSerialDevices devices;
    ShortPausePump pump;
    SystemClock clock;
    CountingDialogs dialogs;
    LinkContext ctx(devices, pump, clock, dialogs);
    ctx.settings = readLinkSettings(dir);
    ctx.timeouts = readTimeoutTable(dir);
    if (!openPort(ctx, true))
        return 1;

    DeviceImage image;
    image.izm_i_f_diskr.use = 0; // two reads per poll: the measured block and the primary flow
    MeasurePanel panel(ctx, image, {false, {}});
    PollTotals totals;
    long rssStart = 0;
    const auto started = std::chrono::steady_clock::now();
    for (std::uint64_t n = 1; n <= o.polls; ++n) {
        const PollCounters before = panel.counters();
        panel.pollOnce();
        totals.add(before, panel.counters());
        if (!panel.values().measuredResult.transportOk())
            ++totals.failedPolls;
        if (n == 1)
            rssStart = residentKb();
        if (n % o.every == 0)
            std::cout << n << " polls, " << totals.exchangeErrors << " errors" << std::endl;
    }
    const long rssEnd = residentKb();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    closePort(ctx);
    const int simStatus = sim.stop();
    auto stats = readStats(statsFile);

    int mismatches = 0;
    const auto check = [&](const char* what, std::uint64_t tool, std::uint64_t flowsim) {
        const bool same = tool == flowsim;
        mismatches += !same;
        std::printf("  %-40s %8llu = %8llu  %s\n", what, (unsigned long long)tool,
                    (unsigned long long)flowsim, same ? "ok" : "MISMATCH");
    };
    const auto holds = [&](const char* what, bool ok) {
        mismatches += !ok;
        std::printf("  %-40s %s\n", what, ok ? "ok" : "MISMATCH");
    };
    std::printf("fault soak: %llu polls in %.0f s, seed %llu, faults on %.1f %% of the "
                "measured-block requests\n",
                (unsigned long long)o.polls, seconds, (unsigned long long)o.seed, o.faultPercent);
    std::printf("flowsim: requests %llu, answered %llu, faulted %llu (silent %llu, truncated "
                "%llu, crc %llu, exception %llu), exit %d\n",
                (unsigned long long)stats["requests"], (unsigned long long)stats["answered"],
                (unsigned long long)stats["faulted"], (unsigned long long)stats["silent"],
                (unsigned long long)stats["truncated"], (unsigned long long)stats["crc"],
                (unsigned long long)stats["exception"], simStatus);
    std::printf("tool: cycles %llu, exchange errors %llu, repeats %llu, measurement errors %llu, "
                "failed polls %llu, boxes %d\n",
                (unsigned long long)totals.cycles, (unsigned long long)totals.exchangeErrors,
                (unsigned long long)totals.retries, (unsigned long long)totals.measurementErrors,
                (unsigned long long)totals.failedPolls, dialogs.boxes);
    check("cycles = polls", totals.cycles, o.polls);
    check("requests = polls x 2 + repeats", totals.cycles * 2 + totals.retries, stats["requests"]);
    check("faulted = repeats + failed polls", totals.retries + totals.failedPolls,
          stats["faulted"]);
    check("exchange errors = repeats", totals.exchangeErrors, totals.retries);
    holds("no box, flowsim ended by SIGTERM", dialogs.boxes == 0 && simStatus == 0);

    const auto sizeOf = [](const fs::path& file) {
        std::error_code ec;
        const auto size = fs::file_size(file, ec);
        return ec ? std::uintmax_t{0} : size;
    };
    const fs::path log = ctx.settings.logPath();
    const auto logSize = sizeOf(log);
    const auto olderSize = sizeOf(fs::path(log) += ".1");
    const std::uint64_t limit = std::uint64_t{kLogLimitKb} * 1024;
    holds("COM.txt and COM.txt.1 within the limit", logSize <= limit && olderSize <= limit);
    holds("RSS grew by less than 2 MB", rssEnd - rssStart < 2048);
    std::printf("COM.txt %llu bytes, COM.txt.1 %llu bytes (limit %llu)\n",
                (unsigned long long)logSize, (unsigned long long)olderSize,
                (unsigned long long)limit);
    std::printf("RSS: %ld kB after the first poll, %ld kB at the end\n", rssStart, rssEnd);
    std::printf("mismatches: %d\n", mismatches);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return mismatches == 0 ? 0 : 1;
} catch (const std::exception& e) {
    std::cerr << "fault_soak: " << e.what() << '\n';
    return 1;
}
