#pragma once
// COM.txt, the optional trace of every Modbus exchange: each request and each answer is
// appended with a local time stamp and its bytes in hexadecimal; failed writes also get the
// list of what went wrong. Every record opens the file for appending, writes and closes it;
// a file that cannot be opened loses only that record and never affects the exchange.
//
// Records (the texts carry their own CR LF):
//   FC3/FC25 request: rule, time "dd mm yyyy hh-mm-ss.mmm ", attempt line, "Send:", bytes
//   FC3/FC25 answer:  blank line, time, "Answ:", bytes
//   FC16 request:     rule, time, description, "Send:", bytes
//   FC16 answer:      blank lines, time "dd mm yyyy hh:mm:ss.mmm ", attempt line, "Answ:", bytes
//   FC16 failure:     "out=<status hex>", one line per set bit, "modbus_err=<code hex>"
// Bytes are " %02x" each, with no line break after the last.
//
// The file is kept from filling the disk: a record that would take it past the size limit
// (LogFileMaxKB of dev.dat) first renames it to COM.txt.1, replacing an older one, so at most
// twice the limit is ever kept.
//
// Observers (link/ExchangeObserver.h) are told every request and answer with the same time
// stamp, and the result of every checked attempt, also while the file is off.

#include "link/ExchangeObserver.h"
#include "link/ExchangeStatus.h"
#include "platform/Clock.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace flowcfg {

struct LinkSettings;

class ExchangeLog {
public:
    // On when UseLogFile is 1; the file is settings.logPath(), its limit LogFileMaxKB.
    ExchangeLog(const LinkSettings& settings, const Clock& clock,
                const ExchangeObservers* observers = nullptr);
    // maxBytes 0: no limit.
    ExchangeLog(bool enabled, std::filesystem::path file, const Clock& clock,
                std::uint64_t maxBytes = 0);

    bool enabled() const { return enabled_; }

    void readRequest(std::span<const std::uint8_t> request, unsigned attempt) const;
    // The records without an attempt line still tell the observers the attempt.
    void readAnswer(std::span<const std::uint8_t> answer, unsigned attempt = 0) const;
    void writeRequest(std::span<const std::uint8_t> request, std::string_view description,
                      unsigned attempt = 0) const;
    void writeAnswer(std::span<const std::uint8_t> answer, unsigned attempt) const;
    void writeFailure(ExchangeResult result) const;
    // Tells the observers an attempt's result; nothing goes to the file.
    void checked(ExchangeResult result, unsigned attempt) const;

private:
    void append(const std::string& record) const;
    // Whether a record is wanted at all: by the file or by an observer.
    bool watched() const { return enabled_ || (observers_ && !observers_->empty()); }
    // The time stamp of a record, after the observers were told of it.
    LocalTime tell(ExchangeEvent event, std::span<const std::uint8_t> bytes, unsigned attempt,
                   std::string_view description = {}) const;

    bool enabled_;
    std::filesystem::path file_;
    std::uint64_t maxBytes_;
    const Clock& clock_;
    const ExchangeObservers* observers_ = nullptr;
};

// The Russian line of one status bit as the failure record writes it (without CR LF); empty
// for bits that have none.
std::string_view exchangeStatusBitText(ExchangeStatus bit);

// The words for an exchange result: "норма" for a clean one, else the status in hexadecimal
// and the line of every set bit as the failure record has them, the exception code after
// modbus_err ("0x0050: прибор отвечает с ошибкой modbus_err=2, ...").
std::string exchangeStatusWords(ExchangeResult result);

// The bytes as the records print them: " %02x" each.
void appendLoggedBytes(std::string& out, std::span<const std::uint8_t> bytes);

// The bits of the failure record, in the order it lists them.
inline constexpr ExchangeStatus kLoggedStatusBits[] = {
    status::LineError, status::WrongLength, status::OtherAddress,   status::NotFunction,
    status::Exception, status::CrcMismatch, status::NothingReceived};

} // namespace flowcfg
