#include "sim/PtyServer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
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

void sleepUs(double us) {
    if (us > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(static_cast<std::int64_t>(us)));
}

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

bool PtyServer::lineMatches(const Meter& meter) const {
    termios tio{};
    if (tcgetattr(slave_, &tio) != 0)
        return true;
    const std::uint16_t parity = (tio.c_cflag & PARENB) == 0 ? 0 : (tio.c_cflag & PARODD) ? 1 : 2;
    return baudOf(cfgetispeed(&tio)) == meter.baud() && parity == meter.parity();
}

namespace {

// Sleeps ms in short slices; false when `stop` came first.
bool waitUnlessStopped(std::uint32_t ms, const std::atomic<bool>& stop) {
    constexpr std::uint32_t kSliceMs = 20;
    for (std::uint32_t waited = 0; waited < ms; waited += kSliceMs) {
        if (stop.load())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(kSliceMs, ms - waited)));
    }
    return !stop.load();
}

} // namespace

void PtyServer::answer(const SlaveReply& reply, const ServeOptions& options,
                       const std::atomic<bool>& stop) {
    const double charUs = charTimeUs(reply.baud, reply.parity);
    if (options.pace)
        sleepUs(3.5 * charUs); // the silence that ends the request
    if (reply.delayMs && !waitUnlessStopped(reply.delayMs, stop))
        return;
    std::size_t sent = 0;
    while (sent < reply.bytes.size() && !stop.load()) {
        // Paced: a few characters per write, then wait for the line to carry them.
        const std::size_t chunk =
            options.pace ? std::max<std::size_t>(1, static_cast<std::size_t>(1000 / charUs))
                         : reply.bytes.size() - sent;
        const std::size_t n = std::min(chunk, reply.bytes.size() - sent);
        const ssize_t w = ::write(master_, reply.bytes.data() + sent, n);
        if (w < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                sleepUs(1000);
                continue;
            }
            return; // nobody listening: the answer is lost, as on an open line
        }
        sent += static_cast<std::size_t>(w);
        if (options.pace)
            sleepUs(charUs * static_cast<double>(w));
    }
}

void PtyServer::serve(MeterSlave& slave, const ServeOptions& options,
                      const std::atomic<bool>& stop) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto nowMs = [&] {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
    };
    std::vector<std::uint8_t> buffer;
    auto process = [&](std::span<const std::uint8_t> frame) {
        if (!options.freezeTime)
            slave.meter().setTimeMs(nowMs());
        if (options.verbose)
            *options.verbose << "<- " << hexBytes(frame) << std::endl;
        if (options.checkLine && !lineMatches(slave.meter())) {
            if (options.verbose)
                *options.verbose << "   (line settings differ from the meter's: not heard)"
                                 << std::endl;
            return;
        }
        const SlaveReply reply = slave.respond(frame);
        if (options.verbose && !reply.bytes.empty())
            *options.verbose << "-> " << hexBytes(reply.bytes)
                             << (reply.delayMs ? " (delayed)" : "") << std::endl;
        if (!reply.bytes.empty())
            answer(reply, options, stop);
    };

    std::uint8_t chunk[2048];
    while (!stop.load()) {
        const Meter& meter = slave.meter();
        // The silence that ends a frame: 3.5 characters, but not below a few milliseconds,
        // which a pty's scheduling needs.
        const double gapMs = std::max(5.0, 3.5 * charTimeUs(meter.baud(), meter.parity()) / 1000);
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
                slave.meter().setTimeMs(nowMs()); // keep the archive recording while idle
            }
            continue;
        }
        if (p.revents & POLLIN) {
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            if (n > 0) {
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
