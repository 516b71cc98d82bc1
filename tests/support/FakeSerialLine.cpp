#include "FakeSerialLine.h"

#include <algorithm>

namespace flowcfg::test {

FakeSerialPort::FakeSerialPort(std::shared_ptr<FakeSerialLine> line) : line_(std::move(line)) {
    line_->open = true;
}

FakeSerialPort::~FakeSerialPort() { line_->open = false; }

void FakeSerialPort::setQueueSizes(std::size_t in, std::size_t out) {
    line_->inputQueue = in;
    line_->outputQueue = out;
}

void FakeSerialPort::purge() {
    ++line_->purges;
    line_->rx.clear();
}

std::size_t FakeSerialPort::write(std::span<const std::uint8_t> bytes) {
    line_->requests.emplace_back(bytes.begin(), bytes.end());
    if (line_->responder) {
        const auto answer = line_->responder(bytes);
        line_->rx.insert(line_->rx.end(), answer.begin(), answer.end());
    }
    return bytes.size();
}

std::size_t FakeSerialPort::read(std::span<std::uint8_t> buffer) {
    const std::size_t n = std::min(buffer.size(), line_->rx.size());
    std::copy_n(line_->rx.begin(), n, buffer.begin());
    line_->rx.erase(line_->rx.begin(), line_->rx.begin() + static_cast<std::ptrdiff_t>(n));
    if (line_->clock && n < buffer.size()) {
        const auto& t = line_->timeouts;
        const std::uint64_t total =
            std::uint64_t{t.readTotalMultiplier} * buffer.size() + t.readTotalConstant;
        // Bytes that arrived end the read by the interval gap, silence by the total timeout.
        line_->clock->advance(n > 0 && t.readInterval ? t.readInterval : total);
    }
    return n;
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
