#pragma once
// The in-process serial line for unit tests. What the master writes goes to a responder
// (a script, or the flowsim slave logic through SimLine.h); what the responder returns is
// what the master reads. Every request is recorded. With a FakeClock attached, a read that
// gets fewer bytes than asked advances the clock by the time the real driver would wait.
// Bytes a test puts in `late` arrive only after the answer (see there).

#include "FakeClock.h"
#include "platform/SerialPort.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace flowcfg::test {

using Responder = std::function<std::vector<std::uint8_t>(std::span<const std::uint8_t> request)>;

struct FakeSerialLine {
    Responder responder;                             // null: nothing ever answers
    std::vector<std::vector<std::uint8_t>> requests; // every write, in order
    LineSettings line;
    SerialTimeouts timeouts;
    std::size_t inputQueue = 0, outputQueue = 0;
    LineErrors pendingErrors; // handed out (and cleared) by the next fetchLineErrors
    bool rts = true, dtr = false;
    int purges = 0;
    bool open = false; // an opened port holds the line exclusively
    FakeClock* clock = nullptr;
    std::deque<std::uint8_t> rx; // bytes waiting for the master
    // Bytes still on their way: they reach rx when a read waits on the line, or else with the
    // next write (after that request's purge, ahead of its answer). A purge does not reach
    // them.
    std::vector<std::uint8_t> late;
    // Bytes that come in bursts while reads wait: each read that waits on the line gets the
    // next burst (an empty one is a read that hears nothing).
    std::deque<std::vector<std::uint8_t>> bursts;
    int reads = 0;     // read and readUntil calls
    bool gone = false; // the device vanished: the port says lost()
};

class FakeSerialPort final : public SerialPort {
public:
    explicit FakeSerialPort(std::shared_ptr<FakeSerialLine> line);
    ~FakeSerialPort() override;

    void setLine(const LineSettings& line) override { line_->line = line; }
    void setTimeouts(const SerialTimeouts& t) override { line_->timeouts = t; }
    void setQueueSizes(std::size_t in, std::size_t out) override;
    void purge() override;
    std::size_t write(std::span<const std::uint8_t> bytes) override;
    std::size_t read(std::span<std::uint8_t> buffer) override;
    // Takes the bytes one by one, as a line delivers them, and stops at the first that makes
    // the answer complete; without one, reads as read() does.
    std::size_t readUntil(std::span<std::uint8_t> buffer, const AnswerComplete& complete) override;
    LineErrors fetchLineErrors() override;
    void setRts(bool on) override { line_->rts = on; }
    void setDtr(bool on) override { line_->dtr = on; }
    bool lost() const override { return line_->gone; }

private:
    void waitOnTheLine(std::size_t asked, std::size_t got);
    void lateBytesArrive();
    void burstArrives();

    std::shared_ptr<FakeSerialLine> line_;
};

// A set of named in-process lines that the link can open like device paths.
class FakeSerialDevices final : public SerialDevices {
public:
    // Adds (or returns) the line behind a path.
    std::shared_ptr<FakeSerialLine> add(const std::string& path);
    // Makes opening the path fail with the given reason.
    void refuse(const std::string& path, OpenError error) { refused_[path] = error; }
    // Lets the path be opened again (the device is back).
    void restore(const std::string& path) { refused_.erase(path); }
    OpenResult open(const std::string& path) override;
    int opens = 0;

private:
    std::map<std::string, std::shared_ptr<FakeSerialLine>> lines_;
    std::map<std::string, OpenError> refused_;
};

} // namespace flowcfg::test
