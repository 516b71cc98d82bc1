#include "link/CheckConnection.h"

#include "link/ModbusMaster.h"
#include "link/Outcome.h"
#include "link/Ports.h"

namespace flowcfg {

std::optional<ExchangeResult> checkConnection(LinkContext& ctx) {
    if (!openPort(ctx, true))
        return std::nullopt;
    const std::uint16_t blink = 1;
    const ExchangeResult r = ModbusMaster(ctx).writeMultipleRegisters(
        kBlinkRegister, std::span(&blink, 1), kBlinkDescription);
    if (r.transportOk())
        showSuccess(ctx.dialogs, kMeterAnsweredText);
    else
        showExchangeFailure(ctx, r);
    return r;
}

} // namespace flowcfg
