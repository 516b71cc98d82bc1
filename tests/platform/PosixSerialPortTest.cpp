// The POSIX serial port on a real pseudo-terminal: the test holds the master side and plays
// the meter. Real time is involved, so the limits below are generous.

#include "platform/PosixSerialPort.h"

#include "Pty.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace flowcfg::test {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using SteadyClock = std::chrono::steady_clock;

std::unique_ptr<SerialPort> openSlave(const Pty& pty) {
    PosixSerialDevices devices;
    OpenResult r = devices.open(pty.slavePath());
    EXPECT_EQ(r.error, OpenError::None) << r.detail;
    EXPECT_NE(r.port, nullptr);
    return std::move(r.port);
}

// Reads into a buffer of `size` and reports how long the read took.
struct TimedRead {
    Bytes bytes;
    std::chrono::milliseconds took;
};
TimedRead timedRead(SerialPort& port, std::size_t size) {
    Bytes buf(size);
    const auto start = SteadyClock::now();
    buf.resize(port.read(buf));
    return {buf, std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start)};
}

constexpr uid_t kNobody = 65534;

constexpr int kCannotSwitchUser = 255;

// Runs `attempt` (returning a code below 255) in a child process that has become an
// ordinary user; returns the child's code, or nullopt where this root may not switch users.
template <class Attempt> std::optional<int> asOrdinaryUser(Attempt attempt) {
    pid_t child = ::fork();
    if (child == 0)
        ::_exit(::setuid(kNobody) == 0 ? attempt() : kCannotSwitchUser);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == kCannotSwitchUser)
        return std::nullopt;
    return WEXITSTATUS(status);
}

// Opens `path` the plain way, as a program that knows nothing of locks would, and returns
// the errno (0 on success). Root passes the terminal's exclusive flag, so as root the attempt
// is made by an ordinary user that owns the terminal.
std::optional<int> plainOpenErrno(const std::string& path) {
    auto attempt = [&path] {
        int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0)
            return errno;
        ::close(fd);
        return 0;
    };
    if (::geteuid() != 0)
        return attempt();
    if (::chown(path.c_str(), kNobody, static_cast<gid_t>(-1)) != 0)
        return std::nullopt;
    return asOrdinaryUser(attempt);
}

TEST(PosixSerialPort, PauseLongerThanTheIntervalEndsTheReadAndTheRestWaitsForTheNextRead) {
    Pty pty;
    auto port = openSlave(pty);
    port->setTimeouts({.readInterval = 60, .readTotalMultiplier = 0, .readTotalConstant = 1500});
    {
        ChunkedWriter meter(pty.masterFd(), {{10ms, {0x01, 0x03, 0x04}},    // address, FC, count
                                             {400ms, {0x00, 0x2A, 0x00}}}); // data after a pause
        TimedRead first = timedRead(*port, 16);
        EXPECT_EQ(first.bytes, (Bytes{0x01, 0x03, 0x04}));
        EXPECT_LT(first.took, 400ms); // ended at the pause, not by the total limit
        TimedRead second = timedRead(*port, 16);
        EXPECT_EQ(second.bytes, (Bytes{0x00, 0x2A, 0x00}));
    }
    // Gaps shorter than the interval keep the read going until the count is complete.
    ChunkedWriter slow(pty.masterFd(), {{0ms, {0x11}}, {30ms, {0x22}}, {30ms, {0x33}}});
    port->setTimeouts({.readInterval = 250, .readTotalMultiplier = 0, .readTotalConstant = 1500});
    TimedRead all = timedRead(*port, 3);
    EXPECT_EQ(all.bytes, (Bytes{0x11, 0x22, 0x33}));
    EXPECT_LT(all.took, 250ms); // ended by the count, without waiting out an interval
}

TEST(PosixSerialPort, TotalTimeoutBoundsTheReadEvenWhileBytesKeepTrickling) {
    Pty pty;
    auto port = openSlave(pty);
    // Nothing arrives: 10 ms x 10 bytes + 100 ms.
    port->setTimeouts({.readInterval = 0, .readTotalMultiplier = 10, .readTotalConstant = 100});
    TimedRead silent = timedRead(*port, 10);
    EXPECT_TRUE(silent.bytes.empty());
    EXPECT_GE(silent.took, 195ms);
    EXPECT_LE(silent.took, 350ms);

    // Bytes every 40 ms never break the 250 ms interval, but the 300 ms total still ends it.
    std::vector<Chunk> trickle;
    for (std::uint8_t i = 0; i < 15; ++i)
        trickle.push_back({40ms, {i}});
    ChunkedWriter meter(pty.masterFd(), trickle);
    port->setTimeouts({.readInterval = 250, .readTotalMultiplier = 0, .readTotalConstant = 300});
    TimedRead part = timedRead(*port, 64);
    EXPECT_GE(part.bytes.size(), 1u);
    EXPECT_LT(part.bytes.size(), 15u);
    EXPECT_GE(part.took, 295ms);
    EXPECT_LE(part.took, 450ms);
}

TEST(PosixSerialPort, WithoutLimitsAReadTakesWhatIsQueuedAndReturnsAtOnce) {
    Pty pty;
    auto port = openSlave(pty);
    port->setTimeouts({});
    TimedRead empty = timedRead(*port, 8);
    EXPECT_TRUE(empty.bytes.empty());
    EXPECT_LT(empty.took, 100ms);

    pty.write(Bytes{0xAA, 0x55});
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(timedRead(*port, 8).bytes, (Bytes{0xAA, 0x55}));
}

TEST(PosixSerialPort, WrittenBytesReachThePeerUnchanged) {
    Pty pty;
    auto port = openSlave(pty);
    // Bytes a cooked line would translate or swallow: CR, LF, XOFF, XON, DEL, ^C.
    const Bytes request{0x0D, 0x0A, 0x13, 0x11, 0x7F, 0x03, 0x00, 0xFF};
    EXPECT_EQ(port->write(request), request.size());
    EXPECT_EQ(pty.read(request.size(), 500ms), request);
}

TEST(PosixSerialPort, WriteTimeoutStopsAWriteThatThePeerNeverTakes) {
    Pty pty;
    auto port = openSlave(pty);
    port->setTimeouts({.readInterval = 0,
                       .readTotalMultiplier = 0,
                       .readTotalConstant = 0,
                       .writeTotalMultiplier = 0,
                       .writeTotalConstant = 200});
    // Far more than the pty buffers hold, and the master never reads.
    const Bytes flood(4 * 1024 * 1024, 0x55);
    const auto start = SteadyClock::now();
    const std::size_t written = port->write(flood);
    const auto took = SteadyClock::now() - start;
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, flood.size());
    EXPECT_LE(took, 600ms);
}

TEST(PosixSerialPort, SecondOpenerIsRefusedAsBusyUntilTheFirstCloses) {
    Pty pty;
    PosixSerialDevices devices;
    OpenResult first = devices.open(pty.slavePath());
    ASSERT_NE(first.port, nullptr) << first.detail;

    OpenResult second = devices.open(pty.slavePath());
    EXPECT_EQ(second.port, nullptr);
    EXPECT_EQ(second.error, OpenError::Busy);
    EXPECT_FALSE(second.detail.empty());

    // Programs that do not lock are kept out by the terminal itself, and let in again once
    // the port is closed: the link reopens the port before most operations.
    if (auto err = plainOpenErrno(pty.slavePath())) {
        EXPECT_EQ(*err, EBUSY);
        first.port.reset();
        EXPECT_EQ(plainOpenErrno(pty.slavePath()), 0);
    }
    first.port.reset();

    OpenResult again = devices.open(pty.slavePath());
    EXPECT_NE(again.port, nullptr) << again.detail;
    EXPECT_EQ(again.error, OpenError::None);
}

TEST(PosixSerialPort, OpenFailuresSayWhy) {
    PosixSerialDevices devices;
    OpenResult missing = devices.open("/dev/ttyNoSuchPort97");
    EXPECT_EQ(missing.port, nullptr);
    EXPECT_EQ(missing.error, OpenError::NoSuchDevice);
    EXPECT_FALSE(missing.detail.empty());

    // A terminal that belongs to someone else (the user is not in the dialout group). Only
    // root can arrange that here, by letting an ordinary user try.
    if (::geteuid() == 0) {
        Pty pty;
        ASSERT_EQ(::chmod(pty.slavePath().c_str(), 0600), 0);
        auto code =
            asOrdinaryUser([&] { return static_cast<int>(devices.open(pty.slavePath()).error); });
        if (code) {
            EXPECT_EQ(*code, static_cast<int>(OpenError::NoPermission));
        }
    }

    // A regular file is no serial port: writing the meter's requests into it would lose them.
    const auto file = std::filesystem::temp_directory_path() /
                      ("flowcfg-not-a-tty-" + std::to_string(::getpid()));
    std::ofstream(file) << "x";
    OpenResult notTty = devices.open(file.string());
    EXPECT_EQ(notTty.port, nullptr);
    EXPECT_EQ(notTty.error, OpenError::Other);
    EXPECT_FALSE(notTty.detail.empty());
    std::filesystem::remove(file);
}

TEST(PosixSerialPort, LineSettingsReachTheTerminal) {
    Pty pty;
    auto port = openSlave(pty);
    // Termios requests on the master reach the pair's line. A pty keeps speed, stop bits and
    // the input flags but forces 8 data bits without parity; the full mapping is checked in
    // TermiosLineTest.
    termios t{};
    port->setLine({.baud = 9600, .dataBits = 8, .parity = Parity::Even, .stopBits = StopBits::Two});
    ASSERT_EQ(::tcgetattr(pty.masterFd(), &t), 0);
    EXPECT_EQ(::cfgetispeed(&t), B9600);
    EXPECT_EQ(::cfgetospeed(&t), B9600);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(t.c_iflag & INPCK);
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);

    port->setLine(
        {.baud = 115200, .dataBits = 8, .parity = Parity::None, .stopBits = StopBits::One});
    ASSERT_EQ(::tcgetattr(pty.masterFd(), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), B115200);
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_iflag & INPCK);
}

TEST(PosixSerialPort, PurgeDropsWhatIsQueued) {
    Pty pty;
    auto port = openSlave(pty);
    port->setTimeouts({});
    pty.write(Bytes{0x01, 0x02, 0x03}); // a stale answer from an earlier request
    std::this_thread::sleep_for(50ms);
    port->purge();
    EXPECT_TRUE(timedRead(*port, 8).bytes.empty());

    pty.write(Bytes{0x04});
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(timedRead(*port, 8).bytes, (Bytes{0x04}));
}

TEST(PosixSerialPort, PeerThatHangsUpEndsReadsAndWritesQuietly) {
    Pty pty;
    auto port = openSlave(pty);
    port->setTimeouts({.readInterval = 0, .readTotalMultiplier = 0, .readTotalConstant = 1500});
    pty.write(Bytes{0x01, 0x03}); // half an answer, then the line drops
    std::this_thread::sleep_for(50ms);
    pty.closeMaster();

    TimedRead afterHangUp = timedRead(*port, 8);
    EXPECT_LE(afterHangUp.bytes.size(), 2u);
    EXPECT_LT(afterHangUp.took, 1000ms);
    TimedRead again = timedRead(*port, 8);
    EXPECT_TRUE(again.bytes.empty());
    EXPECT_LT(again.took, 1000ms);
    EXPECT_EQ(port->write(Bytes{0x01, 0x03, 0x00, 0x00}), 0u);
    port->purge();
    EXPECT_FALSE(port->fetchLineErrors().any());
}

TEST(PosixSerialPort, ModemLinesAndErrorCountersAreHarmlessOnAPty) {
    Pty pty;
    auto port = openSlave(pty);
    port->setRts(false);
    port->setDtr(true);
    port->setQueueSizes(2024, 2024);
    EXPECT_FALSE(port->fetchLineErrors().any());
    // The line still works afterwards.
    EXPECT_EQ(port->write(Bytes{0x42}), 1u);
    EXPECT_EQ(pty.read(1, 500ms), (Bytes{0x42}));
}

TEST(PosixSerialPort, PortWithoutADeviceDoesNothing) {
    PosixSerialPort port(-1);
    port.setLine({});
    port.setTimeouts({.readInterval = 10, .readTotalMultiplier = 10, .readTotalConstant = 10});
    port.setQueueSizes(1, 1);
    port.purge();
    port.setRts(true);
    port.setDtr(false);
    Bytes buf(4);
    EXPECT_EQ(port.read(buf), 0u);
    EXPECT_EQ(port.write(Bytes{1, 2, 3}), 0u);
    EXPECT_FALSE(port.fetchLineErrors().any());
}

} // namespace
} // namespace flowcfg::test
