#include "model/WriteGuard.h"

#include "link/Ports.h"
#include "model/GroupIo.h"

namespace flowcfg {

namespace {

// Unlock or Lock: both write USERLOCK and CLBLOCK together.
ExchangeResult writeLocks(LinkContext& ctx, GroupId locks) {
    ctx.pump.pauseMs(400);
    const ExchangeResult result = sendCommand(ctx, locks);
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
                              DialogIcon::Warning, DefaultAnswer::Yes))
        return ended(OperationEnd::Declined);
    return std::nullopt;
}

// One stage before the unlock: nullopt to go on, else how the operation ends.
std::optional<OperationOutcome> runStage(LinkContext& ctx, const WriteOperation& op,
                                         GuardStage stage) {
    switch (stage) {
    case GuardStage::Take:
        if (op.take && !op.take())
            return ended(OperationEnd::InputRejected);
        return std::nullopt;
    case GuardStage::Check:
        return op.checksProtection ? checkProtection(ctx) : std::nullopt;
    case GuardStage::Confirm:
        if (!op.confirmation.empty() && !confirm(ctx.dialogs, op.confirmation))
            return ended(OperationEnd::Declined);
        return std::nullopt;
    }
    return std::nullopt;
}

// Steps 2 to 4 in the operation's order: nullopt to go on to the unlock.
std::optional<OperationOutcome> prepareWrite(LinkContext& ctx, const WriteOperation& op) {
    for (const GuardStage stage : op.order)
        if (auto end = runStage(ctx, op, stage))
            return end;
    return std::nullopt;
}

} // namespace

ExchangeResult readWriteProtection(LinkContext& ctx) {
    std::vector<std::uint16_t> words;
    const ExchangeResult result = readGroupWords(ctx, GroupId::DeviceStatus, words);
    if (stepSucceeded(result))
        ctx.writeProtectionWord = words[0];
    ctx.lastStatusRead = result;
    return result;
}

bool writeProtectionOn(const LinkContext& ctx) {
    return (ctx.writeProtectionWord & kWriteProtectionBit) != 0;
}

ExchangeResult unlockParameters(LinkContext& ctx) {
    return writeLocks(ctx, GroupId::Unlock);
}

ExchangeResult lockParameters(LinkContext& ctx) {
    return writeLocks(ctx, GroupId::Lock);
}

ExchangeResult restartDevice(LinkContext& ctx) {
    return sendCommand(ctx, GroupId::Restart);
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

namespace {

// The unlock of the operation's guard kind; a clean result where it has none.
ExchangeResult unlockFor(LinkContext& ctx, GuardKind guard) {
    switch (guard) {
    case GuardKind::Standard:
    case GuardKind::NoLockAfter:
        return unlockParameters(ctx);
    case GuardKind::CommandUnlock:
        return sendCommand(ctx, GroupId::UnlockForCommand);
    case GuardKind::None:
        break;
    }
    return {};
}

void run(const std::function<void()>& hook) {
    if (hook)
        hook();
}

} // namespace

OperationOutcome runWriteOperation(LinkContext& ctx, const WriteOperation& op) {
    const OperationGuard guard(ctx);
    if (!guard)
        return ended(OperationEnd::Busy);
    run(op.onStart);
    if (!openPort(ctx, true))
        return ended(OperationEnd::PortFailed);
    if (op.admits && !op.admits())
        return ended(OperationEnd::InputRejected);
    if (auto end = prepareWrite(ctx, op))
        return *end;
    if (op.beforeUnlock)
        if (const ExchangeResult r = op.beforeUnlock(); !stepSucceeded(r))
            return failed(ctx, r, false);
    if (const ExchangeResult r = unlockFor(ctx, op.guard); !stepSucceeded(r))
        return failed(ctx, r, false);
    run(op.beforeSteps);
    const bool unlocked = op.guard != GuardKind::None;
    if (const ExchangeResult r = runSteps(ctx, op.steps); !stepSucceeded(r))
        return failed(ctx, r, unlocked); // the locks stay lifted until the next good write
    run(op.afterSteps);
    const bool locks = op.guard == GuardKind::Standard;
    if (locks) {
        const ExchangeResult r = lockParameters(ctx); // looked at only where the row says so
        if (op.reportsLock && !stepSucceeded(r))
            return failed(ctx, r, true);
    }
    if (const ExchangeResult r = runSteps(ctx, op.readBack.steps); !stepSucceeded(r))
        return failed(ctx, r, unlocked && !locks);
    run(op.readBack.show);
    if (!op.success.empty())
        showSuccess(ctx.dialogs, op.success);
    return {OperationEnd::Succeeded, {}, unlocked && !locks};
}

OperationOutcome runReadOperation(LinkContext& ctx, const ReadOperation& op) {
    const OperationGuard guard(ctx);
    if (!guard)
        return ended(OperationEnd::Busy);
    run(op.onStart);
    if (!openPort(ctx, true))
        return ended(OperationEnd::PortFailed);
    if (const ExchangeResult r = runSteps(ctx, op.steps); !stepSucceeded(r))
        return failed(ctx, r, false);
    run(op.show);
    if (!op.success.empty())
        showSuccess(ctx.dialogs, op.success);
    return {};
}

WriteOperation restartOperation() {
    WriteOperation op;
    op.confirmation = kRestartQuestion;
    op.guard = GuardKind::NoLockAfter;
    // The meter restarts: nothing to show.
    op.steps.push_back({restartDevice, 0, 0, OnFailure::Ignore});
    return op;
}

OperationOutcome runRestart(LinkContext& ctx) {
    return runWriteOperation(ctx, restartOperation());
}

} // namespace flowcfg
