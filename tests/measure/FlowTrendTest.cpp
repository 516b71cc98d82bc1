#include "measure/FlowTrend.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

PollRecord poll(std::uint64_t ms, std::optional<float> flow, std::uint16_t unit = 2) {
    PollRecord p;
    p.time = {2026, 3, 5, 9, 0, 0, 0};
    p.monotonicMs = ms;
    p.measuredResult = flow ? ExchangeResult{} : ExchangeResult{0x0040, 0};
    if (flow) {
        MeasuredBlock m;
        m.IZM_FLOW_V = *flow;
        m.FLOW_UNIT = unit;
        p.measured = m;
        p.primary = PrimaryFlow{*flow * 2, 0, 0};
    }
    return p;
}

TEST(FlowTrendTest, FailedPollsAndOtherUnitsAreGapsNotZeros) {
    FlowTrend trend;
    trend.add(poll(1000, 1.0f));
    trend.add(poll(2000, 2.0f));
    trend.add(poll(3000, std::nullopt)); // no answer
    trend.add(poll(4000, 4.0f));
    trend.add(poll(5000, std::nullopt));
    trend.add(poll(6000, 6.0f, 3)); // the meter now counts in литры/час
    trend.add(poll(7000, 7.0f, 3));
    const TrendRange all = *trend.range(TrendWindow::All);

    EXPECT_EQ(trend.runs(TrendQuantity::Flow, all, 100),
              (std::vector<TrendRun>{{{6000, 6.0f}, {7000, 7.0f}}}));
    EXPECT_EQ(trend.unitOf(TrendQuantity::Flow), "литры/час");
    EXPECT_EQ(trend.runs(TrendQuantity::PrimaryFlow, all, 100),
              (std::vector<TrendRun>{
                  {{1000, 2.0f}, {2000, 4.0f}}, {{4000, 8.0f}}, {{6000, 12.0f}, {7000, 14.0f}}}));
    // The outputs were not read: nothing to draw, not a line at zero.
    EXPECT_TRUE(trend.runs(TrendQuantity::Current, all, 100).empty());
    EXPECT_FALSE(valueSpan(trend.runs(TrendQuantity::Current, all, 100)));
    EXPECT_EQ(trend.wallMsOf(7000) - trend.wallMsOf(1000), 6000);
}

TEST(FlowTrendTest, WindowsEndAtTheLatestPoll) {
    FlowTrend trend;
    EXPECT_FALSE(trend.range(kDefaultTrendWindow));
    for (std::uint64_t s = 0; s <= 7200; ++s)
        trend.add(poll(5000 + s * 1000, 1.0f));
    const std::uint64_t last = 5000 + 7'200'000;
    EXPECT_EQ(kDefaultTrendWindow, TrendWindow::Minutes10);
    const struct {
        TrendWindow window;
        TrendRange range;
    } cases[] = {
        {TrendWindow::Minutes1, {last - 60'000, last}},
        {TrendWindow::Minutes10, {last - 600'000, last}},
        {TrendWindow::Minutes60, {last - 3'600'000, last}},
        {TrendWindow::All, {5000, last}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(trend.range(c.window), c.range);

    FlowTrend young; // shorter than the window: from the first poll on
    young.add(poll(5000, 1.0f));
    young.add(poll(65'000, 1.0f));
    EXPECT_EQ(young.range(TrendWindow::Minutes10), (TrendRange{5000, 65'000}));
}

TEST(FlowTrendTest, ADayIsDrawnWithAFewPointsPerColumnAndKeepsEveryPeakAndGap) {
    FlowTrend trend;
    for (std::uint64_t s = 0; s < 86'400; ++s) {
        const bool failed = s == 40'000;
        const float value = s == 12'345 ? 99.0f : s == 60'001 ? -5.0f : std::sin(s * 0.001f);
        trend.add(poll(s * 1000, failed ? std::nullopt : std::optional(value)));
    }
    const auto runs = trend.runs(TrendQuantity::Flow, *trend.range(TrendWindow::All), 1000);
    ASSERT_EQ(runs.size(), 2u); // split at the failed poll
    std::size_t points = 0;
    for (const TrendRun& run : runs) {
        points += run.size();
        EXPECT_TRUE(std::is_sorted(run.begin(), run.end(),
                                   [](const TrendXY& a, const TrendXY& b) { return a.ms < b.ms; }));
    }
    EXPECT_LE(points, 4000u);
    EXPECT_EQ(runs[0].back().ms, 39'999'000u);
    EXPECT_EQ(runs[1].front().ms, 40'001'000u);
    const auto span = valueSpan(runs);
    EXPECT_EQ(span->low, -5.0f);
    EXPECT_EQ(span->high, 99.0f);

    // Polls that fail every other time: at most one run per column, not one per poll.
    FlowTrend flapping;
    for (std::uint64_t s = 0; s < 86'400; ++s)
        flapping.add(poll(s * 1000, s % 2 ? std::nullopt : std::optional(1.0f)));
    EXPECT_LE(flapping.runs(TrendQuantity::Flow, *flapping.range(TrendWindow::All), 1000).size(),
              1001u);
}

TEST(FlowTrendTest, TheOldestPointGoesWhenFull) {
    FlowTrend trend(3);
    for (std::uint64_t s = 1; s <= 5; ++s)
        trend.add(poll(s, 1.0f));
    ASSERT_EQ(trend.size(), 3u);
    EXPECT_EQ(trend[0].ms, 3u);
}

} // namespace
} // namespace flowcfg::test
