// flowcfg's command line, run as a program without a display: help needs none, and an option
// value that cannot be used is said before the window would need one.

#include "FlowsimProcess.h"
#include "TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace flowcfg::test {
namespace {

namespace fs = std::filesystem;

TEST(WindowOptions, HelpAndUnusableValuesNeedNoDisplay) {
    const TempDir dir{"flowcfg-window-options"};
    const std::string picture = (dir.path() / "x.png").string();
    const std::string missing = (dir.path() / "missing" / "x.png").string();
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string said;
    };
    // The picture options make an old window end by itself.
    const Case cases[] = {
        {{"--help"}, 0, "--screenshot <file>"},
        {{"--screenshot", missing, "--screenshot-delay", "0"},
         1,
         "flowcfg: --screenshot: the folder " + (dir.path() / "missing").string() +
             " does not exist"},
        {{"--page", "abc", "--screenshot", picture, "--screenshot-delay", "0"},
         1,
         "flowcfg: --page: \"abc\" is not a page number from 0 to 2"},
        {{"--page", "3", "--screenshot", picture, "--screenshot-delay", "0"}, 1, "--page: \"3\""},
        {{"--screenshot", picture, "--screenshot-delay", "soon"}, 1, "--screenshot-delay"},
    };
    for (const Case& c : cases) {
        // No display of any kind, in a directory of its own.
        std::vector<std::string> args{
            "/usr/bin/env",    "-u", "DISPLAY",           "-u",
            "WAYLAND_DISPLAY", "-C", dir.path().string(), "QT_QPA_PLATFORM=xcb",
            FLOWCFG_PATH};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CommandResult run = runCommand(args);
        EXPECT_EQ(run.status, c.status) << c.args[0] << "\n" << run.output;
        EXPECT_NE(run.output.find(c.said), std::string::npos) << run.output;
    }
    EXPECT_FALSE(fs::exists(dir.path() / "dev.dat")); // no window was started
    EXPECT_FALSE(fs::exists(picture));
}

} // namespace
} // namespace flowcfg::test
