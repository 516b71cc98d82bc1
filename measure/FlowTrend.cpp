#include "measure/FlowTrend.h"

#include "measure/MeasureScreen.h"
#include "measure/StatusTexts.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace flowcfg {

namespace {

constexpr float kGap = std::numeric_limits<float>::quiet_NaN();

std::uint8_t unitCode(std::uint16_t flowUnitWord) {
    return static_cast<std::uint8_t>(flowUnitWord & 0xFF);
}

// The values of one pixel column since its last gap.
class Column {
public:
    explicit Column(std::int64_t index) : index_(index) {}
    std::int64_t index() const { return index_; }

    void add(std::size_t i, float value) {
        if (!any_) {
            first_ = low_ = high_ = last_ = i;
            lowValue_ = highValue_ = value;
            any_ = true;
            return;
        }
        last_ = i;
        if (value < lowValue_)
            low_ = i, lowValue_ = value;
        if (value > highValue_)
            high_ = i, highValue_ = value;
    }
    // A gap: true for the column's first, which ends the run; later gaps drop what came
    // between them.
    bool gap() {
        const bool first = !gapSeen_;
        gapSeen_ = true;
        if (!first)
            any_ = false;
        return first;
    }
    // The first, lowest, highest and last index in time order, once each; then empty.
    template <typename Emit> void flush(Emit emit) {
        if (!any_)
            return;
        std::array<std::size_t, 4> indices{first_, low_, high_, last_};
        std::sort(indices.begin(), indices.end());
        const auto end = std::unique(indices.begin(), indices.end());
        for (auto it = indices.begin(); it != end; ++it)
            emit(*it);
        any_ = false;
    }

private:
    std::int64_t index_;
    bool any_ = false;
    bool gapSeen_ = false;
    std::size_t first_ = 0, low_ = 0, high_ = 0, last_ = 0;
    float lowValue_ = 0.0f, highValue_ = 0.0f;
};

} // namespace

void FlowTrend::add(const PollRecord& poll) {
    TrendPoint point{poll.monotonicMs, kGap, kGap, kGap,
                     points_.empty() ? std::uint8_t{0} : points_.back().flowUnit};
    if (poll.measured) {
        point.flow = poll.measured->IZM_FLOW_V;
        point.flowUnit = unitCode(poll.measured->FLOW_UNIT);
    }
    if (poll.primary)
        point.primary = poll.primary->IZM_FLOW_V;
    if (poll.outputs)
        point.current = poll.outputs->I_OUT;
    add(point);
    anchorEpochMs_ = epochMsOf(poll.time, poll.utcOffsetMinutes);
    anchorMs_ = poll.monotonicMs;
}

void FlowTrend::add(const TrendPoint& point) {
    points_.push_back(point);
    while (points_.size() > capacity_)
        points_.pop_front();
}

std::optional<TrendRange> FlowTrend::range(TrendWindow window) const {
    if (points_.empty())
        return std::nullopt;
    const std::uint64_t first = points_.front().ms, last = points_.back().ms;
    for (const TrendWindowChoice& choice : kTrendWindows)
        if (choice.window == window && choice.ms != 0 && last - first > choice.ms)
            return TrendRange{last - choice.ms, last};
    return TrendRange{first, last};
}

std::vector<TrendRun> FlowTrend::runs(TrendQuantity quantity, TrendRange range, int columns) const {
    std::vector<TrendRun> out;
    if (points_.empty() || columns <= 0 || range.to < range.from)
        return out;
    const std::uint8_t unit = points_.back().flowUnit;
    const auto valueOf = [&](const TrendPoint& p) {
        float v = kGap;
        switch (quantity) {
        case TrendQuantity::Flow:
            v = p.flowUnit == unit ? p.flow : kGap;
            break;
        case TrendQuantity::PrimaryFlow:
            v = p.primary;
            break;
        case TrendQuantity::Current:
            v = p.current;
            break;
        }
        return std::isfinite(v) ? v : kGap;
    };
    const auto byTime = [](const TrendPoint& p, std::uint64_t ms) { return p.ms < ms; };
    auto begin = std::lower_bound(points_.begin(), points_.end(), range.from, byTime);
    auto end = std::upper_bound(points_.begin(), points_.end(), range.to,
                                [](std::uint64_t ms, const TrendPoint& p) { return ms < p.ms; });
    if (begin != points_.begin())
        --begin;
    if (end != points_.end())
        ++end;

    const std::uint64_t span = range.to - range.from + 1;
    const auto columnOf = [&](std::uint64_t ms) -> std::int64_t {
        if (ms < range.from)
            return -1;
        if (ms > range.to)
            return columns;
        return static_cast<std::int64_t>((ms - range.from) * static_cast<std::uint64_t>(columns) /
                                         span);
    };
    TrendRun run;
    const auto endRun = [&] {
        if (!run.empty())
            out.push_back(std::move(run));
        run.clear();
    };
    const auto emit = [&](std::size_t i) { run.push_back({points_[i].ms, valueOf(points_[i])}); };
    Column column(-2);
    for (auto it = begin; it != end; ++it) {
        const std::size_t i = static_cast<std::size_t>(it - points_.begin());
        if (const std::int64_t c = columnOf(it->ms); c != column.index()) {
            column.flush(emit);
            column = Column(c);
        }
        const float v = valueOf(*it);
        if (std::isnan(v)) {
            if (column.gap()) {
                column.flush(emit);
                endRun();
            }
            continue;
        }
        column.add(i, v);
    }
    column.flush(emit);
    endRun();
    return out;
}

std::string FlowTrend::unitOf(TrendQuantity quantity) const {
    switch (quantity) {
    case TrendQuantity::Flow:
        for (auto it = points_.rbegin(); it != points_.rend(); ++it)
            if (!std::isnan(it->flow))
                return std::string(flowUnitText(it->flowUnit).value_or(""));
        return {};
    case TrendQuantity::PrimaryFlow:
        return std::string(measure_caption::primaryFlowUnit);
    case TrendQuantity::Current:
        return std::string(measure_caption::currentUnit);
    }
    return {};
}

std::optional<TrendSpan> valueSpan(const std::vector<TrendRun>& runs) {
    std::optional<TrendSpan> span;
    for (const TrendRun& run : runs)
        for (const TrendXY& p : run) {
            if (!span)
                span = TrendSpan{p.value, p.value};
            span->low = std::min(span->low, p.value);
            span->high = std::max(span->high, p.value);
        }
    return span;
}

} // namespace flowcfg
