#include "link/ModbusMaster.h"

#include "link/Crc16.h"
#include "link/ExchangeLog.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace flowcfg {

namespace {

constexpr std::uint8_t kReadHolding = 0x03;
constexpr std::uint8_t kWriteMultiple = 0x10;
constexpr std::uint8_t kReadArchive = 0x19;
constexpr std::uint8_t kExceptionFlag = 0x80;
constexpr std::uint16_t kNoCheckAddress = 255; // send and log, but take nothing back
constexpr std::uint32_t kRepeatPauseMs = 1000;
constexpr std::size_t kExceptionAnswer = 5; // address, function | 0x80, code, CRC

// FC3 and FC16 buffers: large enough for any 8-bit register count, so no answer and no
// request can run past them.
constexpr std::size_t kFrameBuffer = 2 * 255 + 9;
constexpr std::size_t kArchiveBuffer = 1040;
constexpr std::size_t kArchiveAnswer = 1030;
constexpr std::size_t kArchiveData = 1024;
constexpr std::size_t kArchiveDataOffset = 4;

enum class Kind : std::uint8_t { Read, Write, Archive };

// What differs between the three transactions.
struct Plan {
    Kind kind;
    std::uint8_t function;
    std::span<const std::uint8_t> request; // complete frame with CRC
    std::span<std::uint8_t> answer;        // cleared before every attempt
    std::size_t asked;                     // bytes asked from the port
    std::size_t expected;                  // expected answer length (CRC positions)
    bool checkLength;
    bool handleMessages;
    std::string_view description;
};

void appendCrc(std::span<std::uint8_t> frame, std::size_t length) {
    const std::uint16_t crc = crc16(frame.first(length));
    frame[length] = static_cast<std::uint8_t>(crc & 0xFF);
    frame[length + 1] = static_cast<std::uint8_t>(crc >> 8);
}

SerialTimeouts exchangeTimeouts(const LinkSettings& s, const TimeoutTable& t, Kind kind) {
    SerialTimeouts timeouts;
    if (kind == Kind::Archive) {
        timeouts = {200, 200, std::uint32_t{4000} + s.TimeGapPrg, 100, 100};
    } else {
        const std::size_t slot = timeoutSlot(s.speedIndex);
        timeouts = {std::uint32_t{t.RIT[slot]} + s.TimeGapPrg,
                    std::uint32_t{t.RTTM[slot]} + s.TimeGapPrg,
                    std::uint32_t{s.TimeOut} + s.TimeGapPrg, 0, 0};
    }
    if (s.answerTimeoutMs != 0) {
        timeouts.readTotalMultiplier = 0;
        timeouts.readTotalConstant = s.answerTimeoutMs + s.TimeGapPrg;
    }
    return timeouts;
}

// The last two bytes are the CRC of the bytes before them, low byte first.
bool crcMatches(std::span<const std::uint8_t> frame) {
    const std::size_t n = frame.size() - 2;
    return crc16(frame.first(n)) == static_cast<std::uint16_t>(frame[n] | (frame[n + 1] << 8));
}

// The answer read. As specified, one read of `asked` bytes: for FC3 two more than a whole
// answer, so a whole answer ends it only by the interval timeout after its last byte.
// With QuickAnswerEnd the same read also ends once the bytes in are a whole answer, which
// never changes what is received, only when the read stops waiting: a shorter, longer or
// damaged answer never satisfies the test and ends the read as before. After such an early
// end the line must stay quiet for the frame silence before the next request; what arrives
// in that time is not part of the answer and is dropped (the next purge may come too soon
// for it). With firstByteTimeoutMs the first byte is read alone under that short wait, and
// the rest under `timeouts`. The port is looked up again after each read: a handler may have
// reopened it.
std::size_t readAnswer(LinkContext& ctx, const Plan& plan, const SerialTimeouts& timeouts) {
    const auto buffer = plan.answer.first(plan.asked);
    std::size_t first = 0;
    if (const std::uint32_t wait = ctx.settings.firstByteTimeoutMs; wait != 0) {
        ctx.port->setTimeouts({0, 0, wait + ctx.settings.TimeGapPrg, 0, 0});
        first = ctx.port->read(buffer.first(1));
        if (first == 0 || !ctx.port)
            return first;
        ctx.port->setTimeouts(timeouts);
    }
    const auto rest = buffer.subspan(first);
    if (ctx.settings.QuickAnswerEnd != 1)
        return first + ctx.port->read(rest);

    const auto whole = [&plan](std::span<const std::uint8_t> in) {
        if (in.size() == plan.expected)
            return crcMatches(in);
        return in.size() == kExceptionAnswer && in[1] == (plan.function | kExceptionFlag) &&
               crcMatches(in);
    };
    const std::size_t received =
        first + ctx.port->readUntil(rest, [&](std::span<const std::uint8_t> in) {
            return whole(buffer.first(first + in.size()));
        });
    if (ctx.port && received < buffer.size() && whole(buffer.first(received))) {
        std::array<std::uint8_t, kArchiveBuffer> dropped{};
        ctx.port->setTimeouts({0, 0, frameSilenceMs(ctx.settings), 0, 0});
        ctx.port->read(dropped); // the next request sets its own timeouts first
    }
    return received;
}

ExchangeResult checkAnswer(const Plan& plan, std::span<const std::uint8_t> answer,
                           std::size_t received, std::uint16_t address) {
    ExchangeResult r;
    if (plan.checkLength && received != plan.expected)
        r.status |= status::WrongLength;
    if (received == 0) {
        r.status |= status::NothingReceived;
        return r;
    }
    if (address != 0 && answer[0] != address)
        r.status |= status::OtherAddress;
    if (answer[1] != plan.function)
        r.status |= status::NotFunction;
    if (answer[1] == (plan.function | kExceptionFlag)) {
        r.status |= status::Exception;
        r.exceptionCode = answer[2];
    }
    // Always over the positions of the expected answer: bytes that did not arrive are 0, and
    // the CRC of a correct frame followed by zeros is 0, so a correct exception answer passes.
    if (!crcMatches(answer.first(plan.expected)))
        r.status |= status::CrcMismatch;
    return r;
}

struct Outcome {
    ExchangeResult result;
    bool checked = false; // false: address 255, nothing taken from the answer
};

Outcome run(LinkContext& ctx, const Plan& plan) {
    unsigned attempt = 0; // failed attempts so far; the log numbers attempts with it
    unsigned repeats = 0;
    const auto messages = [&] {
        if (plan.handleMessages)
            ctx.pump.processEvents();
    };
    // The port is looked up again after every message handling: a handler may reopen it.
    const auto lineErrors = [&] { return ctx.port ? ctx.port->fetchLineErrors() : LineErrors{}; };

    for (;;) {
        std::fill(plan.answer.begin(), plan.answer.end(), std::uint8_t{0});
        const LinkSettings& s = ctx.settings;
        const ExchangeLog log(s, ctx.clock, &ctx.exchangeObservers);
        const std::uint16_t address = plan.request[0];

        if (ctx.port)
            ctx.port->purge();
        messages();
        const SerialTimeouts timeouts = exchangeTimeouts(s, ctx.timeouts, plan.kind);
        if (ctx.port)
            ctx.port->setTimeouts(timeouts);
        messages();
        lineErrors();
        messages();

        if (plan.kind == Kind::Archive)
            log.readRequest(plan.request, attempt);
        if (ctx.port)
            ctx.port->write(plan.request);
        messages();
        lineErrors();
        messages();
        if (plan.kind == Kind::Read)
            log.readRequest(plan.request, attempt);
        else if (plan.kind == Kind::Write)
            log.writeRequest(plan.request, plan.description, attempt);

        messages();
        std::size_t received = 0;
        if (ctx.port)
            received = std::min(readAnswer(ctx, plan, timeouts), plan.asked);
        messages();
        if (plan.kind == Kind::Write)
            log.writeAnswer(plan.answer.first(received), attempt);
        else
            log.readAnswer(plan.answer.first(received), attempt);

        messages();
        const LineErrors errors = lineErrors();
        messages();

        if (address == kNoCheckAddress)
            return {};

        ExchangeResult r = checkAnswer(plan, plan.answer, received, address);
        if (ctx.settings.parity != 0 && errors.any())
            r.status |= status::LineError;
        log.checked(r, attempt);

        if (r.status & ctx.settings.read_hold_reg_err_msk) {
            ++attempt;
            if (attempt < ctx.settings.Reask_val) {
                ctx.pump.processEvents();
                ctx.pump.pauseMs(kRepeatPauseMs, PauseTimer::AfterWrite);
                ++repeats;
                continue;
            }
        }
        // Marks a repeat that was made: with Reask_val 1 a failure is final, not repeated.
        if (repeats != 0)
            r.status |= status::Repeated;
        if (plan.kind == Kind::Write && r.status != 0)
            log.writeFailure(r);
        return {r, true};
    }
}

} // namespace

ExchangeResult ModbusMaster::readHoldingRegisters(std::uint16_t start, std::uint8_t count,
                                                  std::span<std::uint16_t> values) {
    if (values.size() < count)
        throw std::invalid_argument("readHoldingRegisters: values shorter than count");
    std::array<std::uint8_t, kFrameBuffer> request{};
    std::array<std::uint8_t, kFrameBuffer> answer{};
    request[0] = static_cast<std::uint8_t>(ctx_.settings.NetAdrr);
    request[1] = kReadHolding;
    request[2] = static_cast<std::uint8_t>(start >> 8);
    request[3] = static_cast<std::uint8_t>(start & 0xFF);
    request[4] = 0;
    request[5] = count;
    appendCrc(request, 6);

    const std::size_t expected = 2u * count + 5;
    const Plan plan{Kind::Read, kReadHolding, std::span(request).first(8),
                    answer,     expected + 2, expected,
                    true,       true,         {}};
    const Outcome out = run(ctx_, plan);
    if (out.checked) {
        for (std::size_t k = 0; k < count; ++k)
            values[k] = static_cast<std::uint16_t>(answer[3 + 2 * k] << 8 | answer[4 + 2 * k]);
    }
    return out.result;
}

ExchangeResult ModbusMaster::writeMultipleRegisters(std::uint16_t start,
                                                    std::span<const std::uint16_t> values,
                                                    std::string_view description) {
    if (values.size() > kMaxWriteRegisters)
        throw std::invalid_argument("writeMultipleRegisters: too many registers");
    ctx_.lastWriteDescription = std::string(description);
    const auto count = static_cast<std::uint8_t>(values.size());
    std::array<std::uint8_t, kFrameBuffer> request{};
    std::array<std::uint8_t, kFrameBuffer> answer{};
    request[0] = static_cast<std::uint8_t>(ctx_.settings.NetAdrr);
    request[1] = kWriteMultiple;
    request[2] = static_cast<std::uint8_t>(start >> 8);
    request[3] = static_cast<std::uint8_t>(start & 0xFF);
    request[4] = 0;
    request[5] = count;
    request[6] = static_cast<std::uint8_t>(2 * count);
    for (std::size_t k = 0; k < count; ++k) {
        request[7 + 2 * k] = static_cast<std::uint8_t>(values[k] >> 8);
        request[8 + 2 * k] = static_cast<std::uint8_t>(values[k] & 0xFF);
    }
    const std::size_t length = 2u * count + 7;
    appendCrc(request, length);

    const Plan plan{
        Kind::Write, kWriteMultiple, std::span(request).first(length + 2), answer, 8, 8, true,
        false,       description};
    return run(ctx_, plan).result;
}

ExchangeResult ModbusMaster::readArchiveBlock(std::uint32_t blockAddress,
                                              std::span<std::uint8_t, 1024> block) {
    std::array<std::uint8_t, kArchiveBuffer> request{};
    std::array<std::uint8_t, kArchiveBuffer> answer{};
    request[0] = static_cast<std::uint8_t>(ctx_.settings.NetAdrr);
    request[1] = kReadArchive;
    request[2] = static_cast<std::uint8_t>(blockAddress >> 24);
    request[3] = static_cast<std::uint8_t>(blockAddress >> 16);
    request[4] = static_cast<std::uint8_t>(blockAddress >> 8);
    request[5] = static_cast<std::uint8_t>(blockAddress);
    appendCrc(request, 6);

    // The length is checked too: a short answer that ends in its own CRC would pass the CRC
    // check over the zero-filled positions and hand back a block of zeros.
    const Plan plan{Kind::Archive, kReadArchive,   std::span(request).first(8),
                    answer,        kArchiveAnswer, kArchiveAnswer,
                    true,          true,           {}};
    const Outcome out = run(ctx_, plan);
    if (out.checked)
        std::copy_n(answer.begin() + kArchiveDataOffset, kArchiveData, block.begin());
    return out.result;
}

} // namespace flowcfg
