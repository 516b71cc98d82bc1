#pragma once
// A watcher of the line: the exchange log tells it every request and answer as it is logged,
// and the result of every checked attempt, whether or not COM.txt is being written. The
// window's exchange view is one; tests are others.
//
// Observers are called on the thread that exchanges, in the middle of a transaction: they
// must only take note (copy what they keep) and never exchange or let window messages run.

#include "link/ExchangeStatus.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace flowcfg {

enum class ExchangeEvent : std::uint8_t {
    Request, // the request as sent (FC3, FC16, FC 0x19)
    Answer,  // the bytes received for it, none when nothing arrived
    Checked, // the attempt's result (none for address 255, whose answers are not checked)
};

struct ExchangeRecord {
    ExchangeEvent event = ExchangeEvent::Request;
    LocalTime time;                      // the time stamp COM.txt gives the record
    std::span<const std::uint8_t> bytes; // valid during the call only
    unsigned attempt = 0;                // failed attempts before this one
    std::string_view description;        // an FC16 request's log description, else empty
    ExchangeResult result;               // Checked only
};

class ExchangeObserver {
public:
    virtual ~ExchangeObserver() = default;
    virtual void exchanged(const ExchangeRecord& record) = 0;
};

// The observers of one link. An observer removes itself before it goes away.
class ExchangeObservers {
public:
    void add(ExchangeObserver& observer) { list_.push_back(&observer); }
    void remove(ExchangeObserver& observer) { std::erase(list_, &observer); }
    bool empty() const { return list_.empty(); }
    void notify(const ExchangeRecord& record) const {
        for (ExchangeObserver* o : list_)
            o->exchanged(record);
    }

private:
    std::vector<ExchangeObserver*> list_;
};

} // namespace flowcfg
