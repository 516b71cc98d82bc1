// The master's handling of what comes back from the line. One FC3, FC16 or FC 0x19 request
// goes out on an in-memory port, with or without the quick answer end; every read of the port
// takes its bytes (and the line-error flags) from the fuzzer. The result is held against an
// independent reading of the last answer: the transaction succeeds exactly when that answer is
// the well-formed frame the request asked for, and then the values handed back are its data.

#include "FuzzSupport.h"
#include "link/Crc16.h"
#include "link/ModbusMaster.h"

#include <algorithm>
#include <array>
#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

namespace flowcfg::fuzz {
namespace {

class FuzzedPort final : public SerialPort {
public:
    explicit FuzzedPort(FuzzedDataProvider& data) : data_(data) {}

    void setLine(const LineSettings&) override {}
    void setTimeouts(const SerialTimeouts&) override {}
    void setQueueSizes(std::size_t, std::size_t) override {}
    void purge() override {}
    std::size_t write(std::span<const std::uint8_t> bytes) override { return bytes.size(); }
    std::size_t read(std::span<std::uint8_t> buffer) override {
        std::vector<std::uint8_t> in = arrival(buffer.size());
        std::copy(in.begin(), in.end(), buffer.begin());
        const std::size_t n = in.size();
        if (!quick)
            lastAnswer = std::move(in); // with the quick end a read only drops what follows
        return n;
    }
    // The bytes arrive in chunks of fuzzed sizes, and the read ends after the first chunk
    // that completes the answer, as on a real port.
    std::size_t readUntil(std::span<std::uint8_t> buffer, const AnswerComplete& complete) override {
        const std::vector<std::uint8_t> in = arrival(buffer.size());
        std::size_t got = 0;
        while (got < in.size()) {
            got += data_.ConsumeIntegralInRange<std::size_t>(1, in.size() - got);
            if (complete(std::span(in).first(got)))
                break;
        }
        lastAnswer.assign(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(got));
        std::copy(lastAnswer.begin(), lastAnswer.end(), buffer.begin());
        return got;
    }
    LineErrors fetchLineErrors() override {
        lastErrors =
            data_.ConsumeIntegralInRange<int>(0, 15) == 0 ? LineErrors{1, 0, 0} : LineErrors{};
        return lastErrors;
    }
    void setRts(bool) override {}
    void setDtr(bool) override {}

    bool quick = false; // the link ends reads at a whole answer
    std::vector<std::uint8_t> lastAnswer;
    LineErrors lastErrors;

private:
    // Sometimes the whole asked length, so that well-formed frames come up often.
    std::vector<std::uint8_t> arrival(std::size_t asked) {
        const std::size_t n =
            data_.ConsumeBool() ? asked : data_.ConsumeIntegralInRange<std::size_t>(0, asked);
        return data_.ConsumeBytes<std::uint8_t>(n);
    }

    FuzzedDataProvider& data_;
};

class NoDevices final : public SerialDevices {
public:
    OpenResult open(const std::string&) override { return {}; }
};

// The answer the request asked for: its length, the address (0 takes any), the function
// code and the CRC over the frame.
bool wellFormed(const std::vector<std::uint8_t>& a, std::size_t length, std::uint8_t address,
                std::uint8_t function) {
    if (a.size() != length || (address != 0 && a[0] != address) || a[1] != function)
        return false;
    const std::uint16_t crc = crc16(std::span(a).first(length - 2));
    return a[length - 2] == (crc & 0xFF) && a[length - 1] == (crc >> 8);
}

} // namespace
} // namespace flowcfg::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace flowcfg;
    using namespace flowcfg::fuzz;
    static InstantPump pump;
    static StillClock clock;
    static SilentDialogs dialogs;
    static NoDevices devices;
    FuzzedDataProvider data(bytes, size);

    LinkContext ctx(devices, pump, clock, dialogs);
    ctx.settings.UseLogFile = 0;
    ctx.settings.NetAdrr = data.ConsumeIntegralInRange<std::uint16_t>(0, 255);
    ctx.settings.Reask_val = data.ConsumeIntegralInRange<std::uint16_t>(1, 3);
    ctx.settings.read_hold_reg_err_msk = data.ConsumeIntegral<std::uint16_t>();
    ctx.settings.parity = data.ConsumeIntegralInRange<std::uint16_t>(0, 2);
    ctx.settings.QuickAnswerEnd = data.ConsumeBool() ? 1 : 0;
    auto owned = std::make_unique<FuzzedPort>(data);
    FuzzedPort& port = *owned;
    port.quick = ctx.settings.QuickAnswerEnd == 1;
    ctx.port = std::move(owned);
    ModbusMaster master(ctx);

    const auto address = static_cast<std::uint8_t>(ctx.settings.NetAdrr);
    const int kind = data.ConsumeIntegralInRange<int>(0, 2);
    ExchangeResult result;
    std::size_t length = 0;
    std::uint8_t function = 0;
    std::array<std::uint16_t, 255> values{};
    std::array<std::uint8_t, 1024> block{};
    std::uint8_t count = 0;
    if (kind == 0) {
        count = data.ConsumeIntegralInRange<std::uint8_t>(1, kMaxReadRegisters);
        result = master.readHoldingRegisters(data.ConsumeIntegral<std::uint16_t>(), count, values);
        length = 2u * count + 5;
        function = 0x03;
    } else if (kind == 1) {
        const std::vector<std::uint16_t> words(
            data.ConsumeIntegralInRange<std::size_t>(0, kMaxWriteRegisters), 0x1234);
        result = master.writeMultipleRegisters(data.ConsumeIntegral<std::uint16_t>(), words, "");
        length = 8;
        function = 0x10;
    } else {
        result = master.readArchiveBlock(data.ConsumeIntegral<std::uint32_t>(), block);
        length = 1030;
        function = 0x19;
    }
    if (address == 255)
        return 0; // sent and logged, nothing taken back

    const auto& a = port.lastAnswer;
    const bool lineError = ctx.settings.parity != 0 && port.lastErrors.any();
    const bool expectOk = !lineError && wellFormed(a, length, address, function);
    FUZZ_CHECK(result.transportOk() == expectOk, "kind %d status %04x exception %u, answer of %zu",
               kind, result.status, result.exceptionCode, a.size());
    if (!expectOk)
        return 0;
    if (kind == 0) {
        for (std::size_t k = 0; k < count; ++k)
            FUZZ_CHECK(values[k] == (a[3 + 2 * k] << 8 | a[4 + 2 * k]), "register %zu", k);
    } else if (kind == 2) {
        FUZZ_CHECK(std::equal(block.begin(), block.end(), a.begin() + 4), "archive block data");
    }
    return 0;
}
