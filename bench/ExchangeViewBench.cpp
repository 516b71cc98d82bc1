// The exchange view after hours of 1 s polling, the journal full (10000 entries): what one
// poll costs the shown dock, and what showing it costs after it was hidden. The window's goal
// is no event above 100 ms; both should stay a few milliseconds at most, whatever the history.

#include "app/ExchangeDock.h"
#include "app/QtDialogs.h"
#include "app/QtEventPump.h"
#include "platform/PosixSerialPort.h"

#include <QApplication>
#include <QTableView>
#include <array>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

using namespace flowcfg;

constexpr std::array<std::uint8_t, 8> kRequest = {0x01, 0x03, 0x01, 0x00, 0x00, 0x31, 0x84, 0x22};

// One poll: three reads of the measured block's size, each answered cleanly.
void onePoll(ExchangeJournal& journal, const std::array<std::uint8_t, 103>& answer) {
    ExchangeRecord record;
    for (int read = 0; read < 3; ++read) {
        record.event = ExchangeEvent::Request;
        record.bytes = kRequest;
        journal.exchanged(record);
        record.event = ExchangeEvent::Answer;
        record.bytes = answer;
        journal.exchanged(record);
        record.event = ExchangeEvent::Checked;
        record.bytes = {};
        journal.exchanged(record);
    }
}

// The dock on screen over a link of its own, with a measured block's answer to log.
struct ShownDock {
    ShownDock() {
        dock.resize(1000, 400);
        dock.show();
        answer[0] = 0x01; // address
        answer[1] = 0x03; // function
        answer[2] = 98;   // byte count
    }
    // Polls until the journal holds its capacity.
    void fill() {
        while (dock.journal().end() - dock.journal().first() < ExchangeJournal::kDefaultCapacity)
            onePoll(dock.journal(), answer);
    }
    void refreshAndPaint() {
        dock.refresh();
        dock.table()->viewport()->repaint();
    }

    SystemClock clock;
    QtEventPump pump;
    QtDialogs dialogs;
    PosixSerialDevices devices;
    LinkContext link{devices, pump, clock, dialogs};
    ExchangeDock dock{link};
    std::array<std::uint8_t, 103> answer{};
};

void exchangeViewPoll(benchmark::State& state) {
    ShownDock shown;
    shown.fill();
    shown.dock.refresh();
    for (auto _ : state) {
        onePoll(shown.dock.journal(), shown.answer);
        shown.refreshAndPaint();
    }
    state.counters["rows"] = shown.dock.model().rowCount();
}
BENCHMARK(exchangeViewPoll)->Unit(benchmark::kMillisecond);

// The dock shown after it was hidden for hours: a whole journal taken in at once, and painted.
void exchangeViewShownFull(benchmark::State& state) {
    ShownDock shown;
    for (auto _ : state) {
        state.PauseTiming();
        shown.dock.journal().clear();
        shown.dock.refresh();
        shown.fill();
        state.ResumeTiming();
        shown.refreshAndPaint();
    }
}
BENCHMARK(exchangeViewShownFull)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
