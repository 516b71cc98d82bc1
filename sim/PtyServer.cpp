#include "sim/PtyServer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace flowcfg::sim {

namespace {

std::runtime_error systemError(const char* what) {
    return std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

std::uint32_t baudOf(speed_t s) {
    switch (s) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    default:
        return 0;
    }
}

using SteadyClock = std::chrono::steady_clock;

// Writes all the bytes; false when nobody listens (the answer is lost, as on an open line).
bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t w = ::write(fd, bytes.data() + sent, bytes.size() - sent);
        if (w < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            return false;
        }
        sent += static_cast<std::size_t>(w);
    }
    return true;
}

// Sleeps until t in slices of at most 20 ms, so that a stop ends even a minute's delay at
// once; false when `stop` came first.
bool sleepUntilUnlessStopped(SteadyClock::time_point t, const std::atomic<bool>& stop) {
    constexpr auto kSlice = std::chrono::milliseconds(20);
    while (!stop.load()) {
        const auto now = SteadyClock::now();
        if (now >= t)
            return true;
        std::this_thread::sleep_until(std::min(t, now + kSlice));
    }
    return false;
}

// The pty as a paced line: the steady clock, sleeps and the master side of the pair. A stop
// cuts the answer short: the sleep ends and nothing more is written.
class PtyPaceLine final : public PaceLine {
public:
    PtyPaceLine(int fd, const std::atomic<bool>& stop) : fd_(fd), stop_(stop) {}
    PaceTime now() override { return SteadyClock::now().time_since_epoch(); }
    void sleepUntil(PaceTime t) override {
        sleepUntilUnlessStopped(
            SteadyClock::time_point(std::chrono::duration_cast<SteadyClock::duration>(t)), stop_);
    }
    bool write(std::span<const std::uint8_t> bytes) override {
        return !stop_.load() && writeAll(fd_, bytes);
    }

private:
    int fd_;
    const std::atomic<bool>& stop_;
};

} // namespace

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string s;
    for (const auto b : bytes) {
        if (!s.empty())
            s += ' ';
        s += kDigits[b >> 4];
        s += kDigits[b & 0xF];
    }
    return s;
}

PtyServer::PtyServer() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        throw systemError("posix_openpt");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        ::close(master_);
        throw systemError("grantpt/unlockpt");
    }
    const char* name = ptsname(master_);
    if (!name) {
        ::close(master_);
        throw systemError("ptsname");
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
        ::close(master_);
        throw systemError("open slave");
    }
    termios tio{};
    if (tcgetattr(slave_, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B19200);
        cfsetospeed(&tio, B19200);
        tcsetattr(slave_, TCSANOW, &tio);
    }
}

PtyServer::~PtyServer() {
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
}

MasterLine PtyServer::masterLine() const {
    termios tio{};
    if (tcgetattr(slave_, &tio) != 0)
        return {};
    // A Linux pty clears PARENB and forces CS8 whatever the master sets. What survives of a
    // parity request is PARODD and INPCK, the input parity check that a master asking for
    // parity turns on (this tool and libmodbus do); so either of the three means parity.
    const bool parity = (tio.c_cflag & (PARENB | PARODD)) != 0 || (tio.c_iflag & INPCK) != 0;
    const auto code = static_cast<std::uint16_t>(!parity ? 0 : (tio.c_cflag & PARODD) ? 1 : 2);
    const tcflag_t size = tio.c_cflag & CSIZE;
    const unsigned bits = size == CS5 ? 5 : size == CS6 ? 6 : size == CS7 ? 7 : 8;
    return {baudOf(cfgetispeed(&tio)), code, bits};
}

void PtyServer::answer(const SlaveReply& reply, const ServeOptions& options,
                       const RequestSeen& request, const std::atomic<bool>& stop) {
    if (!options.pace) {
        const auto due = SteadyClock::now() + std::chrono::milliseconds(reply.delayMs);
        if (sleepUntilUnlessStopped(due, stop))
            writeAll(master_, reply.bytes);
        return;
    }
    PtyPaceLine line(master_, stop);
    const AnswerSchedule schedule(charTimeUs(reply.baud, reply.parity), request, line.now(),
                                  std::chrono::milliseconds(reply.delayMs));
    sendPaced(reply.bytes, schedule, line);
}

void PtyServer::serve(MeterBus& bus, const ServeOptions& options, const std::atomic<bool>& stop) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    // Paced answers wake once a character (87 us at 115200): the usual 50 us timer slack would
    // make many of those wake-ups late.
    if (options.pace)
        ::prctl(PR_SET_TIMERSLACK, 1UL);
    const auto nowMs = [&] {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
    };
    std::vector<std::uint8_t> buffer;
    RequestSeen seen; // when the bytes in buffer arrived
    auto process = [&](std::span<const std::uint8_t> frame) {
        if (!options.freezeTime)
            bus.setTimeMs(nowMs());
        if (options.verbose)
            *options.verbose << "<- " << hexBytes(frame) << std::endl;
        const BusReply heard = bus.respond(frame, masterLine());
        if (options.verbose && heard.heardBy == 0)
            *options.verbose << "   (line settings differ from the meters': not heard)"
                             << std::endl;
        if (options.verbose && heard.answeredBy > 1)
            *options.verbose << "   (" << heard.answeredBy << " meters answered: collision)"
                             << std::endl;
        const SlaveReply& reply = heard.answer;
        if (options.verbose && !reply.bytes.empty())
            *options.verbose << "-> " << hexBytes(reply.bytes)
                             << (reply.delayMs ? " (delayed)" : "") << std::endl;
        if (!reply.bytes.empty())
            answer(reply, options, {seen.first, seen.last, frame.size()}, stop);
    };

    std::uint8_t chunk[2048];
    while (!stop.load()) {
        // The silence that ends a frame: 3.5 characters at the master's speed, but not below a
        // few milliseconds, which a pty's scheduling needs.
        const MasterLine line = masterLine();
        const double gapMs =
            std::max(5.0, 3.5 * charTimeUs(line.baud ? line.baud : 19200, line.parity) / 1000);
        pollfd p{master_, POLLIN, 0};
        const int timeout = buffer.empty() ? 200 : static_cast<int>(std::ceil(gapMs));
        const int r = ::poll(&p, 1, timeout);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            throw systemError("poll");
        }
        if (r == 0) {
            if (!buffer.empty()) { // silence: whatever came is one frame
                process(buffer);
                buffer.clear();
            } else if (!options.freezeTime) {
                bus.setTimeMs(nowMs()); // keep the archives recording while idle
            }
            continue;
        }
        if (p.revents & POLLIN) {
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            if (n > 0) {
                const PaceTime now = Clock::now().time_since_epoch();
                if (buffer.empty())
                    seen.first = now;
                seen.last = now;
                buffer.insert(buffer.end(), chunk, chunk + n);
                // A frame whose length and CRC are complete is served at once.
                const std::size_t len = requestLength(buffer);
                if (len != 0 && buffer.size() == len && crcValid(buffer)) {
                    process(buffer);
                    buffer.clear();
                }
                continue;
            }
        }
        // EIO / hang-up: no master has the device open; wait and look again.
        buffer.clear();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

} // namespace flowcfg::sim
