#include "link/ExchangeJournal.h"

#include "link/ExchangeLog.h"
#include "platform/CFormat.h"

namespace flowcfg {

namespace {

constexpr std::uint8_t kReadHolding = 0x03;
constexpr std::uint8_t kArchiveBlock = 0x19;

// What a read asks for, from its request: "Чтение 0x0100 (256), 49 рег." or
// "Блок архива 0x00001000".
std::string readDescription(std::span<const std::uint8_t> request) {
    if (request.size() < 6)
        return {};
    std::string text;
    if (request[1] == kReadHolding) {
        const std::uint32_t start = request[2] << 8 | request[3];
        text = "Чтение 0x";
        appendHex(text, start, 4, LetterCase::Upper);
        text += " (";
        appendUnsigned(text, start);
        text += "), ";
        appendUnsigned(text, request[5]);
        text += " рег.";
    } else if (request[1] == kArchiveBlock) {
        text = "Блок архива 0x";
        appendHex(text,
                  static_cast<std::uint32_t>(request[2] << 24 | request[3] << 16 | request[4] << 8 |
                                             request[5]),
                  8, LetterCase::Upper);
    }
    return text;
}

} // namespace

void ExchangeJournal::exchanged(const ExchangeRecord& record) {
    if (paused_ || capacity_ == 0)
        return;
    if (record.event == ExchangeEvent::Checked) {
        // The result belongs to the answer just taken in (none when paused in between).
        if (!entries_.empty() && entries_.back().event == ExchangeEvent::Answer &&
            !entries_.back().result) {
            entries_.back().result = record.result;
            ++changes_;
        }
        return;
    }
    ExchangeEntry e{.event = record.event,
                    .time = record.time,
                    .attempt = record.attempt,
                    .bytes = {record.bytes.begin(), record.bytes.end()},
                    .description = {},
                    .result = {}};
    if (record.event == ExchangeEvent::Request)
        e.description = record.description.empty() ? readDescription(record.bytes)
                                                   : std::string(record.description);
    if (entries_.size() == capacity_)
        entries_.pop_front();
    entries_.push_back(std::move(e));
    ++end_;
    ++changes_;
}

void ExchangeJournal::clear() {
    entries_.clear();
    ++changes_;
}

std::string ExchangeJournal::cellText(const ExchangeEntry& entry, JournalColumn column) {
    std::string text;
    switch (column) {
    case JournalColumn::Time:
        appendUnsigned(text, static_cast<std::uint32_t>(entry.time.hour), 2);
        text += ':';
        appendUnsigned(text, static_cast<std::uint32_t>(entry.time.minute), 2);
        text += ':';
        appendUnsigned(text, static_cast<std::uint32_t>(entry.time.second), 2);
        text += '.';
        appendUnsigned(text, static_cast<std::uint32_t>(entry.time.millisecond), 3);
        break;
    case JournalColumn::Direction:
        text = entry.event == ExchangeEvent::Request ? "Запрос" : "Ответ";
        if (entry.attempt != 0) {
            text += ", повтор ";
            appendUnsigned(text, entry.attempt);
        }
        break;
    case JournalColumn::Bytes:
        appendLoggedBytes(text, entry.bytes);
        if (!text.empty())
            text.erase(0, 1); // the records' leading space
        break;
    case JournalColumn::Description:
        text = entry.description;
        break;
    case JournalColumn::Status:
        if (entry.result)
            text = exchangeStatusWords(*entry.result);
        break;
    }
    return text;
}

std::string ExchangeJournal::copyText(std::span<const std::uint64_t> numbers) const {
    std::string text;
    const auto line = [&text](auto cell) {
        for (std::size_t c = 0; c < kJournalHeaders.size(); ++c) {
            if (c != 0)
                text += '\t';
            text += cell(static_cast<JournalColumn>(c));
        }
        text += '\n';
    };
    line([](JournalColumn c) { return std::string(kJournalHeaders[static_cast<std::size_t>(c)]); });
    const auto entryLine = [&](std::uint64_t n) {
        line([&](JournalColumn c) { return cellText(entry(n), c); });
    };
    if (numbers.empty()) {
        for (std::uint64_t n = first(); n < end_; ++n)
            entryLine(n);
    }
    for (const std::uint64_t n : numbers)
        if (holds(n))
            entryLine(n);
    return text;
}

} // namespace flowcfg
