#pragma once
// The last exchanges on the line, kept for the window's exchange view: every request and
// answer as the exchange log sees it (also while COM.txt is off), each answer with the result
// of its attempt once it is checked.
//
// Memory is bounded: past `capacity` entries the oldest go. Entries are numbered from 0 for
// the life of the journal, so a view that shows numbers first()..end() can tell what went
// (numbers below first()) and what came (numbers from its own end to end()); clear() drops
// every entry and keeps the numbering. While paused, exchanges are not taken in.

#include "link/ExchangeObserver.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg {

struct ExchangeEntry {
    ExchangeEvent event = ExchangeEvent::Request; // Request or Answer
    LocalTime time;
    unsigned attempt = 0; // failed attempts of the transaction before this one
    std::vector<std::uint8_t> bytes;
    std::string description;              // the write's log description, for a read what it asks
    std::optional<ExchangeResult> result; // an answer, once its attempt was checked

    bool failed() const { return result && !result->clean(); }
};

enum class JournalColumn : std::uint8_t { Time, Direction, Bytes, Description, Status };
inline constexpr std::array<std::string_view, 5> kJournalHeaders = {"Время", "Направление", "Байты",
                                                                    "Описание", "Состояние"};

class ExchangeJournal final : public ExchangeObserver {
public:
    // At 1 s polling a measurement cycle makes about six entries: this keeps the last half hour.
    static constexpr std::size_t kDefaultCapacity = 10000;

    explicit ExchangeJournal(std::size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

    void exchanged(const ExchangeRecord& record) override;

    void setPaused(bool paused) { paused_ = paused; }
    bool paused() const { return paused_; }
    void clear();

    // Numbers of the entries kept: first() <= n < end().
    std::uint64_t first() const { return end_ - entries_.size(); }
    std::uint64_t end() const { return end_; }
    bool holds(std::uint64_t n) const { return n >= first() && n < end_; }
    const ExchangeEntry& entry(std::uint64_t n) const { return entries_.at(n - first()); }
    // Counts every change, also the result added to the last answer.
    std::uint64_t changes() const { return changes_; }

    // The text of one cell: "17:56:20.123", "Запрос" ("Запрос, повтор 1"), "01 03 01 00 ...",
    // the description, the result in words (exchangeStatusWords) or empty.
    static std::string cellText(const ExchangeEntry& entry, JournalColumn column);
    // The entries of these numbers (those still kept) as lines of tab-separated cells under
    // the header line, for the clipboard; every entry when numbers is empty.
    std::string copyText(std::span<const std::uint64_t> numbers = {}) const;

private:
    std::size_t capacity_;
    std::deque<ExchangeEntry> entries_;
    std::uint64_t end_ = 0;
    std::uint64_t changes_ = 0;
    bool paused_ = false;
};

} // namespace flowcfg
