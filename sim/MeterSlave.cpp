#include "sim/MeterSlave.h"

#include <algorithm>

namespace flowcfg::sim {

namespace {

constexpr std::size_t kServedKept = 100000;
constexpr std::uint16_t kMaxReadCount = 125;
constexpr std::uint16_t kMaxWriteCount = 123;

} // namespace

MeterSlave::MeterSlave(const MeterConfig& config, std::uint64_t seed)
    : meter_(config), faults_(seed) {}

void MeterSlave::record(const ServedRequest& info) {
    if (served_.size() >= kServedKept)
        served_.erase(served_.begin(), served_.begin() + kServedKept / 2);
    served_.push_back(info);
}

void MeterSlave::count(const FaultDecision& fault) {
    ++counts_.requests;
    if (!fault.any())
        return;
    ++counts_.faulted;
    counts_.silent += fault.silent;
    counts_.truncated += fault.truncate;
    counts_.badCrc += fault.badCrc;
    counts_.otherAddress += fault.otherAddress;
    counts_.exception += fault.exception != 0;
    counts_.delayed += fault.delayMs != 0;
    counts_.garbage += fault.garbage;
}

SlaveReply MeterSlave::respond(std::span<const std::uint8_t> request) {
    SlaveReply reply;
    reply.baud = meter_.baud();
    reply.parity = meter_.parity();
    if (request.size() < 4 || !crcValid(request)) {
        ++counts_.badFrames;
        return reply;
    }
    const std::uint8_t address = request[0];
    if (address != 0 && address != meter_.address()) {
        ++counts_.foreignFrames;
        return reply;
    }
    ServedRequest info;
    info.timeMs = meter_.timeMs();
    info.address = address;
    info.function = request[1];
    counts_.writes += info.function == kWriteMultiple;
    if (request.size() >= 6 && (info.function == kReadHolding || info.function == kWriteMultiple)) {
        info.start = wordAt(request, 2);
        info.count = wordAt(request, 4);
    } else if (request.size() >= 8 && info.function == kReadArchiveBlock) {
        info.block = std::uint32_t{wordAt(request, 2)} << 16 | wordAt(request, 4);
    }

    const bool broadcast = address == 0;
    const FaultDecision fault =
        broadcast ? FaultDecision{}
                  : faults_.decide(info.start, info.function == kReadArchiveBlock ? 0 : info.count);
    info.faulted = fault.any();
    count(fault);
    if (fault.silent) {
        record(info);
        return reply;
    }
    std::vector<std::uint8_t> answer;
    if (fault.exception) {
        info.exception = static_cast<ModbusException>(fault.exception);
        answer = exceptionAnswer(address, info.function, info.exception);
    } else {
        answer = execute(request, info);
    }
    if (broadcast)
        answer.clear();
    if (!answer.empty()) {
        if (fault.otherAddress) {
            answer.resize(answer.size() - 2);
            answer[0] = static_cast<std::uint8_t>(answer[0] == 247 ? 1 : answer[0] + 1);
            appendCrc(answer);
        }
        if (fault.badCrc)
            answer.back() ^= 0x5A;
        if (fault.truncate) {
            const std::size_t keep = fault.truncateTo ? fault.truncateTo : answer.size() / 2;
            answer.resize(std::clamp<std::size_t>(keep, 1, answer.size() - 1));
        }
        if (fault.garbage)
            answer = faults_.randomBytes(fault.garbageBytes ? fault.garbageBytes : answer.size());
    }
    info.answered = !answer.empty();
    counts_.answered += info.answered;
    record(info);
    reply.bytes = std::move(answer);
    reply.delayMs = fault.delayMs;
    meter_.activateLine();
    return reply;
}

std::vector<std::uint8_t> MeterSlave::execute(std::span<const std::uint8_t> frame,
                                              ServedRequest& info) {
    const std::uint8_t address = frame[0];
    const std::uint8_t fc = frame[1];
    auto fail = [&](ModbusException e) {
        info.exception = e;
        return exceptionAnswer(address, fc, e);
    };
    switch (fc) {
    case kReadHolding: {
        if (frame.size() != 8)
            return fail(ModbusException::IllegalDataValue);
        if (info.count == 0 || info.count > kMaxReadCount)
            return fail(ModbusException::IllegalDataValue);
        std::vector<std::uint16_t> words;
        if (const auto e = meter_.read(info.start, info.count, words); e != ModbusException::None)
            return fail(e);
        std::vector<std::uint8_t> out{address, fc, static_cast<std::uint8_t>(2 * info.count)};
        for (const auto w : words)
            pushWord(out, w);
        appendCrc(out);
        return out;
    }
    case kWriteMultiple: {
        if (frame.size() < 9 || info.count == 0 || info.count > kMaxWriteCount ||
            frame[6] != 2 * info.count || frame.size() != 9 + std::size_t{frame[6]})
            return fail(ModbusException::IllegalDataValue);
        std::vector<std::uint16_t> values(info.count);
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = wordAt(frame, 7 + 2 * i);
        if (const auto e = meter_.write(info.start, values); e != ModbusException::None)
            return fail(e);
        std::vector<std::uint8_t> out(frame.begin(), frame.begin() + 6);
        appendCrc(out);
        return out;
    }
    case kReadArchiveBlock: {
        if (frame.size() != 8)
            return fail(ModbusException::IllegalDataValue);
        // address, function, two bytes (the block size, big-endian), the block, CRC.
        std::vector<std::uint8_t> out(4 + kBlockSize);
        const std::span<std::uint8_t, kBlockSize> block(out.data() + 4, kBlockSize);
        if (const auto e = meter_.readArchiveBlock(info.block, block); e != ModbusException::None)
            return fail(e);
        out[0] = address;
        out[1] = fc;
        out[2] = static_cast<std::uint8_t>(kBlockSize >> 8);
        out[3] = static_cast<std::uint8_t>(kBlockSize & 0xFF);
        appendCrc(out);
        return out;
    }
    default:
        return fail(ModbusException::IllegalFunction);
    }
}

} // namespace flowcfg::sim
