#pragma once
// "Проверить связь": reopen the port and make the meter blink (the Blink row of the register
// map). The caller stops the measurement polling first.

#include "link/ExchangeStatus.h"
#include "link/LinkContext.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace flowcfg {

inline constexpr std::string_view kMeterAnsweredText = "Прибор ответил.";

// Shows "Прибор ответил." on success (status & 0x7FFF is 0, no exception) and the outcome box
// otherwise. nullopt when the port could not be opened (its box has been shown).
std::optional<ExchangeResult> checkConnection(LinkContext& ctx);

} // namespace flowcfg
