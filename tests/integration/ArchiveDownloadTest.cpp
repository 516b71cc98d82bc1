// flowcfg-cli archive against the flowsim program on a real pseudo-terminal: a download through
// injected line faults, and Ctrl-C in the middle of a paced download.

#include "FlowsimProcess.h"
#include "TestFiles.h"
#include "sim/Meter.h"
#include "tests/archive/ReferenceLine.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace flowcfg::test {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

std::vector<std::string> linesOf(const fs::path& p) {
    const std::string text = readFile(p);
    std::vector<std::string> lines;
    std::size_t begin = 0;
    for (std::size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1)
        lines.push_back(text.substr(begin, end + 1 - begin));
    return lines;
}

// flowsim dates its history from the wall clock at start: the expected line is the reference
// frame with the date and time of the downloaded line (bytes 4..9) and its checksum redone.
std::string expectedLine(const sim::ArchiveFrameBytes& reference, const std::string& line) {
    sim::ArchiveFrameBytes frame = reference;
    unsigned hour = 0, min = 0, sec = 0, day = 0, month = 0, year = 0;
    if (std::sscanf(line.c_str(),
                    "frame_num %*u\t hour %u\t min %u\t sec %u\t day %u\t month %u\t year %u",
                    &hour, &min, &sec, &day, &month, &year) != 6)
        return "(no time in the line)";
    const unsigned fields[] = {hour, min, sec, day, month, year - 2000};
    unsigned sum = 0;
    for (std::size_t i = 0; i < 6; ++i)
        frame[4 + i] = static_cast<std::uint8_t>(fields[i]);
    for (std::size_t i = 0; i < 101; ++i)
        sum += frame[i];
    frame[101] = static_cast<std::uint8_t>(sum);
    return referenceLine(frame);
}

// The frames flowsim starts with, from the same slave logic in this process.
sim::Meter referenceMeter(std::uint32_t frames) {
    sim::MeterConfig config;
    config.archiveFrames = frames;
    config.archiveIntervalSec = 0;
    return sim::Meter(config);
}

class ArchiveDownloadTest : public ::testing::Test {
protected:
    ArchiveDownloadTest() {
        // Three attempts per transaction, so a damaged counter read is repeated too.
        std::ofstream(dir_ / "dev.dat") << "[SETTINGS]\nReask_val=3\n";
    }
    Args archive(const FlowsimProcess& sim, Args more = {}) const {
        Args args{FLOWCFG_CLI_PATH, "archive", "--port", sim.device(), "--dir", dir_.string()};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    std::vector<fs::path> exports() const {
        std::vector<fs::path> out;
        for (const auto& e : fs::directory_iterator(dir_))
            if (e.path().filename().string().ends_with("_frames.txt"))
                out.push_back(e.path());
        return out;
    }
    TempDir temp_{"flowcfg-archive-cli"};
    const fs::path dir_ = temp_.path();
};

TEST_F(ArchiveDownloadTest, DownloadThroughLineFaultsMatchesTheMetersFrames) {
    FlowsimProcess sim({"--archive-frames", "205", "--archive-interval", "0", "--seed", "7",
                        "--fault", "crc@p=0.15", "--fault", "truncate:300@p=0.1", "--fault",
                        "garbage:40@p=0.05", "-v"});
    ASSERT_FALSE(sim.device().empty());
    const CommandResult run = runCommand(archive(sim, {"--frames", "all"}), 120);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Чтение закончено"), std::string::npos) << run.output;
    const auto files = exports();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(files[0].filename().string().starts_with("frames_txt_"));
    EXPECT_TRUE(files[0].filename().string().ends_with("_205_frames.txt"));
    EXPECT_NE(run.output.find(files[0].string()), std::string::npos);

    const sim::Meter meter = referenceMeter(205);
    const auto lines = linesOf(files[0]);
    ASSERT_EQ(lines.size(), 205u);
    for (std::uint32_t i = 0; i < 205; ++i)
        ASSERT_EQ(lines[i], expectedLine(meter.archive().frame(i), lines[i])) << "frame " << i;
    // The faults did hit: more block requests than the 21 blocks.
    const std::string trace = sim.log();
    std::size_t blockRequests = 0;
    for (std::size_t at = 0; (at = trace.find("<- 01 19 ", at)) != std::string::npos; ++at)
        ++blockRequests;
    EXPECT_GT(blockRequests, 21u);
}

TEST_F(ArchiveDownloadTest, CtrlCStopsAndStillWritesWhatWasRead) {
    // Paced at 19200 baud a block takes over half a second: 100 blocks take nearly a minute.
    FlowsimProcess sim({"--archive-frames", "1000", "--archive-interval", "0", "--pace"});
    ASSERT_FALSE(sim.device().empty());
    const fs::path output = dir_ / "cli-output.txt";
    const pid_t pid = spawn(archive(sim, {"--frames", "all"}), output);
    ASSERT_GT(pid, 0);
    // Once the transfer runs, give it a few blocks' time, then press Ctrl-C.
    const int status = interruptOnceSeen(pid, output.string(), "Перенос архива", 2000);
    const std::string text = readFile(output);
    EXPECT_EQ(status, 130) << text;

    const auto files = exports();
    ASSERT_EQ(files.size(), 1u) << text;
    EXPECT_TRUE(files[0].filename().string().starts_with("frames_txt.txt_"));
    EXPECT_TRUE(files[0].filename().string().ends_with("_1000_frames.txt"));
    // Only the blocks read: the meter's frames and no zero records after them.
    const auto lines = linesOf(files[0]);
    EXPECT_GE(lines.size(), 10u);
    EXPECT_LT(lines.size(), 1000u);
    EXPECT_EQ(lines.size() % 10, 0u);
    const sim::Meter meter = referenceMeter(1000);
    for (std::size_t i = 0; i < lines.size(); ++i)
        ASSERT_EQ(lines[i],
                  expectedLine(meter.archive().frame(static_cast<std::uint32_t>(i)), lines[i]))
            << i;
    EXPECT_NE(text.find("Чтение остановлено (прочитано кадров: " + std::to_string(lines.size()) +
                        " из 1000)"),
              std::string::npos)
        << text;
}

} // namespace
} // namespace flowcfg::test
