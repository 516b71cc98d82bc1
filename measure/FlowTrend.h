#pragma once
// The history behind the trend plot of the measurement page: one point per poll with the
// measured flow, the primary converter's flow and the current output, kept for up to a week
// of 1 s polls. A value that was not read (a failed poll, the outputs not read) is a gap, never
// a zero. The plot shows one quantity over a time window and draws it reduced to what its
// pixel columns can show, so a day of polls costs a few thousand points to draw.

#include "measure/PollRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg {

enum class TrendQuantity : std::uint8_t { Flow, PrimaryFlow, Current };
enum class TrendWindow : std::uint8_t { Minutes1, Minutes10, Minutes60, All };

struct TrendWindowChoice {
    TrendWindow window;
    std::string_view caption;
    std::uint64_t ms; // 0 for All
};
inline constexpr std::array kTrendWindows{
    TrendWindowChoice{TrendWindow::Minutes1, "1 мин", 60'000},
    TrendWindowChoice{TrendWindow::Minutes10, "10 мин", 600'000},
    TrendWindowChoice{TrendWindow::Minutes60, "60 мин", 3'600'000},
    TrendWindowChoice{TrendWindow::All, "Все", 0},
};
inline constexpr TrendWindow kDefaultTrendWindow = TrendWindow::Minutes10;

struct TrendQuantityChoice {
    TrendQuantity quantity;
    std::string_view caption;
};
inline constexpr std::array kTrendQuantities{
    TrendQuantityChoice{TrendQuantity::Flow, "Расход"},
    TrendQuantityChoice{TrendQuantity::PrimaryFlow, "Расход из первичного преобразователя"},
    TrendQuantityChoice{TrendQuantity::Current, "ТОК"},
};

// A week of polls at one a second.
inline constexpr std::size_t kTrendCapacity = 7 * 24 * 3600;

struct TrendPoint {
    std::uint64_t ms = 0; // monotonic time of the poll
    float flow = 0.0f;    // NaN: not read
    float primary = 0.0f;
    float current = 0.0f;
    std::uint8_t flowUnit = 0; // low byte of FLOW_UNIT
};

// A span of monotonic time, both ends included.
struct TrendRange {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    bool operator==(const TrendRange&) const = default;
};

struct TrendXY {
    std::uint64_t ms;
    float value;
    bool operator==(const TrendXY&) const = default;
};
// A stretch of the curve without a gap.
using TrendRun = std::vector<TrendXY>;

class FlowTrend {
public:
    explicit FlowTrend(std::size_t capacity = kTrendCapacity) : capacity_(capacity) {}

    // The poll's values; the oldest point goes when the history is full. Points come in the
    // order of their monotonic times.
    void add(const PollRecord& poll);
    void add(const TrendPoint& point);
    void clear() { points_.clear(); }

    std::size_t size() const { return points_.size(); }
    const TrendPoint& operator[](std::size_t i) const { return points_[i]; }

    // The window ending at the latest point; all points for All, and while the history is
    // shorter than the window (the plot fills up first, then slides). nullopt while empty.
    std::optional<TrendRange> range(TrendWindow window) const;

    // The quantity over the range for a plot `columns` pixels wide: per column at most its
    // first, lowest, highest and last value, in time order, so the drawn line is the same as
    // with every point. A gap ends a run; in a column with several gaps only the values after
    // the last one start the next run, so a line that fails every other poll gives at most
    // one run per column. Flow read in a unit other than the latest point's is a gap too. The
    // last point before the range and the first after it are included, so a zoomed curve runs
    // to the plot's edges.
    std::vector<TrendRun> runs(TrendQuantity quantity, TrendRange range, int columns) const;

    // The unit of the quantity's axis: the flow unit of the latest point that has one.
    std::string unitOf(TrendQuantity quantity) const;

    // Wall-clock time of a monotonic time, in milliseconds since 1970 UTC, from the latest
    // poll (a clock set meanwhile does not bend the curve).
    std::int64_t wallMsOf(std::uint64_t ms) const {
        return anchorEpochMs_ + static_cast<std::int64_t>(ms) -
               static_cast<std::int64_t>(anchorMs_);
    }

private:
    std::size_t capacity_;
    std::deque<TrendPoint> points_;
    std::int64_t anchorEpochMs_ = 0;
    std::uint64_t anchorMs_ = 0;
};

// The lowest and highest value of runs; nullopt when they hold none.
struct TrendSpan {
    float low, high;
};
std::optional<TrendSpan> valueSpan(const std::vector<TrendRun>& runs);

} // namespace flowcfg
