#pragma once
// How an operation that exchanges with the meter ends: the failure box that explains an
// exchange result, the success box, and the Yes/No confirmation before a write.

#include "link/ExchangeStatus.h"
#include "link/LinkContext.h"
#include "platform/Dialogs.h"

#include <optional>
#include <string>
#include <string_view>

namespace flowcfg {

inline constexpr std::string_view kResultCaption = "Результат операции";
inline constexpr std::string_view kConfirmCaption = "Подтвердите действие";
// The question shared by all configuration writes.
inline constexpr std::string_view kConfigurationOverwrite =
    "Данные конфигурации будут переписаны?.";

struct OutcomeText {
    std::string caption;
    std::string text;
    bool operator==(const OutcomeText&) const = default;
};

// The caption and text that explain a failed exchange. Only the low eight bits of the status
// are looked at, the first matching rule wins (no answer, exception, parity, length, address,
// checksum, function code); nullopt when none of them is set.
std::optional<OutcomeText> outcomeText(ExchangeResult result);
// The same for an exchange made with these settings: "Ответа не было." gets a second line,
// noAnswerHint. The window's box and the command line both say it this way.
std::optional<OutcomeText> outcomeText(ExchangeResult result, const LinkSettings& settings);
// What was tried and what to check when nothing came back: "Запрос: COM1 (/dev/ttyUSB0),
// 19200 бод, без паритета, адрес 1. Проверьте ...".
std::string noAnswerHint(const LinkSettings& settings);

// The failure box for outcomeText with the link's settings (warning icon, OK); no box when
// there is nothing to explain. Returns whether a box was shown.
bool showOutcome(const LinkContext& ctx, ExchangeResult result);

// Information box with the operation's own text, captioned "Результат операции".
void showSuccess(Dialogs& dialogs, std::string_view text);

// Yes/No question with a warning icon, captioned "Подтвердите действие"; true for Yes.
bool confirm(Dialogs& dialogs, std::string_view text, DefaultAnswer byDefault = DefaultAnswer::Yes);

// The test every step of a screen operation applies: no exception and no error bit. A status
// of exactly 0x8000 means the answer arrived intact after a repeat, so it counts as success.
inline bool stepSucceeded(ExchangeResult result) {
    return result.transportOk();
}

} // namespace flowcfg
