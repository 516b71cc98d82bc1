#include "model/CheckConnection.h"

#include "link/Outcome.h"
#include "link/Ports.h"
#include "model/GroupIo.h"

namespace flowcfg {

std::optional<ExchangeResult> checkConnection(LinkContext& ctx) {
    if (!openPort(ctx, true))
        return std::nullopt;
    const ExchangeResult r = sendCommand(ctx, GroupId::Blink);
    if (r.transportOk())
        showSuccess(ctx.dialogs, kMeterAnsweredText);
    else
        showExchangeFailure(ctx, r);
    return r;
}

} // namespace flowcfg
