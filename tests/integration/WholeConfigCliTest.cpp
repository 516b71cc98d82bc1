// flowcfg-cli config read and config write against several flowsim meters on one pty: a
// profile goes into a meter and comes back the same, and a write to three meters goes on past
// the one that stops answering half-way.

#include "DistinctProfile.h"
#include "FlowsimProcess.h"
#include "TestFiles.h"
#include "config/WholeConfiguration.h"
#include "platform/IniFile.h"
#include "profiles/ProfileFile.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace flowcfg::test {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

class WholeConfigCliTest : public ::testing::Test {
protected:
    CommandResult cli(const FlowsimProcess& sim, Args args) const {
        args.insert(args.begin(), {FLOWCFG_CLI_PATH, "--port", sim.device(), "--dir", dir_.string(),
                                   "--timeout", "300", "--retries", "0"});
        return runCommand(args, 120);
    }
    // A profile file of distinctProfile().
    std::string profile() const {
        const fs::path file = dir_ / "p.prf";
        EXPECT_TRUE(saveProfile(file, distinctProfile(), ToolSettings::defaults(dir_)).ok);
        return file.string();
    }
    TempDir temp_{"flowcfg-whole-cli"};
    const fs::path dir_ = temp_.path();
};

TEST_F(WholeConfigCliTest, AWrittenProfileReadsBackTheSame) {
    FlowsimProcess sim({"--addresses", "1-2", "--freeze-time"});
    ASSERT_FALSE(sim.device().empty());
    const std::string before = (dir_ / "before.prf").string(), back = (dir_ / "back.prf").string();
    CommandResult run = cli(sim, {"--address", "2", "config", "read", "--save", before});
    ASSERT_EQ(run.status, 0) << run.output;
    const std::string written = profile();
    run = cli(sim, {"--yes", "config", "write", written, "--addresses", "2"});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("адрес 2: записано"), std::string::npos) << run.output;
    fs::copy_file(written, back); // the keys the read does not fill stay as written
    run = cli(sim, {"--address", "2", "config", "read", "--save", back});
    ASSERT_EQ(run.status, 0) << run.output;

    IniFile p(written), b(back), m(before);
    ASSERT_TRUE(p.load() && b.load() && m.load());
    DeviceImage scratch;
    const auto at = [&scratch](ImageMember member) {
        return std::visit([](auto* v) { return reinterpret_cast<std::uintptr_t>(v); },
                          member(scratch));
    };
    int checked = 0;
    for (const SequenceLine& line : writeAllLines())
        for (const SequenceTransfer& t : line.transfers)
            for (const FieldDescriptor& f : group(t.transfer.group).fields) {
                if (!f.member || f.offset + f.width() > group(t.transfer.group).writeCount)
                    continue;
                const bool metersOwn = std::ranges::any_of(
                    writeAllPreread().transfers, [&](const SequenceTransfer& r) {
                        return readFills(group(r.transfer.group), f.member);
                    });
                for (const ProfileSection& s : profileSections())
                    for (const ProfileKey& k : s.keys)
                        if (k.image && (k.flags & key_flags::Save) && at(k.image) == at(f.member)) {
                            const IniFile& expected = metersOwn ? m : p;
                            EXPECT_EQ(b.readString(s.name, k.key, "?"),
                                      expected.readString(s.name, k.key, "!"))
                                << s.name << "/" << k.key;
                            ++checked;
                        }
            }
    EXPECT_GT(checked, 80);
}

TEST_F(WholeConfigCliTest, AMeterThatStopsHalfWayDoesNotStopTheOthers) {
    FlowsimProcess sim(
        {"--addresses", "1-3", "--freeze-time", "--meter-fault", "2:silent@range=0x1064-0x1064"});
    ASSERT_FALSE(sim.device().empty());
    const CommandResult run =
        cli(sim, {"--yes", "config", "write", profile(), "--addresses", "1-3"});
    EXPECT_EQ(run.status, 2) << run.output;
    const std::string& out = run.output;
    const auto one = out.find("адрес 1: записано, ");
    const auto two = out.find("адрес 2: ошибка (выход 2: Ответа не было.), ");
    const auto three = out.find("адрес 3: записано, ");
    ASSERT_NE(one, std::string::npos) << out;
    ASSERT_NE(two, std::string::npos) << out;
    ASSERT_NE(three, std::string::npos) << out;
    EXPECT_LT(one, two);
    EXPECT_LT(two, three);
    const std::string received = out.substr(two, out.find('\n', two) - two);
    EXPECT_NE(received.find("получены группы: Cutoff 0x101D, CutoffFlags 0x1036, Averages"),
              std::string::npos)
        << received;
    EXPECT_NE(received.find("Output2DirectValue 0x1061"), std::string::npos) << received;
    EXPECT_EQ(received.find("Output2Frequency"), std::string::npos) << received;

    const CommandResult get = cli(sim, {"--address", "3", "get", "output1-frequency"});
    EXPECT_NE(
        get.output.find("f_flow_err = " + std::to_string(distinctProfile().output.f_flow_err)),
        std::string::npos)
        << get.output;
}

TEST_F(WholeConfigCliTest, DiffSaysByItsExitCodeWhetherTheMeterAgreesDiffersOrWasNotRead) {
    FlowsimProcess sim({"--freeze-time"});
    ASSERT_FALSE(sim.device().empty());
    const std::string saved = (dir_ / "m.prf").string();
    ASSERT_EQ(cli(sim, {"config", "read", "--save", saved}).status, 0);
    CommandResult run = cli(sim, {"config", "diff", saved});
    EXPECT_EQ(run.status, 0) << run.output;
    run = cli(sim, {"--yes", "set", "output1-frequency", "f_flow_v_max=123.5"});
    ASSERT_EQ(run.status, 0) << run.output;
    run = cli(sim, {"config", "diff", saved});
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("РАСХОД ПРИ F MAX"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("123.5000"), std::string::npos) << run.output;
    EXPECT_EQ(cli(sim, {"--address", "9", "config", "diff", saved}).status, 2);
}

} // namespace
} // namespace flowcfg::test
