#include "platform/PosixSerialPort.h"

#include "platform/SystemErrorText.h"
#include "platform/TermiosLine.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/serial.h>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace flowcfg {

namespace {

using SteadyClock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// Milliseconds left until `deadline`, clamped to what poll() takes; nullopt = no deadline.
int pollWait(std::optional<SteadyClock::time_point> deadline) {
    if (!deadline)
        return -1;
    auto left = std::chrono::ceil<Ms>(*deadline - SteadyClock::now()).count();
    return static_cast<int>(std::clamp<decltype(left)>(left, 0, 1'000'000));
}

std::optional<SteadyClock::time_point> deadlineAfter(SteadyClock::time_point start,
                                                     std::uint64_t ms) {
    if (ms == 0)
        return std::nullopt;
    return start + Ms(ms);
}

std::optional<SteadyClock::time_point> earlier(std::optional<SteadyClock::time_point> a,
                                               std::optional<SteadyClock::time_point> b) {
    if (!a)
        return b;
    if (!b)
        return a;
    return std::min(*a, *b);
}

// Waits for `events` on fd; returns the revents, 0 on timeout, -1 on a poll failure.
int waitFor(int fd, short events, std::optional<SteadyClock::time_point> deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        int r = ::poll(&p, 1, pollWait(deadline));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return -1;
        // poll() takes at most the clamp above: wait on for longer deadlines.
        if (r == 0 && deadline && SteadyClock::now() < *deadline)
            continue;
        return r == 0 ? 0 : p.revents;
    }
}

// Errors of a read or write that mean the device is gone, not that the line is busy.
bool deviceGone(int err) {
    return err == EIO || err == ENXIO || err == ENODEV || err == EPIPE || err == EBADF;
}

OpenError classify(int err) {
    switch (err) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return OpenError::NoSuchDevice;
    case EBUSY:
        return OpenError::Busy;
    case EACCES:
    case EPERM:
        return OpenError::NoPermission;
    default:
        return OpenError::Other;
    }
}

OpenResult failure(int err, int fd = -1) {
    if (fd >= 0)
        ::close(fd);
    OpenResult r;
    r.error = classify(err);
    r.detail = systemErrorText(err);
    return r;
}

} // namespace

PosixSerialPort::PosixSerialPort(int fd) : fd_(fd) {
    // Errors counted before the open are not ours to report. A device that keeps no counts
    // (a pty) is not asked again: that saves three calls a transaction.
    countsErrors_ = readErrorCounts(lastCounts_);
}

PosixSerialPort::~PosixSerialPort() {
    if (fd_ < 0)
        return;
    // The exclusive flag outlives this descriptor on some drivers (a pty keeps it while its
    // master is open): give it back so the next open, ours or another program's, succeeds.
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
}

void PosixSerialPort::setLine(const LineSettings& line) {
    termios t{};
    if (fd_ < 0 || ::tcgetattr(fd_, &t) != 0)
        return;
    applyLineSettings(t, line);
    ::tcsetattr(fd_, TCSANOW, &t);
}

void PosixSerialPort::setTimeouts(const SerialTimeouts& timeouts) {
    timeouts_ = timeouts;
}

// Linux sizes the tty buffers itself and offers no call to change them.
void PosixSerialPort::setQueueSizes(std::size_t, std::size_t) {}

void PosixSerialPort::purge() {
    if (fd_ >= 0)
        ::tcflush(fd_, TCIOFLUSH);
}

std::size_t PosixSerialPort::write(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0 || bytes.empty())
        return 0;
    const std::uint64_t limitMs =
        std::uint64_t{timeouts_.writeTotalMultiplier} * bytes.size() + timeouts_.writeTotalConstant;
    const auto deadline = deadlineAfter(SteadyClock::now(), limitMs);

    // The descriptor blocks; for a time-limited write it is switched to non-blocking so that
    // a stalled line cannot hold us past the limit.
    const int flags = deadline ? ::fcntl(fd_, F_GETFL) : -1;
    const bool toggled = deadline && flags >= 0 && !(flags & O_NONBLOCK) &&
                         ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK) == 0;

    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            int ev = waitFor(fd_, POLLOUT, deadline);
            if (ev > 0 && (ev & (POLLERR | POLLHUP | POLLNVAL)))
                lost_ = true;
            if (ev <= 0 || lost_)
                break;
            continue;
        }
        if (n < 0 && deviceGone(errno))
            lost_ = true; // EIO after a hang-up
        break;
    }
    if (toggled)
        ::fcntl(fd_, F_SETFL, flags);

    // Wait until the bytes have left the UART; drivers without the notion (ptys) return at once
    // or fail, either of which is fine.
    if (done > 0)
        while (::tcdrain(fd_) != 0 && errno == EINTR) {
        }
    return done;
}

std::size_t PosixSerialPort::read(std::span<std::uint8_t> buffer) {
    return readBytes(buffer, nullptr);
}

std::size_t PosixSerialPort::readUntil(std::span<std::uint8_t> buffer,
                                       const AnswerComplete& complete) {
    return readBytes(buffer, &complete);
}

std::size_t PosixSerialPort::readBytes(std::span<std::uint8_t> buffer,
                                       const AnswerComplete* complete) {
    if (fd_ < 0 || buffer.empty())
        return 0;
    const auto start = SteadyClock::now();
    const std::uint64_t totalMs =
        std::uint64_t{timeouts_.readTotalMultiplier} * buffer.size() + timeouts_.readTotalConstant;
    const auto totalDeadline = deadlineAfter(start, totalMs);
    const bool noLimits = !totalDeadline && timeouts_.readInterval == 0;

    std::size_t got = 0;
    std::optional<SteadyClock::time_point> intervalDeadline;
    while (got < buffer.size()) {
        // With no limit at all, only what is already queued is taken.
        const auto deadline =
            noLimits ? std::optional{start} : earlier(totalDeadline, intervalDeadline);
        int ev = waitFor(fd_, POLLIN, deadline);
        if (ev <= 0)
            break; // timed out, or poll itself failed
        if (!(ev & POLLIN)) {
            lost_ = (ev & (POLLERR | POLLHUP | POLLNVAL)) != 0; // nothing left to read
            break;
        }
        ssize_t n = ::read(fd_, buffer.data() + got, buffer.size() - got);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) {
            // End of file after a hang-up, or the line is gone.
            lost_ = n == 0 || deviceGone(errno);
            break;
        }
        got += static_cast<std::size_t>(n);
        if (complete && *complete && (*complete)(buffer.first(got)))
            break;
        // The interval runs from the last byte received; a chunk's bytes arrived together.
        intervalDeadline = deadlineAfter(SteadyClock::now(), timeouts_.readInterval);
    }
    return got;
}

bool PosixSerialPort::readErrorCounts(ErrorCounts& out) const {
    serial_icounter_struct ic{};
    if (fd_ < 0 || ::ioctl(fd_, TIOCGICOUNT, &ic) != 0)
        return false;
    out.parity = static_cast<std::uint32_t>(ic.parity);
    out.framing = static_cast<std::uint32_t>(ic.frame);
    out.overrun =
        static_cast<std::uint32_t>(ic.overrun) + static_cast<std::uint32_t>(ic.buf_overrun);
    return true;
}

LineErrors PosixSerialPort::fetchLineErrors() {
    ErrorCounts now;
    if (!countsErrors_ || !readErrorCounts(now))
        return {};
    // The driver's counters only grow (and may wrap): unsigned differences stay right.
    LineErrors e{now.parity - lastCounts_.parity, now.framing - lastCounts_.framing,
                 now.overrun - lastCounts_.overrun};
    lastCounts_ = now;
    return e;
}

// Ptys have no modem lines; a failure there (or on any driver without them) is harmless.
void PosixSerialPort::setModemLine(int bit, bool on) {
    if (fd_ >= 0)
        ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit);
}

void PosixSerialPort::setRts(bool on) {
    setModemLine(TIOCM_RTS, on);
}
void PosixSerialPort::setDtr(bool on) {
    setModemLine(TIOCM_DTR, on);
}

OpenResult PosixSerialDevices::open(const std::string& path) {
    // Non-blocking only for the open itself, so that a modem line that is down cannot hold
    // it; all further I/O blocks and is paced by poll().
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failure(errno);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return failure(errno, fd);
    // The lock first: failing it must leave the holder's exclusive flag alone.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return failure(errno == EWOULDBLOCK ? EBUSY : errno, fd);
    // Fails with ENOTTY on anything that is not a terminal: a regular file is no serial port.
    if (::ioctl(fd, TIOCEXCL) != 0)
        return failure(errno, fd);
    termios t{};
    if (::tcgetattr(fd, &t) == 0) {
        makeRawLine(t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    OpenResult r;
    r.port = std::make_unique<PosixSerialPort>(fd);
    return r;
}

} // namespace flowcfg
