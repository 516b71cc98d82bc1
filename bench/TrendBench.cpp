// The trend plot over a day of 1 s polls (86,400 points, a few failed): one poll more and the
// plot drawn again, as the window does after every poll (the model's reduction to the pixel
// columns, the chart's series, a render to an image), for each window of the plot; then the
// reduction alone. After the benchmarks, the window's responsiveness (goal: no event over
// 100 ms): the plot alone in a running event loop while a timer adds a poll and refreshes it,
// every event timed; then the whole window polling flowsim on a pty every second with a day
// of history behind its plot, where a 5 ms probe timer measures the longest the window went
// without handling its events (the poll's own waits run the events as they go).

#include "FlowsimProcess.h"
#include "app/AppCore.h"
#include "app/MainWindow.h"
#include "app/MeasurePage.h"
#include "app/QtEventPump.h"
#include "app/TrendView.h"
#include "measure/FlowTrend.h"
#include "platform/PosixSerialPort.h"

#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QPushButton>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

using namespace flowcfg;

constexpr std::uint64_t kDay = 86'400;

// The Qt notify of every event, outermost calls timed.
class TimedApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_++ > 0) {
            const bool handled = QApplication::notify(receiver, event);
            --depth_;
            return handled;
        }
        QElapsedTimer timer;
        timer.start();
        const bool handled = QApplication::notify(receiver, event);
        const qint64 ns = timer.nsecsElapsed();
        --depth_;
        if (timing) {
            longestNs = std::max(longestNs, ns);
            ++events;
        }
        return handled;
    }
    bool timing = false;
    qint64 longestNs = 0;
    std::uint64_t events = 0;

private:
    int depth_ = 0;
};

TrendPoint pollAt(std::uint64_t s) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float flow = 40.0f + 20.0f * std::sin(static_cast<float>(s) * 0.0004f) +
                       3.0f * std::sin(static_cast<float>(s) * 0.4f);
    const bool failed = s % 7919 == 0;
    return {s * 1000, failed ? nan : flow, failed ? nan : flow * 1.01f, failed ? nan : 12.0f, 2};
}

class NoDialogs final : public Dialogs {
    void message(const std::string&, const std::string&, DialogIcon) override {}
    bool askYesNo(const std::string&, const std::string&, DialogIcon, DefaultAnswer) override {
        return false;
    }
    std::optional<std::string> chooseOpenFile() override { return std::nullopt; }
    std::optional<std::string> chooseSaveFile() override { return std::nullopt; }
};

struct Fixture {
    explicit Fixture(TrendWindow window) : view(trend, dialogs) {
        for (std::uint64_t s = 0; s < kDay; ++s)
            trend.add(pollAt(s));
        view.resize(1100, 300);
        view.show();
        view.windowBox()->setCurrentIndex(static_cast<int>(window));
        QApplication::processEvents();
    }
    NoDialogs dialogs;
    FlowTrend trend;
    TrendView view;
    std::uint64_t next = kDay;
};

void BM_AddPollAndRedraw(benchmark::State& state) {
    Fixture f(static_cast<TrendWindow>(state.range(0)));
    QImage image(f.view.chartView()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        f.trend.add(pollAt(f.next++));
        f.view.refresh();
        static_cast<QWidget*>(f.view.chartView())->render(&image); // the widget, not the scene
    }
    state.counters["drawn_points"] = static_cast<double>(f.view.drawnPoints());
    state.SetLabel(kTrendWindows[static_cast<std::size_t>(state.range(0))].caption.data());
}
BENCHMARK(BM_AddPollAndRedraw)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_ReduceADay(benchmark::State& state) {
    FlowTrend trend;
    for (std::uint64_t s = 0; s < kDay; ++s)
        trend.add(pollAt(s));
    const TrendRange all = *trend.range(TrendWindow::All);
    std::size_t points = 0;
    for (auto _ : state) {
        const auto runs = trend.runs(TrendQuantity::Flow, all, 1000);
        points = 0;
        for (const auto& run : runs)
            points += run.size();
        benchmark::DoNotOptimize(points);
    }
    state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_ReduceADay)->Unit(benchmark::kMillisecond);

// The plot in a running event loop: a poll and a refresh every 10 ms instead of every second
// (the same work per poll, sooner), its paint events and everything else timed.
void longestEvent(TimedApplication& app, TrendWindow window, int polls) {
    Fixture f(window);
    QTimer timer;
    int left = polls;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        f.trend.add(pollAt(f.next++));
        f.view.refresh();
        if (--left == 0)
            app.quit();
    });
    app.longestNs = 0;
    app.events = 0;
    app.timing = true;
    timer.start(10);
    app.exec();
    app.timing = false;
    std::printf("longest event, %s window over %llu points: %.1f ms of %llu events (%d polls)\n",
                kTrendWindows[static_cast<std::size_t>(window)].caption.data(),
                static_cast<unsigned long long>(f.trend.size()),
                static_cast<double>(app.longestNs) / 1e6,
                static_cast<unsigned long long>(app.events), polls);
}

// The window polling flowsim every second with `history` polls behind its plot.
void windowWhilePolling(int seconds, std::uint64_t history) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("flowcfg-trend-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    test::FlowsimProcess sim({"--swing", "20", "60", "15000"});
    std::ofstream(dir / "dev.dat")
        << "[COM_SETTINGS]\nNumber=1\nSettings=19200,N,8,1\n[PORTS]\nCOM1=" << sim.device()
        << "\n[LOG]\nUseLogFile=0\n";
    PosixSerialDevices devices;
    SystemClock clock;
    NoDialogs dialogs;
    QtEventPump pump;
    AppCore core({devices, clock, dialogs, pump, dir});
    MainWindow window(core);
    window.show();
    window.startUp();
    FlowTrend& trend = window.measurePage().trend();
    const std::uint64_t now = clock.monotonicMs();
    for (std::uint64_t s = 0; s < history; ++s) {
        TrendPoint p = pollAt(s);
        p.ms = now - (history - s) * 1000;
        trend.add(p);
    }
    window.measurePage().cyclicButton()->click();

    QElapsedTimer since;
    qint64 longestMs = 0, ticks = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (ticks++ > 0)
            longestMs = std::max(longestMs, since.elapsed());
        since.restart();
    });
    probe.start(5);
    QTimer::singleShot(seconds * 1000, &window, [&] { window.close(); });
    QApplication::exec();
    std::printf("window polling flowsim for %d s, %zu points in the plot's history: the longest "
                "without handling events %lld ms (probe every 5 ms, %lld ticks), %s cycles\n",
                seconds, trend.size(), static_cast<long long>(longestMs),
                static_cast<long long>(ticks), window.measurePanel().screen().cycles.text.c_str());
    std::filesystem::remove_all(dir);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TimedApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const TrendWindowChoice& w : kTrendWindows)
        longestEvent(app, w.window, 300);
    // Without history first: what the poll itself costs the window.
    windowWhilePolling(30, 0);
    windowWhilePolling(30, kDay);
    return 0;
}
