#include "link/Outcome.h"

#include "link/Ports.h"

namespace flowcfg {

namespace {

constexpr std::string_view kExchangeError = "Ошибка в обмене.";
constexpr std::string_view kDeviceReports = "Устройство сообщает об ошибке";

std::string exceptionText(std::uint16_t code) {
    switch (code) {
    case 1:
        return "Неподдерживаемая функция.";
    case 2:
        return "Адрес данных выходит за допустимые границы.";
    case 3:
        return "Величина данных превышает допустимое значение.";
    case 4:
        return "Ошибка в работе адресуемого устройства.";
    default:
        return "Ошибка устройства " + std::to_string(code);
    }
}

} // namespace

std::optional<OutcomeText> outcomeText(ExchangeResult result) {
    const auto bits = static_cast<std::uint8_t>(result.status & 0xFF);
    const auto exchange = [](std::string_view text) {
        return OutcomeText{std::string(kExchangeError), std::string(text)};
    };
    if (bits & status::NothingReceived)
        return exchange("Ответа не было.");
    if (bits & status::Exception)
        return OutcomeText{std::string(kDeviceReports), exceptionText(result.exceptionCode)};
    if (bits & status::LineError)
        return exchange("При приеме ответа ошибка паритета.");
    if (bits & status::WrongLength)
        return exchange("При приеме принято не ожидаемое число символов. Возможно, ответа просто "
                        "не было.");
    if (bits & status::OtherAddress)
        return exchange(
            "При приеме в ответе указан не адрес того устройства к которому обращались.");
    if (bits & status::CrcMismatch)
        return exchange("При приеме в ответе не сошлась контрольная сумма.");
    if (bits & status::NotFunction)
        return exchange("В ответе указан не тот номер команды.");
    return std::nullopt;
}

std::string noAnswerHint(const LinkSettings& s) {
    const std::string_view parity = s.parity == 1   ? "нечетный паритет"
                                    : s.parity == 2 ? "четный паритет"
                                                    : "без паритета";
    return "Запрос: " + portLabel(s) + ", " + std::to_string(baudOfSpeedIndex(s.speedIndex)) +
           " бод, " + std::string(parity) + ", адрес " + std::to_string(s.NetAdrr) +
           ". Проверьте сетевой адрес и настройки связи прибора, кабель и провода A/B адаптера "
           "(не перепутаны ли).";
}

std::optional<OutcomeText> outcomeText(ExchangeResult result, const LinkSettings& settings) {
    auto text = outcomeText(result);
    if (text && (result.status & status::NothingReceived))
        text->text += "\n" + noAnswerHint(settings);
    return text;
}

bool showOutcome(const LinkContext& ctx, ExchangeResult result) {
    const auto text = outcomeText(result, ctx.settings);
    if (!text)
        return false;
    ctx.dialogs.message(text->caption, text->text, DialogIcon::Warning);
    return true;
}

void showSuccess(Dialogs& dialogs, std::string_view text) {
    dialogs.message(std::string(kResultCaption), std::string(text), DialogIcon::Information);
}

bool confirm(Dialogs& dialogs, std::string_view text, DefaultAnswer byDefault) {
    return dialogs.askYesNo(std::string(kConfirmCaption), std::string(text), DialogIcon::Warning,
                            byDefault);
}

} // namespace flowcfg
