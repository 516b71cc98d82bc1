#include "Pty.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace flowcfg::test {

namespace {

[[noreturn]] void fail(const char* what) {
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

void writeAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 10);
            continue;
        }
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

} // namespace

Pty::Pty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        fail("posix_openpt");
    char name[128];
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
        int saved = errno;
        ::close(master_);
        errno = saved;
        fail("pty setup");
    }
    slavePath_ = name;
    // Termios requests on the master act on the pair's line: raw, so nothing is echoed or
    // translated before the port under test sets its own mode.
    termios t{};
    if (::tcgetattr(master_, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(master_, TCSANOW, &t);
    }
}

Pty::~Pty() {
    closeMaster();
}

void Pty::closeMaster() {
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

void Pty::write(std::span<const std::uint8_t> bytes) {
    writeAll(master_, bytes);
}

std::vector<std::uint8_t> Pty::read(std::size_t count, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    std::vector<std::uint8_t> out;
    const auto end = Clock::now() + timeout;
    while (out.size() < count && master_ >= 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() < 0)
            break;
        pollfd p{master_, POLLIN, 0};
        int r = ::poll(&p, 1, static_cast<int>(left.count()));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0 || !(p.revents & POLLIN))
            break;
        std::uint8_t buf[256];
        std::size_t want = std::min(sizeof buf, count - out.size());
        ssize_t n = ::read(master_, buf, want);
        if (n <= 0)
            break;
        out.insert(out.end(), buf, buf + n);
    }
    return out;
}

ChunkedWriter::ChunkedWriter(int masterFd, std::vector<Chunk> chunks)
    : thread_([masterFd, chunks = std::move(chunks)] {
          for (const Chunk& c : chunks) {
              std::this_thread::sleep_for(c.delay);
              writeAll(masterFd, c.bytes);
          }
      }) {}

ChunkedWriter::~ChunkedWriter() {
    if (thread_.joinable())
        thread_.join();
}

} // namespace flowcfg::test
