#include "model/CheckConnection.h"

#include "model/GroupIo.h"

namespace flowcfg {

WriteOperation checkConnectionOperation() {
    WriteOperation op;
    op.confirmation.clear();
    op.success = kMeterAnsweredText;
    op.guard = GuardKind::None;
    op.steps.push_back({[](LinkContext& c) { return sendCommand(c, GroupId::Blink); }});
    return op;
}

OperationOutcome checkConnection(LinkContext& ctx, std::function<void()> stopPolling) {
    WriteOperation op = checkConnectionOperation();
    op.onStart = std::move(stopPolling);
    return runWriteOperation(ctx, op);
}

} // namespace flowcfg
