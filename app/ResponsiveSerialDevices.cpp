#include "app/ResponsiveSerialDevices.h"

#include <algorithm>

namespace flowcfg {

namespace {

class ResponsivePort final : public SerialPort {
public:
    ResponsivePort(std::unique_ptr<SerialPort> inner, EventPump& pump, const Clock& clock)
        : inner_(std::move(inner)), pump_(pump), clock_(clock),
          alive_(std::make_shared<bool>(true)) {}
    ~ResponsivePort() override { *alive_ = false; }

    void setLine(const LineSettings& line) override { inner_->setLine(line); }
    void setTimeouts(const SerialTimeouts& t) override {
        timeouts_ = t;
        inner_->setTimeouts(t);
    }
    void setQueueSizes(std::size_t in, std::size_t out) override { inner_->setQueueSizes(in, out); }
    void purge() override { inner_->purge(); }
    std::size_t write(std::span<const std::uint8_t> bytes) override { return inner_->write(bytes); }
    LineErrors fetchLineErrors() override { return inner_->fetchLineErrors(); }
    void setRts(bool on) override { inner_->setRts(on); }
    void setDtr(bool on) override { inner_->setDtr(on); }
    bool lost() const override { return inner_->lost(); }

    std::size_t read(std::span<std::uint8_t> buffer) override { return readWith(buffer, nullptr); }
    std::size_t readUntil(std::span<std::uint8_t> buffer, const AnswerComplete& complete) override {
        return readWith(buffer, &complete);
    }

private:
    std::size_t readWith(std::span<std::uint8_t> buffer, const AnswerComplete* complete);

    std::unique_ptr<SerialPort> inner_;
    EventPump& pump_;
    const Clock& clock_;
    SerialTimeouts timeouts_;
    std::shared_ptr<bool> alive_; // false once this port is destroyed
};

// complete, when given, is asked about every byte received so far, also across the inner
// reads: each inner read fills the buffer after the bytes already in.
std::size_t ResponsivePort::readWith(std::span<std::uint8_t> buffer,
                                     const AnswerComplete* complete) {
    if (buffer.empty())
        return 0;
    const SerialTimeouts t = timeouts_;
    const bool limited = t.readTotalMultiplier != 0 || t.readTotalConstant != 0;
    const std::uint64_t deadline = clock_.monotonicMs() +
                                   std::uint64_t{t.readTotalMultiplier} * buffer.size() +
                                   t.readTotalConstant;
    const auto remaining = [&]() -> std::uint64_t {
        const std::uint64_t now = clock_.monotonicMs();
        return now < deadline ? deadline - now : 0;
    };

    std::size_t got = 0;
    const auto readMore = [&]() -> std::size_t {
        const auto rest = buffer.subspan(got);
        if (!complete)
            return inner_->read(rest);
        return inner_->readUntil(rest, [&](std::span<const std::uint8_t> in) {
            return (*complete)(buffer.first(got + in.size()));
        });
    };
    const auto whole = [&] { return complete && (*complete)(buffer.first(got)); };

    // Waiting for the first bytes, in slices, with events running between them.
    for (;;) {
        const std::uint64_t left = limited ? remaining() : ResponsiveSerialDevices::kSliceMs;
        if (left == 0)
            break;
        SerialTimeouts slice;
        slice.readTotalConstant = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(left, ResponsiveSerialDevices::kSliceMs));
        inner_->setTimeouts(slice);
        got = readMore();
        if (got != 0 || inner_->lost())
            break; // a vanished device ends every read at once: no use waiting out the time
        const std::shared_ptr<bool> alive = alive_;
        pump_.processEvents();
        if (!*alive)
            return 0;
    }

    // The rest of the answer: a gap longer than the read interval ends the read, and so does
    // the end of the read's total time.
    while (got != 0 && got < buffer.size() && !whole()) {
        SerialTimeouts rest;
        rest.readInterval = t.readInterval;
        std::uint64_t budget = limited ? remaining() : 0;
        if (limited && budget == 0)
            break;
        if (t.readInterval != 0)
            budget = limited ? std::min<std::uint64_t>(budget, t.readInterval) : t.readInterval;
        rest.readTotalConstant = static_cast<std::uint32_t>(budget);
        inner_->setTimeouts(rest);
        const std::size_t n = readMore();
        got += n;
        if (n == 0 || t.readInterval == 0)
            break;
    }
    inner_->setTimeouts(t);
    return got;
}

} // namespace

OpenResult ResponsiveSerialDevices::open(const std::string& path) {
    OpenResult r = inner_.open(path);
    if (r.port)
        r.port = std::make_unique<ResponsivePort>(std::move(r.port), pump_, clock_);
    return r;
}

} // namespace flowcfg
