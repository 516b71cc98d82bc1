#pragma once
// The serial port on POSIX: a tty (or, in tests, a pty slave) driven through termios and
// poll(). Timeouts keep their serial-driver meaning: a read returns when the asked count has
// arrived, when the gap after a received byte exceeds readInterval, or when
// readTotalMultiplier * asked + readTotalConstant has passed since the read began. With no
// interval and no total limit a read returns at once with what is already queued; with an
// interval but no total limit it waits for the first byte as long as the line stays up. A
// hang-up (the device unplugged, a pty's master closed) ends a read at once and marks the
// port lost(). readUntil asks its predicate after every chunk taken from the driver: bytes that
// arrived together are taken together, so a chunk that runs past a whole answer does not end
// the read there.
// Writes block until every byte is taken, or until writeTotalMultiplier * count +
// writeTotalConstant has passed when that is not 0, and then wait for the line to drain.
//
// Opening is exclusive: TIOCEXCL keeps other non-root openers out, and an flock() (the lock
// pyserial and similar tools honour) keeps out a second opener even when it runs as root.

#include "platform/SerialPort.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace flowcfg {

class PosixSerialPort final : public SerialPort {
public:
    // Takes ownership of an open tty descriptor; -1 gives a port on which every operation
    // quietly does nothing (reads and writes return 0).
    explicit PosixSerialPort(int fd);
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    void setLine(const LineSettings& line) override;
    void setTimeouts(const SerialTimeouts& timeouts) override;
    void setQueueSizes(std::size_t input, std::size_t output) override;
    void purge() override;
    std::size_t write(std::span<const std::uint8_t> bytes) override;
    std::size_t read(std::span<std::uint8_t> buffer) override;
    std::size_t readUntil(std::span<std::uint8_t> buffer, const AnswerComplete& complete) override;
    LineErrors fetchLineErrors() override;
    void setRts(bool on) override;
    void setDtr(bool on) override;
    bool lost() const override { return lost_; }

private:
    struct ErrorCounts {
        std::uint32_t parity = 0, framing = 0, overrun = 0;
    };
    std::size_t readBytes(std::span<std::uint8_t> buffer, const AnswerComplete* complete);
    bool readErrorCounts(ErrorCounts& out) const;
    void setModemLine(int bit, bool on);

    int fd_ = -1;
    SerialTimeouts timeouts_;
    ErrorCounts lastCounts_;
    bool countsErrors_ = false; // the driver keeps line-error counts
    bool lost_ = false;         // a hang-up or an error that only a vanished device gives
};

// Opens device paths such as /dev/ttyUSB0: read/write, no controlling terminal, exclusive.
// A path that exists but is not a terminal is refused (OpenError::Other).
class PosixSerialDevices final : public SerialDevices {
public:
    OpenResult open(const std::string& path) override;
};

} // namespace flowcfg
