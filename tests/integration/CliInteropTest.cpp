// flowcfg-cli, the program itself, against a libmodbus slave on a pty.

#include "InteropModbusSlave.h"
#include "TestFiles.h"

#include <array>
#include <bit>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace flowcfg::test {
namespace {

struct Result {
    int exitCode = -1;
    std::string out;
};

// Runs flowcfg-cli with the arguments (no shell quoting needed for these) in `dir`; stderr is
// merged into the output.
Result runCli(const std::filesystem::path& dir, const std::string& args) {
    const std::string command =
        std::string(FLOWCFG_CLI_PATH) + " --dir " + dir.string() + " " + args + " 2>&1 </dev/null";
    Result r;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return r;
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0)
        r.out.append(buf.data(), n);
    const int status = ::pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

class CliInteropTest : public ::testing::Test {
protected:
    InteropModbusSlave slave{1, 0x200};
    TempDir temp{"flowcfg-cli-interop"};
    const std::filesystem::path dir = temp.path();
};

TEST_F(CliInteropTest, ReadPrintsEveryRegister) {
    for (int k = 0; k < 49; ++k)
        slave.setReg(0x0100 + k, static_cast<std::uint16_t>(k == 0 ? 0x1234 : k * 1000));
    const Result r = runCli(dir, "read 0x0100 49 --port " + slave.slavePath());
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_TRUE(r.out.starts_with("0x0100 (256) = 0x1234 (4660)\n"
                                  "0x0101 (257) = 0x03E8 (1000)\n"))
        << r.out;
    EXPECT_TRUE(r.out.ends_with("0x0130 (304) = 0xBB80 (48000)\n")) << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 49);
    EXPECT_TRUE(std::filesystem::exists(dir / "dev.dat"));
}

TEST_F(CliInteropTest, WriteThenFailures) {
    Result r = runCli(dir, "--port " + slave.slavePath() + " write 0x20 7 0xBEEF");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(slave.reg(0x21), 0xBEEF);

    r = runCli(dir, "--port " + slave.slavePath() + " read 0x1FF 2");
    EXPECT_EQ(r.exitCode, 2) << r.out;
    EXPECT_NE(r.out.find("status 0x801A (32794), exception code 0x02 (2)"), std::string::npos)
        << r.out;

    r = runCli(dir, "--port " + slave.slavePath() + "-missing read 0x100 1");
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("Невозможно открыть последовательный порт\nНет такого устройства"),
              std::string::npos)
        << r.out;
}

// set sends the named field and every other field exactly as the meter sent it: floats that
// four decimals cannot show and codes that no item of their list stands for.
TEST(CliSetInteropTest, SetWritesBackWhatItWasNotToldBitForBit) {
    InteropModbusSlave slave{1, 0x1A00};
    TempDir temp{"flowcfg-cli-set"};
    const auto setFloat = [&slave](int address, float value) {
        const auto bits = std::bit_cast<std::uint32_t>(value);
        slave.setReg(address, static_cast<std::uint16_t>(bits >> 16)); // high half first
        slave.setReg(address + 1, static_cast<std::uint16_t>(bits));
    };
    setFloat(0x101D, 0.123456f); // cut-off %
    setFloat(0x101F, 1e-5f);     // cut-off hysteresis %
    const std::pair<int, std::uint16_t> codes[] = {
        {0x1001, 150},    // averages: items 0..100
        {0x1007, 9},      // flow unit: 0..3
        {0x1036, 0x00F5}, // cut-off flags, with bits no indicator shows
        {0x1037, 4},      // displayed volume: 0..3
        {0x1038, 5},      // volume unit: 0..1
        {0x1098, 7},      // linear scale source: 0..4
        {0x1800, 4},      // median window: odd codes only
    };
    for (const auto& [address, value] : codes)
        slave.setReg(address, value);
    slave.setReg(0x108F, 5); // digits, the field named

    const Result r =
        runCli(temp.path(), "--yes --port " + slave.slavePath() + " set measurement ind_point=2");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(slave.reg(0x108F), 2);
    EXPECT_EQ(slave.reg(0x101D), 0x3DFC);
    EXPECT_EQ(slave.reg(0x101E), 0xD680); // 0.123456
    EXPECT_EQ(slave.reg(0x101F), 0x3727);
    EXPECT_EQ(slave.reg(0x1020), 0xC5AC); // 1e-5
    for (const auto& [address, value] : codes)
        EXPECT_EQ(slave.reg(address), value) << std::hex << address;
}

} // namespace
} // namespace flowcfg::test
