#include "app/TrendView.h"

#include "QtTestApp.h"
#include "ScriptedDialogs.h"
#include "TestFiles.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <QValueAxis>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

TrendPoint point(std::uint64_t s, float flow) {
    return {s * 1000, flow, flow, std::numeric_limits<float>::quiet_NaN(), 2};
}

TEST(TrendViewTest, GapsPauseZoomAndPicture) {
    ensureQtApp();
    FlowTrend trend;
    for (std::uint64_t s = 1; s <= 10; ++s)
        trend.add(point(s, s == 6 ? std::numeric_limits<float>::quiet_NaN() : 20.0f + s));
    ScriptedDialogs dialogs;
    TrendView view(trend, dialogs);
    view.resize(800, 300);
    EXPECT_EQ(takeQtWarnings(), std::vector<std::string>{});
    view.show(); // the offscreen platform warns about size hints it cannot pass on
    takeQtWarnings();
    view.refresh();
    EXPECT_EQ(view.window(), TrendWindow::Minutes10);
    EXPECT_EQ(view.drawnRuns(), 2u); // broken at the failed poll
    EXPECT_EQ(view.drawnPoints(), 9u);
    EXPECT_EQ(view.valueAxis()->titleText().toStdString(), "м куб/час");
    EXPECT_LE(view.valueAxis()->min(), 21.0);
    EXPECT_GE(view.valueAxis()->max(), 30.0);

    // Paused, the picture stays while the history grows.
    view.pauseButton()->click();
    trend.add(point(11, 40.0f));
    view.refresh();
    EXPECT_EQ(view.drawnPoints(), 9u);
    view.pauseButton()->click();
    EXPECT_EQ(view.drawnPoints(), 10u);

    // A zoom holds its range until it is reset.
    QChart* chart = view.chartView()->chart();
    chart->zoomIn(QRectF(chart->plotArea().center(), chart->plotArea().bottomRight()));
    EXPECT_TRUE(view.resetZoomButton()->isEnabled());
    EXPECT_LT(view.drawnPoints(), 10u);
    view.resetZoomButton()->click();
    EXPECT_FALSE(view.resetZoomButton()->isEnabled());
    EXPECT_EQ(view.drawnPoints(), 10u);

    // The current output was not read: an empty plot, not a line at zero.
    view.quantityBox()->setCurrentIndex(2);
    EXPECT_EQ(view.drawnRuns(), 0u);
    EXPECT_EQ(view.valueAxis()->titleText().toStdString(), "мА");

    TempDir dir("flowcfg-trend");
    const auto png = dir.path() / "trend.png";
    dialogs.saveFiles.push_back(png.string());
    view.saveButton()->click();
    EXPECT_EQ(dialogs.savedKinds, std::vector<std::string>{"Рисунки PNG"});
    EXPECT_EQ(QImage(QString::fromStdString(png.string())).size(), view.chartView()->size());
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(takeQtWarnings(), std::vector<std::string>{});
}

} // namespace
} // namespace flowcfg::test
