#include "FakeSerialLine.h"

#include <algorithm>

namespace flowcfg::test {

FakeSerialPort::FakeSerialPort(std::shared_ptr<FakeSerialLine> line) : line_(std::move(line)) {
    line_->open = true;
}

FakeSerialPort::~FakeSerialPort() {
    line_->open = false;
}

void FakeSerialPort::setQueueSizes(std::size_t in, std::size_t out) {
    line_->inputQueue = in;
    line_->outputQueue = out;
}

void FakeSerialPort::purge() {
    ++line_->purges;
    line_->rx.clear();
}

std::size_t FakeSerialPort::write(std::span<const std::uint8_t> bytes) {
    lateBytesArrive();
    line_->requests.emplace_back(bytes.begin(), bytes.end());
    if (line_->responder) {
        const auto answer = line_->responder(bytes);
        line_->rx.insert(line_->rx.end(), answer.begin(), answer.end());
    }
    return bytes.size();
}

void FakeSerialPort::lateBytesArrive() {
    line_->rx.insert(line_->rx.end(), line_->late.begin(), line_->late.end());
    line_->late.clear();
}

void FakeSerialPort::burstArrives() {
    if (line_->bursts.empty())
        return;
    const auto burst = std::move(line_->bursts.front());
    line_->bursts.pop_front();
    line_->rx.insert(line_->rx.end(), burst.begin(), burst.end());
}

std::size_t FakeSerialPort::read(std::span<std::uint8_t> buffer) {
    ++line_->reads;
    if (line_->rx.size() < buffer.size()) { // they come while the read waits
        lateBytesArrive();
        burstArrives();
    }
    const std::size_t n = std::min(buffer.size(), line_->rx.size());
    std::copy_n(line_->rx.begin(), n, buffer.begin());
    line_->rx.erase(line_->rx.begin(), line_->rx.begin() + static_cast<std::ptrdiff_t>(n));
    waitOnTheLine(buffer.size(), n);
    return n;
}

std::size_t FakeSerialPort::readUntil(std::span<std::uint8_t> buffer,
                                      const AnswerComplete& complete) {
    ++line_->reads;
    std::size_t n = 0;
    for (bool waited = false; n < buffer.size(); ++n) {
        if (line_->rx.empty() && !waited) {
            lateBytesArrive();
            burstArrives();
            waited = true;
        }
        if (line_->rx.empty())
            break;
        buffer[n] = line_->rx.front();
        line_->rx.pop_front();
        if (complete(buffer.first(n + 1)))
            return n + 1; // ended by the answer: no time spent waiting
    }
    waitOnTheLine(buffer.size(), n);
    return n;
}

void FakeSerialPort::waitOnTheLine(std::size_t asked, std::size_t got) {
    if (!line_->clock || got >= asked)
        return;
    const auto& t = line_->timeouts;
    const std::uint64_t total = std::uint64_t{t.readTotalMultiplier} * asked + t.readTotalConstant;
    // Bytes that arrived end the read by the interval gap, silence by the total timeout.
    line_->clock->advance(got > 0 && t.readInterval ? t.readInterval : total);
}

LineErrors FakeSerialPort::fetchLineErrors() {
    const LineErrors e = line_->pendingErrors;
    line_->pendingErrors = {};
    return e;
}

std::shared_ptr<FakeSerialLine> FakeSerialDevices::add(const std::string& path) {
    auto& line = lines_[path];
    if (!line)
        line = std::make_shared<FakeSerialLine>();
    return line;
}

OpenResult FakeSerialDevices::open(const std::string& path) {
    ++opens;
    if (auto r = refused_.find(path); r != refused_.end())
        return {nullptr, r->second, "refused by the test"};
    const auto it = lines_.find(path);
    if (it == lines_.end())
        return {nullptr, OpenError::NoSuchDevice, "no such device"};
    if (it->second->open)
        return {nullptr, OpenError::Busy, "device busy"};
    return {std::make_unique<FakeSerialPort>(it->second), OpenError::None, {}};
}

} // namespace flowcfg::test
