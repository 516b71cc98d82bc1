// The whole-configuration write and read ("ЗАП.В ПРИБОР", "ПРОЧ.ИЗ ПРИБ.") through flowsim
// pacing the line, at 19200 and 115200 baud, in both answer ends, against their prescribed
// floor: the pauses the sequences make (counted as they are asked for), the line time of the
// bytes exchanged (counted at the port) with the 3.5-character silence before each answer,
// and what the answer end waits by rule after each read's answer. The ratio is the time the tool
// adds.

#include "FlowsimProcess.h"
#include "LineBench.h"
#include "config/WholeConfiguration.h"

#include <cstdio>
#include <memory>

namespace {

using namespace flowcfg;
using namespace flowcfg::bench;

// The port with its bytes counted.
class CountingPort final : public SerialPort {
public:
    CountingPort(std::unique_ptr<SerialPort> port, std::uint64_t& bytes, std::uint64_t& requests,
                 std::uint64_t& reads)
        : port_(std::move(port)), bytes_(bytes), requests_(requests), reads_(reads) {}
    void setLine(const LineSettings& line) override { port_->setLine(line); }
    void setTimeouts(const SerialTimeouts& t) override { port_->setTimeouts(t); }
    void setQueueSizes(std::size_t in, std::size_t out) override { port_->setQueueSizes(in, out); }
    void purge() override { port_->purge(); }
    std::size_t write(std::span<const std::uint8_t> b) override {
        ++requests_;
        if (b.size() > 1 && b[1] == 3)
            ++reads_;
        return count(port_->write(b));
    }
    std::size_t read(std::span<std::uint8_t> b) override { return count(port_->read(b)); }
    std::size_t readUntil(std::span<std::uint8_t> b, const AnswerComplete& done) override {
        return count(port_->readUntil(b, done));
    }
    LineErrors fetchLineErrors() override { return port_->fetchLineErrors(); }
    void setRts(bool on) override { port_->setRts(on); }
    void setDtr(bool on) override { port_->setDtr(on); }

private:
    std::size_t count(std::size_t n) {
        bytes_ += n;
        return n;
    }
    std::unique_ptr<SerialPort> port_;
    std::uint64_t& bytes_;
    std::uint64_t& requests_;
    std::uint64_t& reads_;
};

class CountingDevices final : public SerialDevices {
public:
    OpenResult open(const std::string& path) override {
        OpenResult r = posix_.open(path);
        if (r.port)
            r.port = std::make_unique<CountingPort>(std::move(r.port), bytes, requests, reads);
        return r;
    }
    std::uint64_t bytes = 0, requests = 0, reads = 0;

private:
    PosixSerialDevices posix_;
};

// pauseMs as asked for, summed.
class CountingPump final : public EventPump {
public:
    void processEvents() override {}
    void pauseMs(std::uint32_t ms, PauseTimer timer) override {
        pausedMs += ms;
        pump_.pauseMs(ms, timer);
    }
    std::uint64_t pausedMs = 0;

private:
    BlockingEventPump pump_;
};

struct Run {
    double ms = 0, floorMs = 0, pausesMs = 0, lineMs = 0, waitsMs = 0;
};

Run timeSequence(const std::string& device, std::uint32_t baud, bool quick, bool write) {
    CountingDevices devices;
    CountingPump pump;
    SystemClock clock;
    ConsoleDialogs dialogs{std::cerr, std::cin, true, false};
    LinkContext ctx(devices, pump, clock, dialogs);
    openBenchLink(ctx, device, baud, quick);
    DeviceImage image;
    ConfigPages pages(ctx, image);
    WholeConfiguration whole(pages);
    devices.bytes = devices.requests = devices.reads = 0;
    const auto t0 = Stopwatch::now();
    const WholeOutcome out = write ? whole.writeAll(false) : whole.readAll();
    Run r;
    r.ms = msSince(t0);
    if (out.outcome.end != OperationEnd::Succeeded)
        fail(write ? "the write failed" : "the read failed");
    r.pausesMs = static_cast<double>(pump.pausedMs);
    r.lineMs = lineTimeMs(static_cast<double>(devices.bytes) + 3.5 * devices.requests, baud);
    // A read asks for more than a whole answer holds, so its end waits by rule; a write's
    // answer has the length asked for.
    r.waitsMs = static_cast<double>(devices.reads * prescribedWaitMs(ctx));
    r.floorMs = r.pausesMs + r.lineMs + r.waitsMs;
    return r;
}

} // namespace

int main() {
    std::printf("whole configuration through flowsim --pace, one run each, ms;\nfloor: pauses "
                "+ line time of the bytes and silences + prescribed waits after the answers\n\n");
    std::printf("%-7s %-14s %-6s %9s %9s %9s %9s %9s %8s\n", "baud", "answer end", "op", "time",
                "pauses", "line", "waits", "floor", "ratio");
    for (const std::uint32_t baud : {19200u, 115200u}) {
        test::FlowsimProcess flowsim({"--pace", "--freeze-time", "--baud", std::to_string(baud)});
        for (const bool quick : kAnswerEnds)
            for (const bool write : {true, false}) {
                const Run r = timeSequence(flowsim.device(), baud, quick, write);
                std::printf("%-7u %-14s %-6s %9.1f %9.0f %9.1f %9.1f %9.1f %8.4f\n", baud,
                            answerEndName(quick), write ? "write" : "read", r.ms, r.pausesMs,
                            r.lineMs, r.waitsMs, r.floorMs, r.ms / r.floorMs);
            }
    }
    return 0;
}
