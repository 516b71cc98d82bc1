// flowcfg-cli measure against the flowsim program on a real pseudo-terminal.

#include "FlowsimProcess.h"
#include "TestFiles.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace flowcfg::test {
namespace {

namespace fs = std::filesystem;

using Args = std::vector<std::string>;

CommandResult runCli(Args args) {
    args.insert(args.begin(), FLOWCFG_CLI_PATH);
    return runCommand(args);
}

class MeasureCliTest : public ::testing::Test {
protected:
    Args measure(const FlowsimProcess& sim, Args more = {}) const {
        Args args{"measure", "--port", sim.device(), "--dir", dir_.string(), "--interval", "100"};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    TempDir temp_{"flowcfg-measure-cli"};
    const fs::path dir_ = temp_.path();
};

TEST_F(MeasureCliTest, ThreePollsPrintThreeBlocksAndLogThreeLines) {
    FlowsimProcess sim({});
    ASSERT_FALSE(sim.device().empty());
    const fs::path log = dir_ / "log" / "izm.txt";
    fs::create_directories(log.parent_path());
    const CommandResult run =
        runCli(measure(sim, {"--count", "3", "--outputs", "--log", log.string()}));
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* cycles :
         {"Число циклов обмена: 1\n", "Число циклов обмена: 2\n", "Число циклов обмена: 3\n"})
        EXPECT_NE(run.output.find(cycles), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Расход: "), std::string::npos);
    EXPECT_NE(run.output.find("Состояние: Нормальное измерение"), std::string::npos);
    EXPECT_NE(run.output.find("ТОК: "), std::string::npos);
    EXPECT_NE(run.output.find("Число ошибок: 0\n"), std::string::npos);

    const std::string text = readFile(log);
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2)
        ++lines;
    EXPECT_EQ(lines, 3u) << text;
    EXPECT_NE(text.find("  IZM_FLOW_V="), std::string::npos);
    EXPECT_EQ(text.find("\n", 0), text.find("\r\n", 0) + 1); // CR LF, never a bare LF
}

TEST_F(MeasureCliTest, LogFollowsRecentProfile) {
    FlowsimProcess sim({});
    // No recent.prf: the switch defaults to 1 and the log goes to izm.txt in --dir.
    ASSERT_EQ(runCli(measure(sim)).status, 0);
    EXPECT_TRUE(fs::exists(dir_ / "izm.txt"));
    EXPECT_FALSE(fs::exists(dir_ / "recent.prf")); // reading the settings writes nothing

    fs::remove(dir_ / "izm.txt");
    std::ofstream(dir_ / "recent.prf") << "[IZM]\r\nwrite_file=0\r\nizm_file_name=other.txt\r\n";
    const CommandResult run = runCli(measure(sim, {"--count", "2"}));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_FALSE(fs::exists(dir_ / "izm.txt"));
    EXPECT_FALSE(fs::exists(dir_ / "other.txt"));

    std::ofstream(dir_ / "recent.prf") << "[IZM]\r\nwrite_file=1\r\nizm_file_name=other.txt\r\n";
    ASSERT_EQ(runCli(measure(sim)).status, 0);
    EXPECT_TRUE(fs::exists(dir_ / "other.txt"));
}

TEST_F(MeasureCliTest, FailedReadExitsWithTheOutcomeText) {
    FlowsimProcess sim({"--fault", "exception:2"});
    const CommandResult run = runCli(measure(sim, {"--count", "3"}));
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_NE(run.output.find("Устройство сообщает об ошибке: Адрес данных выходит за допустимые "
                              "границы."),
              std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("Число циклов обмена: 2"), std::string::npos);
}

// A file or directory named on the command line that cannot be used stops the command before
// the first poll, and nothing is made in its place.
TEST_F(MeasureCliTest, NamedLogOrDirectoryThatCannotBeUsedIsAnError) {
    FlowsimProcess sim({});
    ASSERT_FALSE(sim.device().empty());
    const fs::path missing = dir_ / "missing";
    struct Case {
        Args args;
        std::string said;
    };
    const Case cases[] = {
        {measure(sim, {"--log", (missing / "x.txt").string()}),
         "--log: файл " + (missing / "x.txt").string() +
             " не открыть для записи: нет такого файла или папки\n"},
        {{"measure", "--port", sim.device(), "--dir", missing.string()}, "--dir: папки "},
        {measure(sim, {"--csv", (missing / "x.csv").string()}),
         "--csv: файл " + (missing / "x.csv").string() +
             " не открыть для записи: нет такого файла или папки\n"},
        {measure(sim, {"--csv", "/dev/full"}),
         "--csv: файл /dev/full не открыть для записи: нет места на диске\n"},
    };
    for (const Case& c : cases) {
        const CommandResult run = runCli(c.args);
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_NE(run.output.find(c.said), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find("Число циклов обмена"), std::string::npos) << run.output;
        EXPECT_FALSE(fs::exists(missing));
    }
    EXPECT_FALSE(fs::exists(dir_ / "izm.txt"));
}

// The CSV has a line per poll, in a file or alone on stdout (the totals go to stderr then).
TEST_F(MeasureCliTest, PollsToCsvInAFileOrAloneOnStdout) {
    FlowsimProcess sim({});
    ASSERT_FALSE(sim.device().empty());
    const fs::path csv = dir_ / "polls.csv";
    ASSERT_EQ(runCli(measure(sim, {"--count", "2", "--csv", csv.string()})).status, 0);
    std::string command;
    for (const std::string& arg : measure(sim, {"--count", "3", "--csv", "-"}))
        command += " '" + arg + "'";
    const CommandResult piped =
        runCommand({"/bin/sh", "-c", std::string(FLOWCFG_CLI_PATH) + command + " 2>/dev/null"});
    ASSERT_EQ(piped.status, 0) << piped.output;

    for (const auto& [text, polls] : {std::pair{readFile(csv), 2}, std::pair{piped.output, 3}}) {
        std::istringstream lines(text);
        std::string line;
        std::getline(lines, line);
        EXPECT_EQ(line, "time,flow,flow_unit,state,volume_sum,volume_forward,volume_reverse,"
                        "volume_modulus,volume_unit,primary_flow_m3_h,current_mA,out1_Hz,"
                        "out2_Hz,status,exchange");
        int n = 0;
        for (; std::getline(lines, line); ++n)
            EXPECT_TRUE(line.find(",Нормальное измерение,") != std::string::npos &&
                        line.ends_with(",0x0000,"))
                << line;
        EXPECT_EQ(n, polls) << text;
    }
}

TEST_F(MeasureCliTest, KeepGoingCountsFailedPollsAndCtrlCEndsWithTheTotals) {
    std::ofstream(dir_ / "dev.dat") << "[SETTINGS]\nTimeOut=200\n";
    std::ofstream(dir_ / "to.dat") << "[TIME_OUTS]\nRTTM19200=1\n"; // silence ends soon
    // Both attempts of the first poll's measured-block read go unanswered.
    FlowsimProcess sim({"--fault", "silent@range=0x0100-0x0130,next=2"});
    const CommandResult run = runCli(measure(sim, {"--count", "3", "--keep-going"}));
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_NE(run.output.find("Опрос 1: Ошибка в обмене.: Ответа не было.\n"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("Число циклов обмена: 3\n"), std::string::npos) << run.output;
    EXPECT_TRUE(run.output.ends_with("\nИтого: циклов обмена 3, ошибок обмена 1, повторов 1, "
                                     "ошибок измерения 0, неудачных опросов 1\n"))
        << run.output;

    // --count 0 polls until Ctrl-C, then ends cleanly with the totals; a counted run that
    // Ctrl-C cuts short exits 130.
    for (const auto& [count, exit] : {std::pair{"0", 0}, std::pair{"1000", 130}}) {
        // A file of its own per run: the last run's marker must not end the wait at once.
        const fs::path output = dir_ / ("cli-output-" + std::string(count) + ".txt");
        Args args = measure(sim, {"--count", count});
        args.insert(args.begin(), FLOWCFG_CLI_PATH);
        const int pid = spawn(args, output.string());
        ASSERT_GT(pid, 0);
        const int status = interruptOnceSeen(pid, output.string(), "Число циклов обмена: 3", 0);
        const std::string text = readFile(output);
        EXPECT_EQ(status, exit) << text;
        EXPECT_NE(text.find("\nИтого: циклов обмена "), std::string::npos) << text;
        EXPECT_NE(text.find(", неудачных опросов 0\n"), std::string::npos) << text;
    }
}

} // namespace
} // namespace flowcfg::test
