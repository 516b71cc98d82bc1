#include "link/WriteGuard.h"

#include "link/ModbusMaster.h"
#include "link/Ports.h"

#include <array>

namespace flowcfg {

namespace {

constexpr std::string_view kUnlockDescription = "Запись разблокировки USERLOCK CLBLOCK.";
constexpr std::string_view kLockDescription = "Запись USERLOCK.";

ExchangeResult writeLocks(LinkContext& ctx, std::uint16_t value, std::string_view description) {
    ctx.pump.pauseMs(400);
    const std::array<std::uint16_t, 2> words{value, value}; // USERLOCK, CLBLOCK
    const ExchangeResult result =
        ModbusMaster(ctx).writeMultipleRegisters(reg::ParameterLocks, words, description);
    if (!stepSucceeded(result))
        return result;
    ctx.pump.pauseMs(100);
    return {};
}

OperationOutcome ended(OperationEnd end) {
    return {end, {}, false};
}

OperationOutcome failed(LinkContext& ctx, ExchangeResult result, bool unlocked) {
    showExchangeFailure(ctx, result);
    return {OperationEnd::Failed, result, unlocked};
}

// Step 3 of the write sequence: nullopt to go on, else how the operation ends.
std::optional<OperationOutcome> checkProtection(LinkContext& ctx) {
    const ExchangeResult result = readWriteProtection(ctx);
    if (!stepSucceeded(result))
        return failed(ctx, result, false);
    if (writeProtectionOn(ctx) &&
        !ctx.dialogs.askYesNo(std::string(kWarningCaption), std::string(kWriteProtectionWarning),
                              DialogIcon::Warning))
        return ended(OperationEnd::Declined);
    return std::nullopt;
}

// Steps 2 to 4 in the operation's order: nullopt to go on to the unlock.
std::optional<OperationOutcome> prepareWrite(LinkContext& ctx, const WriteOperation& op) {
    const auto take = [&]() -> std::optional<OperationOutcome> {
        if (op.take && !op.take())
            return ended(OperationEnd::InputRejected);
        return std::nullopt;
    };
    const auto check = [&]() -> std::optional<OperationOutcome> {
        return op.checksProtection ? checkProtection(ctx) : std::nullopt;
    };
    const auto ask = [&]() -> std::optional<OperationOutcome> {
        if (!op.confirmation.empty() && !confirm(ctx.dialogs, op.confirmation))
            return ended(OperationEnd::Declined);
        return std::nullopt;
    };
    switch (op.order) {
    case GuardOrder::CheckTakeConfirm:
        if (auto end = check())
            return end;
        if (auto end = take())
            return end;
        return ask();
    case GuardOrder::ConfirmCheckTake:
        if (auto end = ask())
            return end;
        if (auto end = check())
            return end;
        return take();
    case GuardOrder::TakeCheckConfirm:
    default:
        if (auto end = take())
            return end;
        if (auto end = check())
            return end;
        return ask();
    }
}

} // namespace

ExchangeResult readWriteProtection(LinkContext& ctx) {
    std::array<std::uint16_t, 1> word{};
    const ExchangeResult result =
        ModbusMaster(ctx).readHoldingRegisters(reg::DeviceStatus, 1, word);
    if (stepSucceeded(result))
        ctx.writeProtectionWord = word[0];
    ctx.lastStatusRead = result;
    return result;
}

bool writeProtectionOn(const LinkContext& ctx) {
    return (ctx.writeProtectionWord & kWriteProtectionBit) != 0;
}

ExchangeResult unlockParameters(LinkContext& ctx) {
    return writeLocks(ctx, 1, kUnlockDescription);
}

ExchangeResult lockParameters(LinkContext& ctx) {
    return writeLocks(ctx, 0, kLockDescription);
}

ExchangeResult restartDevice(LinkContext& ctx) {
    const std::array<std::uint16_t, 1> word{1};
    const std::string description = ctx.lastWriteDescription;
    return ModbusMaster(ctx).writeMultipleRegisters(reg::Restart, word, description);
}

OperationStep rawWriteStep(std::uint16_t start, std::vector<std::uint16_t> values,
                           std::string description, std::uint32_t pauseAfterMs,
                           std::uint32_t pauseBeforeMs) {
    return {[start, values = std::move(values),
             description = std::move(description)](LinkContext& ctx) {
                return ModbusMaster(ctx).writeMultipleRegisters(start, values, description);
            },
            pauseBeforeMs, pauseAfterMs};
}

ExchangeResult runSteps(LinkContext& ctx, std::span<const OperationStep> steps) {
    for (const OperationStep& step : steps) {
        if (step.pauseBeforeMs != 0)
            ctx.pump.pauseMs(step.pauseBeforeMs);
        const ExchangeResult result = step.exchange(ctx);
        if (!stepSucceeded(result)) {
            if (step.onFailure == OnFailure::Stop)
                return result;
            if (step.onFailure == OnFailure::ReportAndContinue)
                showExchangeFailure(ctx, result);
            continue;
        }
        if (step.pauseAfterMs != 0)
            ctx.pump.pauseMs(step.pauseAfterMs);
    }
    return {};
}

OperationOutcome runWriteOperation(LinkContext& ctx, const WriteOperation& op) {
    const OperationGuard guard(ctx);
    if (!guard)
        return ended(OperationEnd::Busy);
    if (!openPort(ctx, true))
        return ended(OperationEnd::PortFailed);
    if (auto end = prepareWrite(ctx, op))
        return *end;
    if (const ExchangeResult r = unlockParameters(ctx); !stepSucceeded(r))
        return failed(ctx, r, false);
    if (const ExchangeResult r = runSteps(ctx, op.steps); !stepSucceeded(r))
        return failed(ctx, r, true); // the locks stay lifted until the next good write
    if (op.lockAfter)
        lockParameters(ctx); // its result is not looked at
    if (!op.success.empty())
        showSuccess(ctx.dialogs, op.success);
    return {OperationEnd::Succeeded, {}, !op.lockAfter};
}

OperationOutcome runReadOperation(LinkContext& ctx, const ReadOperation& op) {
    const OperationGuard guard(ctx);
    if (!guard)
        return ended(OperationEnd::Busy);
    if (!openPort(ctx, true))
        return ended(OperationEnd::PortFailed);
    if (const ExchangeResult r = runSteps(ctx, op.steps); !stepSucceeded(r))
        return failed(ctx, r, false);
    if (op.show)
        op.show();
    if (!op.success.empty())
        showSuccess(ctx.dialogs, op.success);
    return {};
}

OperationOutcome runRestart(LinkContext& ctx) {
    const OperationGuard guard(ctx);
    if (!guard)
        return ended(OperationEnd::Busy);
    if (!openPort(ctx, true))
        return ended(OperationEnd::PortFailed);
    if (!confirm(ctx.dialogs, kRestartQuestion))
        return ended(OperationEnd::Declined);
    if (const ExchangeResult r = unlockParameters(ctx); !stepSucceeded(r))
        return failed(ctx, r, false);
    restartDevice(ctx); // the meter restarts: nothing to show, no lock
    return {OperationEnd::Succeeded, {}, true};
}

} // namespace flowcfg
