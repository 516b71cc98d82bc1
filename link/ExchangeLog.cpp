#include "link/ExchangeLog.h"

#include "link/LinkSettings.h"
#include "platform/CFormat.h"
#include "platform/TextAppend.h"

namespace flowcfg {

namespace {

constexpr std::string_view kRule = "\r\n____________________________\r\n";

// "dd mm yyyy hh-mm-ss.mmm \r\n", with ':' instead of '-' for the FC16 answer.
void appendTimeStamp(std::string& out, const LocalTime& t, char timeSeparator) {
    appendUnsigned(out, static_cast<std::uint32_t>(t.day), 2);
    out += ' ';
    appendUnsigned(out, static_cast<std::uint32_t>(t.month), 2);
    out += ' ';
    appendUnsigned(out, static_cast<std::uint32_t>(t.year), 2);
    out += ' ';
    appendUnsigned(out, static_cast<std::uint32_t>(t.hour), 2);
    out += timeSeparator;
    appendUnsigned(out, static_cast<std::uint32_t>(t.minute), 2);
    out += timeSeparator;
    appendUnsigned(out, static_cast<std::uint32_t>(t.second), 2);
    out += '.';
    appendUnsigned(out, static_cast<std::uint32_t>(t.millisecond), 3);
    out += " \r\n";
}

void appendAttempt(std::string& out, unsigned attempt) {
    out += "Attempt:";
    appendUnsigned(out, attempt);
    if (attempt != 0)
        out += "                                        *************";
    out += "\r\n";
}

} // namespace

ExchangeLog::ExchangeLog(const LinkSettings& settings, const Clock& clock,
                         const ExchangeObservers* observers)
    : ExchangeLog(settings.UseLogFile == 1, settings.logPath(), clock,
                  std::uint64_t{settings.LogFileMaxKB} * 1024) {
    observers_ = observers;
}

ExchangeLog::ExchangeLog(bool enabled, std::filesystem::path file, const Clock& clock,
                         std::uint64_t maxBytes)
    : enabled_(enabled), file_(std::move(file)), maxBytes_(maxBytes), clock_(clock) {}

void ExchangeLog::append(const std::string& record) const {
    if (!enabled_)
        return;
    if (maxBytes_ != 0) {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(file_, ec);
        if (!ec && size > 0 && size + record.size() > maxBytes_) {
            std::filesystem::path older = file_;
            older += ".1";
            std::filesystem::rename(file_, older, ec); // failing that, the file just grows
        }
    }
    appendText(file_, record); // a log that cannot be written loses only this record
}

LocalTime ExchangeLog::tell(ExchangeEvent event, std::span<const std::uint8_t> bytes,
                            unsigned attempt, std::string_view description) const {
    const LocalTime now = clock_.now();
    if (observers_)
        observers_->notify({.event = event,
                            .time = now,
                            .bytes = bytes,
                            .attempt = attempt,
                            .description = description,
                            .result = {}});
    return now;
}

void ExchangeLog::readRequest(std::span<const std::uint8_t> request, unsigned attempt) const {
    if (!watched())
        return;
    const LocalTime now = tell(ExchangeEvent::Request, request, attempt);
    if (!enabled_)
        return;
    std::string r{kRule};
    appendTimeStamp(r, now, '-');
    appendAttempt(r, attempt);
    r += "Send:\r\n";
    appendLoggedBytes(r, request);
    append(r);
}

void ExchangeLog::readAnswer(std::span<const std::uint8_t> answer, unsigned attempt) const {
    if (!watched())
        return;
    const LocalTime now = tell(ExchangeEvent::Answer, answer, attempt);
    if (!enabled_)
        return;
    std::string r = "\r\n";
    appendTimeStamp(r, now, '-');
    r += "Answ:\r\n";
    appendLoggedBytes(r, answer);
    append(r);
}

void ExchangeLog::writeRequest(std::span<const std::uint8_t> request, std::string_view description,
                               unsigned attempt) const {
    if (!watched())
        return;
    const LocalTime now = tell(ExchangeEvent::Request, request, attempt, description);
    if (!enabled_)
        return;
    std::string r{kRule};
    appendTimeStamp(r, now, '-');
    r += description;
    r += "\r\n\r\nSend:\r\n";
    appendLoggedBytes(r, request);
    append(r);
}

void ExchangeLog::writeAnswer(std::span<const std::uint8_t> answer, unsigned attempt) const {
    if (!watched())
        return;
    const LocalTime now = tell(ExchangeEvent::Answer, answer, attempt);
    if (!enabled_)
        return;
    std::string r = "\r\n\r\n";
    appendTimeStamp(r, now, ':');
    appendAttempt(r, attempt);
    r += "Answ:\r\n";
    appendLoggedBytes(r, answer);
    append(r);
}

void ExchangeLog::writeFailure(ExchangeResult result) const {
    if (!enabled_)
        return;
    std::string r = "\r\nout=";
    appendHex(r, result.status);
    r += "\r\n";
    for (const ExchangeStatus bit : kLoggedStatusBits) {
        if (result.status & bit) {
            r += exchangeStatusBitText(bit);
            r += "\r\n";
        }
    }
    if (result.status & status::Exception) {
        r += "modbus_err=";
        appendHex(r, result.exceptionCode);
        r += "\r\n";
    }
    append(r);
}

void ExchangeLog::checked(ExchangeResult result, unsigned attempt) const {
    if (observers_ && !observers_->empty())
        observers_->notify({.event = ExchangeEvent::Checked,
                            .time = clock_.now(),
                            .bytes = {},
                            .attempt = attempt,
                            .description = {},
                            .result = result});
}

void appendLoggedBytes(std::string& out, std::span<const std::uint8_t> bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    for (const std::uint8_t b : bytes) {
        out += ' ';
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
}

std::string exchangeStatusWords(ExchangeResult result) {
    if (result.clean())
        return "норма";
    std::string words = "0x";
    appendHex(words, result.status, 4, LetterCase::Upper);
    words += ':';
    const char* separator = " ";
    for (const ExchangeStatus bit : kLoggedStatusBits) {
        if (!(result.status & bit))
            continue;
        words += separator;
        words += exchangeStatusBitText(bit);
        if (bit == status::Exception) {
            words += '=';
            appendHex(words, result.exceptionCode);
        }
        separator = ", ";
    }
    return words;
}

std::string_view exchangeStatusBitText(ExchangeStatus bit) {
    switch (bit) {
    case status::LineError:
        return "ошибка паритета";
    case status::WrongLength:
        return "принято не сколько ожидалось";
    case status::OtherAddress:
        return "в ответе другой адрес";
    case status::NotFunction:
        return "в ответе не номер команды";
    case status::Exception:
        return "прибор отвечает с ошибкой modbus_err";
    case status::CrcMismatch:
        return "не сошлась контрольная сумма";
    case status::NothingReceived:
        return "совсем ничего не пришло";
    default:
        return {};
    }
}

} // namespace flowcfg
