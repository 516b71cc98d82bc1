#include "config/RegisterMonitor.h"

#include "config/NumberInput.h"
#include "link/ExchangeLog.h"
#include "link/ModbusMaster.h"
#include "link/Outcome.h"
#include "link/Ports.h"

namespace flowcfg {

namespace {

std::string wordsText(std::span<const std::uint16_t> words) {
    std::string text;
    for (const std::uint16_t w : words) {
        if (!text.empty())
            text += ' ';
        text += formatHex16(w);
    }
    return text;
}

void refuseInput(Dialogs& dialogs, const std::string& why) {
    dialogs.message(std::string(kInputErrorCaption), why, DialogIcon::Exclamation);
    dialogs.message(std::string(kNoticeCaption), std::string(kNothingWritten),
                    DialogIcon::Information);
}

} // namespace

std::string registerAddressText(std::uint16_t address) {
    return formatHex16(address) + " (" + std::to_string(address) + ")";
}

std::string RegisterMonitor::rangesProblem() const {
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const MonitorRange& r = ranges[i];
        std::string problem;
        if (r.count < 1 || r.count > kMaxReadRegisters)
            problem = "число регистров от 1 до " + std::to_string(kMaxReadRegisters);
        else if (std::uint32_t{r.start} + r.count > 0x10000)
            problem = "последний регистр дальше 0xFFFF";
        else
            problem = registerRangeProblem(r.type, r.count);
        if (!problem.empty())
            return "Диапазон " + std::to_string(i + 1) + ": " + problem + ".";
    }
    return {};
}

RegisterMonitor::PollEnd RegisterMonitor::poll(bool reportFailure) {
    if (!rangesProblem().empty())
        return PollEnd::Rejected;
    const OperationGuard guard(ctx_);
    if (!guard)
        return PollEnd::Busy;
    if (!ctx_.port)
        openPortAtStartUp(ctx_);
    std::vector<MonitorRow> rows;
    std::optional<ExchangeResult> firstFailure;
    std::vector<std::uint16_t> words;
    for (const MonitorRange& range : ranges) {
        words.assign(range.count, 0);
        const ExchangeResult result = ModbusMaster(ctx_).readHoldingRegisters(
            range.start, static_cast<std::uint8_t>(range.count), words);
        if (!result.transportOk()) {
            rows.push_back({range.start, "", exchangeStatusWords(result), true});
            if (!firstFailure)
                firstFailure = result;
            continue;
        }
        const std::size_t step = registerTypeInfo(range.type).words;
        for (const TypedValue& v : decodeRegisters(range.type, words)) {
            const std::span<const std::uint16_t> own =
                std::span(words).subspan(v.offset, step == 0 ? words.size() : step);
            rows.push_back({static_cast<std::uint16_t>(range.start + v.offset), wordsText(own),
                            v.text, false});
        }
    }
    rows_ = std::move(rows);
    if (reportFailure && firstFailure)
        showOutcome(ctx_, *firstFailure);
    return PollEnd::Polled;
}

OperationOutcome RegisterMonitor::write(std::uint16_t address, RegisterType type,
                                        std::string_view text) {
    EncodedValue encoded;
    WriteOperation op;
    op.checksProtection = true;
    op.confirmation = "В регистр " + registerAddressText(address) + " будет записано " +
                      std::string(text) + " (" + std::string(registerTypeInfo(type).caption) +
                      ")?.";
    op.success = kMonitorWriteSuccess;
    op.take = [&] {
        encoded = encodeRegisters(type, text);
        if (encoded.error.empty() && std::uint32_t{address} + encoded.words.size() > 0x10000)
            encoded.error = "последний регистр дальше 0xFFFF.";
        if (encoded.error.empty())
            return true;
        refuseInput(ctx_.dialogs, encoded.error);
        return false;
    };
    op.steps.push_back({.exchange = [&](LinkContext& ctx) {
        return ModbusMaster(ctx).writeMultipleRegisters(address, encoded.words,
                                                        kMonitorWriteDescription);
    }});
    return runWriteOperation(ctx_, op);
}

} // namespace flowcfg
