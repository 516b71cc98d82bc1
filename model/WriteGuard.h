#pragma once
// The guard around every configuration write and the shapes of the screen operations.
//
// A write to the meter's configuration runs the same sequence on every page: reopen the
// port, take the page into the image, on pages that check it read the write-protection bit
// and warn, ask for confirmation, lift the parameter locks (USERLOCK, CLBLOCK), send the
// groups with their pauses, set the locks again and report. A page describes its operation
// as a WriteOperation (steps, texts, hooks) and hands it to runWriteOperation; reading pages
// do the same with a ReadOperation. Steps are callables over the register map's groups
// (readStep, writeStep in model/GroupIo.h); the guard's own registers (status word, locks,
// restart) are map rows too.
//
// Every step counts as failed when its exchange result carries an error bit or an exception
// code; an answer that arrived intact after a repeat (status exactly 0x8000) is a success.

#include "link/ExchangeStatus.h"
#include "link/LinkContext.h"
#include "link/Outcome.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg {

inline constexpr std::uint16_t kWriteProtectionBit = 0x8000;
inline constexpr std::string_view kWarningCaption = "Предупреждение";
inline constexpr std::string_view kWriteProtectionWarning = "В приборе включена защита от записи.";
inline constexpr std::string_view kRestartQuestion =
    "Работа программы прибора будет перезапущена?.";

// FC3 of the device status word (the DeviceStatus row). On success stores the word as
// ctx.writeProtectionWord; the result always goes to ctx.lastStatusRead (the measurement screen
// shows it).
ExchangeResult readWriteProtection(LinkContext& ctx);
// Bit 15 of the status word as last read successfully.
bool writeProtectionOn(const LinkContext& ctx);

// 400 ms, then the Unlock row (1 to USERLOCK and CLBLOCK); on success 100 ms and a clean
// result.
ExchangeResult unlockParameters(LinkContext& ctx);
// 400 ms, then the Lock row (0 to both); on success 100 ms and a clean result.
ExchangeResult lockParameters(LinkContext& ctx);
// The Restart row (1 to the restart register), logged with the description of the previous
// write.
ExchangeResult restartDevice(LinkContext& ctx);

// What an operation does when a step fails.
enum class OnFailure : std::uint8_t {
    Stop,              // the operation ends with the failure box
    ReportAndContinue, // the failure box now, then the next step
    Ignore,            // no box, the next step
};

// One transaction of an operation with the pauses around it: pauseBeforeMs always before it,
// pauseAfterMs only after a success.
struct OperationStep {
    std::function<ExchangeResult(LinkContext&)> exchange;
    std::uint32_t pauseBeforeMs = 0;
    std::uint32_t pauseAfterMs = 0;
    OnFailure onFailure = OnFailure::Stop;
};

// The stages before the unlock, in the order an operation runs them. Most pages take,
// check, then ask (kTakeCheckConfirm); the network write checks before it takes and the
// clock write asks before it checks: another order is one more constant.
enum class GuardStage : std::uint8_t {
    Take,    // WriteOperation::take
    Check,   // the protection read and warning, when checksProtection
    Confirm, // the question, when there is one
};
using GuardOrder = std::array<GuardStage, 3>;
inline constexpr GuardOrder kTakeCheckConfirm{GuardStage::Take, GuardStage::Check,
                                              GuardStage::Confirm};

// The unlock before the steps of a write and the lock after them.
enum class GuardKind : std::uint8_t {
    Standard,      // unlockParameters, the steps, lockParameters: every configuration write
    NoLockAfter,   // unlockParameters, the steps; the locks stay lifted (restart, adjustment)
    CommandUnlock, // the UnlockForCommand row right before the steps, no lock (cleaning on/off)
    None,          // the steps alone (the blink command)
};

struct ReadOperation {
    std::vector<OperationStep> steps = {};
    std::string success = {};        // text of the success box; empty: no box
    std::function<void()> show = {}; // copies the image to the page after all steps succeeded
    // Runs first, once the operation holds the link (the pages stop the measurement poll here).
    std::function<void()> onStart = {};
};

struct WriteOperation {
    bool checksProtection = false;
    std::string confirmation{kConfigurationOverwrite}; // empty: no question
    std::string success;                               // text of the success box; empty: none
    // Copies the page into the image with validation; false (ParseFailed) ends the operation
    // with nothing written (the take shows its own message). Null: nothing to take.
    std::function<bool()> take;
    std::vector<OperationStep> steps;
    GuardKind guard = GuardKind::Standard;
    GuardOrder order = kTakeCheckConfirm;
    // Runs first, once the operation holds the link (the pages stop the measurement poll here).
    std::function<void()> onStart;
    // Exchanges after the stages and before the unlock (a page fetches what it must send as
    // the meter holds it); a failure ends the operation with its box, nothing written.
    std::function<ExchangeResult()> beforeUnlock;
    // Page rules around the steps: beforeSteps right after the unlock (the clock write takes
    // the computer's time here, so the question does not make it late), afterSteps once every
    // step succeeded and before the lock (the network write moves the tool's own link).
    std::function<void()> beforeSteps;
    std::function<void()> afterSteps;
    // A rule the write must pass once the port is open, before anything is sent; false ends
    // the operation as InputRejected (the rule has shown its own message).
    std::function<bool()> admits;
    // The lock's failure is shown with the outcome box and ends the operation as Failed,
    // instead of being passed over (the network write locks at the meter's new settings).
    bool reportsLock = false;
    // Read after the lock and shown before the success box (the clock write reads the clock
    // back); a failure there shows its box instead. Its own success text is not used.
    ReadOperation readBack;
};

enum class OperationEnd : std::uint8_t {
    Succeeded,
    Busy,          // another operation holds the link: nothing was done
    PortFailed,    // the port did not open (openPort showed why)
    InputRejected, // the take reported a bad field
    Declined,      // No to the protection warning or the confirmation
    Failed,        // an exchange failed: `failure` says how, showOutcome has explained it
};

struct OperationOutcome {
    OperationEnd end = OperationEnd::Succeeded;
    ExchangeResult failure; // the failing step's result when end is Failed
    // The locks are lifted now: a failure came after the unlock, or the operation does not
    // set them again.
    bool leftUnlocked = false;
    bool operator==(const OperationOutcome&) const = default;
};

// Runs the steps in order, each with its pauses, stopping at the first failing step whose
// onFailure is Stop (ReportAndContinue steps show their box here). Returns that step's result,
// or a clean one. The building block of both operations below; whole-
// configuration operations use it to chain the groups of several pages.
ExchangeResult runSteps(LinkContext& ctx, std::span<const OperationStep> steps);

// The standard write sequence. Holds the operation guard for its whole length; returns Busy
// at once when another operation is exchanging.
OperationOutcome runWriteOperation(LinkContext& ctx, const WriteOperation& op);
// The short read form: reopen the port, run the steps, then show (which also renders the
// screen, so the box stands over the new values) and the success box, or the failure box.
OperationOutcome runReadOperation(LinkContext& ctx, const ReadOperation& op);
// "ПЕРЕЗАГРУЗКА ПРИБОРА": reopen, confirm, unlock, restart (its result is not looked at); the
// locks are not set again.
WriteOperation restartOperation();
OperationOutcome runRestart(LinkContext& ctx);

} // namespace flowcfg
