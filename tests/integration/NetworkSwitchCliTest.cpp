// flowcfg-cli set network against the flowsim program on a real pseudo-terminal: the meter
// moves to its new address, speed and parity, flowcfg-cli says how to reach it and dev.dat
// follows; a write the meter refuses leaves the meter and dev.dat as they were.

#include "FlowsimProcess.h"
#include "TestFiles.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace flowcfg::test {
namespace {

using Args = std::vector<std::string>;

class NetworkSwitchCliTest : public ::testing::Test {
protected:
    // flowcfg-cli on the meter's pty, with the link of dev.dat in the test's directory.
    CommandResult cli(const FlowsimProcess& sim, Args args) const {
        args.insert(args.begin(), {FLOWCFG_CLI_PATH, "--port", sim.device(), "--dir",
                                   temp_.path().string(), "--timeout", "300", "--yes"});
        return runCommand(args);
    }
    std::string devDat() const { return readFile(temp_.path() / "dev.dat"); }

    static inline const Args kTo115200Even5 = {
        "set", "network", "NET_NUM=5", "NET_SPD=115200", "NET_PAR=Четный", "--update-dev-dat"};
    TempDir temp_{"flowcfg-network-cli"};
};

TEST_F(NetworkSwitchCliTest, TheToolFollowsTheMeterToItsNewLink) {
    // The meter hears only a master at its own speed and parity.
    FlowsimProcess sim({"--check-line"});
    ASSERT_FALSE(sim.device().empty());
    ASSERT_EQ(cli(sim, {"get", "device"}).status, 0);

    const CommandResult set = cli(sim, kTo115200Even5);
    ASSERT_EQ(set.status, 0) << set.output;
    EXPECT_NE(set.output.find("link from now on: --baud 115200 --parity E --address 5"),
              std::string::npos)
        << set.output;
    EXPECT_NE(devDat().find("Settings=115200,E,8,2"), std::string::npos) << devDat();
    EXPECT_NE(devDat().find("NetAdrr=5"), std::string::npos);

    // dev.dat alone now reaches the meter; the old settings do not.
    const CommandResult get = cli(sim, {"get", "device"});
    ASSERT_EQ(get.status, 0) << get.output;
    EXPECT_NE(get.output.find("factory_number = 260417"), std::string::npos) << get.output;
    EXPECT_EQ(
        cli(sim, {"--baud", "19200", "--parity", "N", "--address", "1", "get", "device"}).status,
        2);
}

TEST_F(NetworkSwitchCliTest, ARefusedWriteLeavesEverythingAsItWas) {
    FlowsimProcess sim({"--check-line", "--fault", "exception:4@range=0x0408-0x040A"});
    ASSERT_FALSE(sim.device().empty());
    ASSERT_EQ(cli(sim, {"get", "device"}).status, 0);
    const std::string before = devDat();

    const CommandResult set = cli(sim, kTo115200Even5);
    EXPECT_EQ(set.status, 2) << set.output;
    EXPECT_EQ(set.output.find("link from now on"), std::string::npos) << set.output;
    EXPECT_EQ(devDat(), before);
    EXPECT_EQ(cli(sim, {"get", "device"}).status, 0);
}

} // namespace
} // namespace flowcfg::test
