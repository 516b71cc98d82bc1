// flowcfg-cli scan against three flowsim meters at different addresses, speeds and parities on
// one pty: each meter hears only a master at its own speed and parity, as on a real line.

#include "FlowsimProcess.h"
#include "TestFiles.h"

#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace flowcfg::test {
namespace {

TEST(ScanCliTest, FindsExactlyTheMetersOnTheLineAndWritesNothing) {
    TempDir temp("flowcfg-scan-cli");
    const std::string stats = (temp.path() / "stats.txt").string();
    // Factory numbers are 260417 + the meter's place on the line.
    FlowsimProcess sim({"--meter", "address=3,baud=19200,parity=none", "--meter",
                        "address=7,baud=9600,parity=even", "--meter",
                        "address=12,baud=19200,parity=odd", "--meter",
                        "address=5,baud=38400,parity=none", "--stats", stats});
    ASSERT_FALSE(sim.device().empty());
    const auto scan = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {FLOWCFG_CLI_PATH, "--port", sim.device(), "--dir",
                                   temp.path().string(), "scan"});
        return runCommand(args, 60);
    };

    // The meter at 38400 is outside the speeds tried.
    const CommandResult found =
        scan({"--bauds", "9600,19200", "--parities", "N,O,E", "--addresses", "1-14"});
    ASSERT_EQ(found.status, 0) << found.output;
    std::set<std::string> lines;
    std::istringstream out(found.output);
    for (std::string line; std::getline(out, line);) {
        std::size_t cut = 0; // after address, speed, parity and factory number
        for (int cell = 0; cell < 4 && cut != std::string::npos; ++cell)
            cut = line.find('\t', cut + (cell != 0));
        if (line.find('\t') != std::string::npos)
            lines.insert(line.substr(0, cut));
    }
    EXPECT_EQ(lines,
              (std::set<std::string>{"3\t19200\tБез паритета\t260417", "7\t9600\tЧетный\t260418",
                                     "12\t19200\tНечетный\t260419"}))
        << found.output;

    const CommandResult none = scan({"--bauds", "19200", "--parities", "E", "--addresses", "1-4"});
    EXPECT_EQ(none.status, 2) << none.output;

    ASSERT_EQ(sim.stop(), 0);
    const std::string counts = readFile(stats);
    for (const char* meter : {"meter0", "meter1", "meter2", "meter3"})
        EXPECT_NE(counts.find(std::string(meter) + ".writes=0\n"), std::string::npos) << counts;
}

} // namespace
} // namespace flowcfg::test
