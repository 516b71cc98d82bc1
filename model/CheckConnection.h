#pragma once
// "Проверить связь" / "ПРОВЕРИТЬ СВЯЗЬ": reopen the port and make the meter blink (the Blink
// row of the register map), without unlocking. One operation for the program-settings page and
// the "ПРИБОР" page; both stop the measurement poll first (the caller's onStart).

#include "link/LinkContext.h"
#include "model/WriteGuard.h"

#include <functional>
#include <string_view>

namespace flowcfg {

inline constexpr std::string_view kMeterAnsweredText = "Прибор ответил.";

// The blink command alone; "Прибор ответил." on success (status & 0x7FFF is 0, no exception),
// the outcome box otherwise.
WriteOperation checkConnectionOperation();
// Runs it, with stopPolling as its first step. PortFailed when the port could not be opened
// (its box has been shown); Busy while another operation holds the link.
OperationOutcome checkConnection(LinkContext& ctx, std::function<void()> stopPolling = {});

} // namespace flowcfg
