#include "app/TrendView.h"

#include "app/QtText.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace flowcfg {

namespace {

// Before the first layout the plot area has no width yet.
constexpr int kColumnsBeforeLayout = 1000;
constexpr std::int64_t kDayMs = 24 * 3600 * 1000;

QString timeFormat(std::int64_t spanMs) {
    if (spanMs > kDayMs)
        return QStringLiteral("dd.MM hh:mm");
    return spanMs > 3'600'000 ? QStringLiteral("hh:mm") : QStringLiteral("hh:mm:ss");
}

struct ValueScale {
    double low, high, step;
    int decimals;
};

// Round numbers around the curve: about five steps of 1, 2 or 5 times a power of ten; a flat
// curve gets a band around its value.
ValueScale valueScale(std::optional<TrendSpan> span) {
    double low = span ? span->low : 0.0, high = span ? span->high : 1.0;
    if (high - low < 1e-6) {
        const double band = std::max(std::abs(low) * 0.05, 0.01);
        low -= band;
        high += band;
    }
    const double raw = (high - low) / 5;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * power;
    for (const double m : {1.0, 2.0, 5.0})
        if (raw <= m * power) {
            step = m * power;
            break;
        }
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step))));
    return {std::floor(low / step) * step, std::ceil(high / step) * step, step, decimals};
}

} // namespace

TrendView::TrendView(const FlowTrend& trend, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), trend_(trend), dialogs_(dialogs) {
    chart_ = new QChart;
    chart_->legend()->hide();
    chart_->setMargins(QMargins(4, 4, 4, 4));
    x_ = new QDateTimeAxis(chart_);
    x_->setTickCount(7);
    y_ = new QValueAxis(chart_);
    y_->setTickType(QValueAxis::TicksDynamic);
    chart_->addAxis(x_, Qt::AlignBottom);
    chart_->addAxis(y_, Qt::AlignLeft);
    view_ = new QChartView(chart_, this); // the view owns the chart
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setRubberBand(QChartView::RectangleRubberBand);
    view_->setMinimumHeight(160);

    quantity_ = new QComboBox(this);
    for (const TrendQuantityChoice& q : kTrendQuantities)
        quantity_->addItem(qs(q.caption));
    window_ = new QComboBox(this);
    for (const TrendWindowChoice& w : kTrendWindows) {
        window_->addItem(qs(w.caption));
        if (w.window == kDefaultTrendWindow)
            window_->setCurrentIndex(window_->count() - 1);
    }
    pause_ = new QPushButton(qs(kPauseCaption), this);
    pause_->setCheckable(true);
    resetZoom_ = new QPushButton(qs(kResetZoomCaption), this);
    resetZoom_->setEnabled(false);
    save_ = new QPushButton(qs(kSavePngCaption), this);

    auto* controls = new QVBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("Показать"), this));
    controls->addWidget(quantity_);
    controls->addWidget(new QLabel(QStringLiteral("За последние"), this));
    controls->addWidget(window_);
    controls->addWidget(pause_);
    controls->addWidget(resetZoom_);
    controls->addWidget(save_);
    controls->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_, 1);
    layout->addLayout(controls);

    const auto restart = [this] {
        zoomed_ = false;
        refresh();
    };
    connect(quantity_, &QComboBox::currentIndexChanged, this, restart);
    connect(window_, &QComboBox::currentIndexChanged, this, restart);
    connect(pause_, &QPushButton::toggled, this, [this] { refresh(); });
    connect(resetZoom_, &QPushButton::clicked, this, restart);
    connect(save_, &QPushButton::clicked, this, [this] { savePicture(); });
    connect(x_, &QDateTimeAxis::rangeChanged, this, [this] {
        if (!drawing_)
            zoomed();
    });
    refresh();
}

// The chart goes with the base class, after this object: its axis must not call back then.
TrendView::~TrendView() {
    disconnect(x_, nullptr, this, nullptr);
}

TrendQuantity TrendView::quantity() const {
    return kTrendQuantities[static_cast<std::size_t>(std::max(0, quantity_->currentIndex()))]
        .quantity;
}

TrendWindow TrendView::window() const {
    return kTrendWindows[static_cast<std::size_t>(std::max(0, window_->currentIndex()))].window;
}

std::size_t TrendView::drawnPoints() const {
    std::size_t n = 0;
    for (std::size_t i = 0; i < runs_; ++i)
        n += static_cast<std::size_t>(series_[i]->count());
    return n;
}

std::size_t TrendView::drawnRuns() const {
    return runs_;
}

void TrendView::refresh() {
    resetZoom_->setEnabled(zoomed_);
    if (pause_->isChecked() || zoomed_)
        return;
    if (const auto range = trend_.range(window()))
        draw(*range, true);
    else
        draw({}, true);
}

void TrendView::zoomed() {
    zoomed_ = true;
    resetZoom_->setEnabled(true);
    // The axis holds wall-clock times; the model counts monotonic ones.
    const std::int64_t offset = trend_.wallMsOf(0);
    const auto monotonic = [offset](const QDateTime& t) {
        return static_cast<std::uint64_t>(
            std::max<std::int64_t>(0, t.toMSecsSinceEpoch() - offset));
    };
    draw({monotonic(x_->min()), monotonic(x_->max())}, false);
}

QLineSeries* TrendView::seriesAt(std::size_t i) {
    while (series_.size() <= i) {
        auto* series = new QLineSeries(chart_);
        series->setPen(QPen(QColor(0, 90, 200), 1.5));
        series->setMarkerSize(5);
        chart_->addSeries(series);
        series->attachAxis(x_);
        series->attachAxis(y_);
        series_.push_back(series);
    }
    return series_[i];
}

void TrendView::draw(TrendRange range, bool autoscale) {
    drawing_ = true;
    const int width = static_cast<int>(chart_->plotArea().width());
    const std::vector<TrendRun> runs =
        trend_.runs(quantity(), range, width > 0 ? width : kColumnsBeforeLayout);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(runs[i].size()));
        for (const TrendXY& p : runs[i])
            points.append(QPointF(static_cast<qreal>(trend_.wallMsOf(p.ms)), p.value));
        QLineSeries* series = seriesAt(i);
        // A single value between two gaps has no line: it shows as a dot.
        series->setPointsVisible(points.size() == 1);
        series->replace(points);
    }
    for (std::size_t i = runs.size(); i < runs_; ++i)
        series_[i]->clear();
    runs_ = runs.size();

    std::int64_t to = trend_.wallMsOf(range.to);
    if (trend_.size() == 0)
        to = QDateTime::currentMSecsSinceEpoch();
    // An empty plot or a short history still gets a time axis that can be read: at least a
    // second between the seven ticks, so no two of them print the same time.
    const std::int64_t from = std::min(trend_.wallMsOf(range.from), to - 6000);
    x_->setFormat(timeFormat(to - from));
    x_->setRange(QDateTime::fromMSecsSinceEpoch(from), QDateTime::fromMSecsSinceEpoch(to));
    if (autoscale) {
        const ValueScale scale = valueScale(valueSpan(runs));
        y_->setRange(scale.low, scale.high);
        y_->setTickAnchor(scale.low);
        y_->setTickInterval(scale.step);
        y_->setLabelFormat(QStringLiteral("%.%1f").arg(scale.decimals));
    }
    y_->setTitleText(qs(trend_.unitOf(quantity())));
    drawing_ = false;
}

void TrendView::savePicture() {
    const auto file = dialogs_.chooseSaveFileOf("Рисунки PNG", "png");
    if (!file)
        return;
    if (!view_->grab().save(qs(*file), "PNG"))
        dialogs_.message("Ошибка", "Рисунок не сохранить в файл " + *file + ".", DialogIcon::Error);
}

} // namespace flowcfg
