// flowsim on a real pty, checked by independent masters: mbpoll (libmodbus) and pymodbus.
// flowsim runs with its time frozen, so every register is the value the same meter built
// in-process reports through its own API.

#include "FlowsimProcess.h"
#include "sim/Meter.h"
#include "sim/RtuFrame.h"

#include <array>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <regex>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace flowcfg::test {
namespace {

using Words = std::vector<std::uint16_t>;

const std::vector<std::string> kFrozenArgs = {
    "--freeze-time", "--fixed-flow", "25.5", "--float-order", "2", "--archive-frames", "30", "-v"};

// The same meter as flowsim with kFrozenArgs.
sim::Meter frozenMeter() {
    sim::MeterConfig c;
    c.floatOrder = 2;
    c.archiveFrames = 30;
    sim::Meter m(c);
    m.setReg(sim::reg::kEmulationMode, 1);
    m.setFloat(sim::reg::kEmulationFixed, 25.5F);
    m.refresh();
    return m;
}

// mbpoll [options] device [values to write]
std::vector<std::string> mbpoll(const std::string& device, std::vector<std::string> options,
                                std::vector<std::string> values = {}) {
    std::vector<std::string> args{"mbpoll", "-m", "rtu", "-a", "1",  "-b", "19200", "-P",
                                  "none",   "-t", "4",   "-0", "-1", "-o", "2"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(device);
    args.insert(args.end(), values.begin(), values.end());
    return args;
}

// "[256]: 	16844" lines of an mbpoll read; a value above 32767 is followed by its signed twin.
Words mbpollValues(const std::string& output) {
    Words w;
    static const std::regex line(R"(\[(\d+)\]:\s+(\d+))");
    for (auto it = std::sregex_iterator(output.begin(), output.end(), line);
         it != std::sregex_iterator(); ++it)
        w.push_back(static_cast<std::uint16_t>(std::stoul((*it)[2])));
    return w;
}

CommandResult pymodbus(const std::string& device, const std::vector<std::string>& tail,
                       const std::string& baud = "19200", const std::string& address = "1") {
    std::vector<std::string> args{"/usr/bin/python3", PYMODBUS_PEER, device, baud, address};
    args.insert(args.end(), tail.begin(), tail.end());
    return runCommand(args);
}

Words pymodbusValues(const CommandResult& r) {
    Words w;
    if (r.output.rfind("regs ", 0) != 0)
        return w;
    std::stringstream s(r.output.substr(5));
    unsigned v = 0;
    while (s >> v)
        w.push_back(static_cast<std::uint16_t>(v));
    return w;
}

bool pymodbusUsable() {
    return runCommand({"/usr/bin/python3", "-c", "import pymodbus.client"}).status == 0;
}

TEST(FlowsimInterop, MbpollReadsWhatTheMeterHoldsAndWritesThroughTheLock) {
    if (!haveProgram("mbpoll"))
        GTEST_SKIP() << "mbpoll is not installed";
    FlowsimProcess flowsim(kFrozenArgs);
    const sim::Meter expected = frozenMeter();

    const auto block = runCommand(mbpoll(flowsim.device(), {"-r", "256", "-c", "49"}));
    EXPECT_EQ(mbpollValues(block.output), expected.regs(0x0100, 49)) << block.output;
    const auto outputs = runCommand(mbpoll(flowsim.device(), {"-r", "305", "-c", "11"}));
    EXPECT_EQ(mbpollValues(outputs.output), expected.regs(0x0131, 11)) << outputs.output;
    const auto flow = runCommand(mbpoll(flowsim.device(), {"-t", "4:float", "-B", "-r", "0"}));
    EXPECT_NE(flow.output.find("25.5"), std::string::npos) << flow.output;

    // One value is written with FC6, which the meter does not have.
    const auto single = runCommand(mbpoll(flowsim.device(), {"-r", "1264"}, {"4321"}));
    EXPECT_NE(single.output.find("Illegal function"), std::string::npos) << single.output;
    // Locked: the meter refuses the setting; after the unlock it takes it.
    const auto locked = runCommand(mbpoll(flowsim.device(), {"-r", "5385"}, {"0", "4321"}));
    EXPECT_NE(locked.output.find("Slave device or server failure"), std::string::npos)
        << locked.output;
    runCommand(mbpoll(flowsim.device(), {"-r", "1278"}, {"1", "1"}));
    const auto written = runCommand(mbpoll(flowsim.device(), {"-r", "5385"}, {"0", "4321"}));
    EXPECT_EQ(written.status, 0) << written.output;
    const auto back = runCommand(mbpoll(flowsim.device(), {"-r", "5385", "-c", "2"}));
    EXPECT_EQ(mbpollValues(back.output), (Words{0, 4321})) << back.output;

    const auto outside = runCommand(mbpoll(flowsim.device(), {"-r", "300", "-c", "20"}));
    EXPECT_NE(outside.output.find("Illegal data address"), std::string::npos) << outside.output;

    EXPECT_NE(flowsim.log().find("<- 01 10 15 09 00 02 04 00 00 10 E1"), std::string::npos)
        << flowsim.log();
    EXPECT_EQ(flowsim.stop(), 0);
}

TEST(FlowsimInterop, PymodbusReadsWritesAndGetsTheExceptions) {
    if (!pymodbusUsable())
        GTEST_SKIP() << "pymodbus is not usable under /usr/bin/python3";
    FlowsimProcess flowsim(kFrozenArgs);
    const sim::Meter expected = frozenMeter();
    const std::string& dev = flowsim.device();

    EXPECT_EQ(pymodbusValues(pymodbus(dev, {"read", "0x0100", "49"})), expected.regs(0x0100, 49));
    EXPECT_EQ(pymodbusValues(pymodbus(dev, {"read", "0x7DFF", "81"})), expected.regs(0x7DFF, 81));
    EXPECT_EQ(pymodbusValues(pymodbus(dev, {"read", "0x0000", "4"})), expected.regs(0x0000, 4));

    EXPECT_EQ(pymodbus(dev, {"write", "0x1800", "7"}).output, "exception 4\n");
    EXPECT_EQ(pymodbus(dev, {"write", "0x04FE", "1", "1"}).output, "written\n");
    EXPECT_EQ(pymodbus(dev, {"write", "0x1800", "7"}).output, "written\n");
    EXPECT_EQ(pymodbusValues(pymodbus(dev, {"read", "0x1800", "1"})), Words{7});
    EXPECT_EQ(pymodbus(dev, {"read", "0x0130", "20"}).output, "exception 2\n");
    EXPECT_EQ(pymodbus(dev, {"write", "0x1099", "0", "0"}).output, "exception 2\n");
    EXPECT_EQ(pymodbus(dev, {"write", "0x0409", "11"}).output, "exception 3\n");
    EXPECT_EQ(flowsim.stop(), 0);
}

TEST(FlowsimInterop, NetworkWriteMovesTheMeterToItsNewLine) {
    if (!pymodbusUsable())
        GTEST_SKIP() << "pymodbus is not usable under /usr/bin/python3";
    FlowsimProcess flowsim({"--freeze-time", "--check-line", "-v"});
    const std::string& dev = flowsim.device();
    EXPECT_EQ(pymodbus(dev, {"write", "0x04FE", "1", "1"}).output, "written\n");
    EXPECT_EQ(pymodbus(dev, {"write", "0x0408", "5", "8", "0"}).output, "written\n");
    // The old line hears nothing; address 5 at 38400 baud answers.
    EXPECT_NE(pymodbus(dev, {"read", "0x0408", "3"}, "19200", "5").output.rfind("regs", 0), 0U);
    EXPECT_EQ(pymodbusValues(pymodbus(dev, {"read", "0x0408", "3"}, "38400", "5")),
              (Words{5, 8, 0}));
    EXPECT_EQ(flowsim.stop(), 0);
}

TEST(FlowsimInterop, FaultsFromTheCommandLineReachTheMaster) {
    if (!pymodbusUsable())
        GTEST_SKIP() << "pymodbus is not usable under /usr/bin/python3";
    FlowsimProcess flowsim({"--freeze-time", "--fault", "silent@next=1", "--fault",
                            "exception:6@range=0x1000-0x10FF", "--fault",
                            "crc@range=0x0200-0x0200"});
    const std::string& dev = flowsim.device();
    EXPECT_EQ(pymodbus(dev, {"read", "0x0100", "2"}).output.rfind("error", 0), 0U);
    EXPECT_EQ(pymodbusValues(pymodbus(dev, {"read", "0x0100", "2"})).size(), 2U);
    EXPECT_EQ(pymodbus(dev, {"read", "0x1000", "8"}).output, "exception 6\n");
    EXPECT_EQ(pymodbus(dev, {"read", "0x0200", "2"}).output.rfind("error", 0), 0U);
    EXPECT_EQ(pymodbusValues(pymodbus(dev, {"read", "0x0203", "2"})).size(), 2U);
    EXPECT_EQ(flowsim.stop(), 0);
}

// The master's line for rawExchange: speed and parity (0 none, 1 odd, 2 even), 8 data bits.
struct RawLine {
    speed_t speed = B19200;
    int parity = 0;
};

// Our own raw framing of a request over the pty: sends it on `line` and collects the answer
// until `expect` bytes have come or `wait` has passed.
std::vector<std::uint8_t> rawExchange(const std::string& device, std::vector<std::uint8_t> request,
                                      std::size_t expect, RawLine line = {},
                                      std::chrono::milliseconds wait = std::chrono::seconds(4)) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return {};
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, line.speed);
    cfsetospeed(&tio, line.speed);
    tio.c_cflag &= ~(PARENB | PARODD);
    tio.c_iflag &= ~INPCK;
    if (line.parity != 0) { // as a master asking for parity sets it, input check included
        tio.c_cflag |= PARENB | (line.parity == 1 ? PARODD : 0);
        tio.c_iflag |= INPCK;
    }
    tcsetattr(fd, TCSANOW, &tio);
    sim::appendCrc(request);
    if (::write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
        ::close(fd);
        return {};
    }
    std::vector<std::uint8_t> answer;
    std::array<std::uint8_t, 2048> buf{};
    pollfd p{fd, POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (answer.size() < expect && std::chrono::steady_clock::now() < deadline) {
        if (poll(&p, 1, 50) <= 0)
            continue;
        const ssize_t n = ::read(fd, buf.data(), buf.size());
        if (n > 0)
            answer.insert(answer.end(), buf.begin(), buf.begin() + n);
    }
    ::close(fd);
    return answer;
}

// Registers 0x0401..0x0402 (the factory number) of the meter at `address`, read on `line`;
// nothing when no meter answers within half a second.
Words factoryNumber(const std::string& device, std::uint8_t address, RawLine line) {
    const std::vector<std::uint8_t> request{
        address,       // address
        0x03,          // read holding registers
        0x04,    0x01, // start 0x0401
        0x00,    0x02, // two registers
    };
    const auto answer = rawExchange(device, request, 9, line, std::chrono::milliseconds(500));
    if (answer.size() != 9 || !sim::crcValid(answer))
        return {};
    return {static_cast<std::uint16_t>(answer[3] << 8 | answer[4]),
            static_cast<std::uint16_t>(answer[5] << 8 | answer[6])};
}

TEST(FlowsimInterop, MetersOnOneLineHearOnlyTheirOwnLine) {
    FlowsimProcess flowsim(
        {"--freeze-time", "--addresses", "1,2", "--meter", "address=3,parity=even", "-v"});
    const std::string& dev = flowsim.device();
    const RawLine n81{B19200, 0}, e81{B19200, 2};
    EXPECT_EQ(factoryNumber(dev, 1, n81), (Words{0x0003, 0xF941})); // 260417
    EXPECT_EQ(factoryNumber(dev, 2, n81), (Words{0x0003, 0xF942}));
    EXPECT_EQ(factoryNumber(dev, 3, n81), Words{}); // at another parity: noise to meter 3
    EXPECT_EQ(factoryNumber(dev, 3, e81), (Words{0x0003, 0xF943}));
    // A broadcast blink at 8N1: meters 1 and 2 take it, nobody answers.
    const std::vector<std::uint8_t> blink{
        0x00,       // broadcast
        0x10,       // write multiple registers
        0x04, 0x16, // start 0x0416
        0x00, 0x01, // one register
        0x02,       // byte count
        0x00, 0x01, // value 1
    };
    EXPECT_TRUE(rawExchange(dev, blink, 1, n81, std::chrono::milliseconds(300)).empty());
    EXPECT_EQ(flowsim.stop(), 0);
    const std::string log = flowsim.log();
    EXPECT_NE(log.find("meter 0 at address 1: stopped after 2 requests (1 answered, 1 not heard), "
                       "1 blinks"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("meter 2 at address 3: stopped after 1 requests (1 answered, 4 not heard), "
                       "0 blinks"),
              std::string::npos)
        << log;
}

TEST(FlowsimInterop, ArchiveBlockComesWholeOverThePacedPty) {
    const std::filesystem::path link =
        std::filesystem::temp_directory_path() / ("flowsim-test-" + std::to_string(getpid()));
    FlowsimProcess flowsim(
        {"--freeze-time", "--pace", "--archive-frames", "25", "--link", link.string()});
    EXPECT_EQ(std::filesystem::read_symlink(link), flowsim.device());

    const auto t0 = std::chrono::steady_clock::now();
    const auto answer = rawExchange(link.string(), {0x01, 0x19, 0x00, 0x00, 0x00, 0x02}, 1030);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    ASSERT_EQ(answer.size(), 1030U);
    EXPECT_TRUE(sim::crcValid(answer));
    EXPECT_GE(ms, 500); // 1030 characters of 10 bits at 19200 baud take 536 ms
    int valid = 0;
    for (std::size_t f = 0; f < 10; ++f) {
        const auto* frame = answer.data() + 4 + f * 102;
        std::uint8_t sum = 0;
        for (std::size_t i = 0; i < 101; ++i)
            sum = static_cast<std::uint8_t>(sum + frame[i]);
        valid += sum == frame[101];
    }
    EXPECT_EQ(valid, 5); // frames 21..25

    const auto beyond = rawExchange(link.string(), {0x01, 0x19, 0x00, 0x00, 0x00, 0x03}, 5);
    std::vector<std::uint8_t> exception{0x01, 0x99, 0x02};
    sim::appendCrc(exception);
    EXPECT_EQ(beyond, exception);

    EXPECT_EQ(flowsim.stop(), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link)); // removed on SIGTERM
}

TEST(FlowsimInterop, SigtermEndsItInTheMiddleOfALongDelayAndTheStatsSayWhatItDid) {
    const std::filesystem::path stats =
        std::filesystem::temp_directory_path() / ("flowsim-stats-" + std::to_string(getpid()));
    for (const bool paced : {false, true}) {
        std::vector<std::string> args{"--freeze-time", "--fault",      "delay:60000",
                                      "--stats",       stats.string(), "-v"};
        if (paced)
            args.push_back("--pace");
        FlowsimProcess flowsim(args);
        EXPECT_TRUE(rawExchange(flowsim.device(), {0x01, 0x03, 0x01, 0x00, 0x00, 0x02}, 9, {},
                                std::chrono::milliseconds(300))
                        .empty());
        while (flowsim.log().find("(delayed)") == std::string::npos)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // stop() kills the process and gives -1 unless SIGTERM ends it within its five seconds.
        EXPECT_EQ(flowsim.stop(), 0) << paced;
        std::ifstream in(stats);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        EXPECT_TRUE(text.starts_with("requests=1\nanswered=1\nfaulted=1\nsilent=0\ntruncated=0\n"
                                     "crc=0\naddress=0\nexception=0\ndelayed=1\ngarbage=0\n"))
            << text;
        EXPECT_NE(flowsim.log().find("flowsim: stopped after 1 requests (1 answered, 0 not heard; "
                                     "1 with faults: delayed 1), 0 blinks, 0 restarts\n"),
                  std::string::npos)
            << flowsim.log();
    }
    std::filesystem::remove(stats);
}

} // namespace
} // namespace flowcfg::test
