#pragma once
// One open serial device: line settings, the five timeouts, purge, synchronous write and
// read, line-error flags and the two modem signals. Implementations: PosixSerialPort (a
// real tty or pty) and, for tests, the in-process FakeSerialLine.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace flowcfg {

enum class Parity : std::uint8_t { None, Odd, Even };
enum class StopBits : std::uint8_t { One, OneAndHalf, Two };

struct LineSettings {
    std::uint32_t baud = 19200;
    std::uint8_t dataBits = 8; // 5..8
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
};

// Timeouts in milliseconds with the usual serial-driver meaning: a read returns when the
// requested count has arrived, when the gap between two bytes exceeds readInterval (0 = no
// interval limit), or when readTotalMultiplier * requested + readTotalConstant has passed
// (both 0 = no total limit).
struct SerialTimeouts {
    std::uint32_t readInterval = 0;
    std::uint32_t readTotalMultiplier = 0;
    std::uint32_t readTotalConstant = 0;
    std::uint32_t writeTotalMultiplier = 0;
    std::uint32_t writeTotalConstant = 0;
};

// Says whether the bytes received so far already make a whole answer.
using AnswerComplete = std::function<bool(std::span<const std::uint8_t> received)>;

// Line errors seen since the last fetch.
struct LineErrors {
    std::uint32_t parity = 0;
    std::uint32_t framing = 0;
    std::uint32_t overrun = 0;
    bool any() const { return parity || framing || overrun; }
};

class SerialPort {
public:
    virtual ~SerialPort() = default;

    virtual void setLine(const LineSettings& line) = 0;
    virtual void setTimeouts(const SerialTimeouts& timeouts) = 0;
    virtual void setQueueSizes(std::size_t input, std::size_t output) = 0;
    // Discards what is queued in both directions.
    virtual void purge() = 0;
    // Writes the whole buffer; returns the number of bytes written.
    virtual std::size_t write(std::span<const std::uint8_t> bytes) = 0;
    // Reads up to buffer.size() bytes under the timeouts; returns the count received.
    virtual std::size_t read(std::span<std::uint8_t> buffer) = 0;
    // Reads as read() does, but also returns as soon as `complete` holds for the bytes
    // received so far (asked after every arrival). A port that cannot ask between arrivals
    // reads as read() does, which is never wrong, only slower.
    virtual std::size_t readUntil(std::span<std::uint8_t> buffer,
                                  const AnswerComplete& /*complete*/) {
        return read(buffer);
    }
    // Returns the line errors seen since the previous call and clears them.
    virtual LineErrors fetchLineErrors() = 0;
    virtual void setRts(bool on) = 0;
    virtual void setDtr(bool on) = 0;
    // True once the device has gone away under the open port (a USB adapter pulled, a pty's
    // master closed): every further read and write fails at once, and only a new open helps.
    virtual bool lost() const { return false; }
};

// Why an open failed, in terms an engineer can act on.
enum class OpenError : std::uint8_t { None, NoSuchDevice, Busy, NoPermission, Other };

struct OpenResult {
    std::unique_ptr<SerialPort> port; // null on failure
    OpenError error = OpenError::None;
    std::string detail; // the system's reason, in Russian, for the box and the CLI
};

// Opens devices by path (exclusive, read/write, existing only). The application uses the
// POSIX one; tests hand in a registry of in-process lines.
class SerialDevices {
public:
    virtual ~SerialDevices() = default;
    virtual OpenResult open(const std::string& path) = 0;
};

} // namespace flowcfg
