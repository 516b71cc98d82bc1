#pragma once
// The trend plot of the measurement page: one quantity of the poll history (FlowTrend) over
// a time window, autoscaled, the axis captioned with its unit; gaps where polls failed. It
// hands the chart only what the model reduced to the plot's pixel columns. "Пауза" freezes
// the picture while the history goes on; a rectangle drawn with the mouse zooms in (the right
// button zooms out), "Сбросить масштаб" returns to the window that follows the polls.

#include "measure/FlowTrend.h"
#include "platform/Dialogs.h"

#include <QWidget>
#include <vector>

class QChart;
class QChartView;
class QComboBox;
class QDateTimeAxis;
class QLineSeries;
class QPushButton;
class QValueAxis;

namespace flowcfg {

inline constexpr std::string_view kPauseCaption = "Пауза";
inline constexpr std::string_view kResetZoomCaption = "Сбросить масштаб";
inline constexpr std::string_view kSavePngCaption = "Сохранить как PNG…";

class TrendView final : public QWidget {
    Q_OBJECT
public:
    TrendView(const FlowTrend& trend, Dialogs& dialogs, QWidget* parent = nullptr);
    ~TrendView() override;

    // Draws the model again (after a poll): nothing while paused or zoomed.
    void refresh();
    // Asks for a file and saves the plot as it is shown.
    void savePicture();

    TrendQuantity quantity() const;
    TrendWindow window() const;
    // The points handed to the chart, and the stretches they form.
    std::size_t drawnPoints() const;
    std::size_t drawnRuns() const;

    QComboBox* quantityBox() const { return quantity_; }
    QComboBox* windowBox() const { return window_; }
    QPushButton* pauseButton() const { return pause_; }
    QPushButton* resetZoomButton() const { return resetZoom_; }
    QPushButton* saveButton() const { return save_; }
    QChartView* chartView() const { return view_; }
    QValueAxis* valueAxis() const { return y_; }

private:
    void draw(TrendRange range, bool autoscale);
    void zoomed();
    QLineSeries* seriesAt(std::size_t i);

    const FlowTrend& trend_;
    Dialogs& dialogs_;
    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;
    QDateTimeAxis* x_ = nullptr;
    QValueAxis* y_ = nullptr;
    std::vector<QLineSeries*> series_; // one per run; spare ones kept empty
    std::size_t runs_ = 0;
    QComboBox* quantity_ = nullptr;
    QComboBox* window_ = nullptr;
    QPushButton* pause_ = nullptr;
    QPushButton* resetZoom_ = nullptr;
    QPushButton* save_ = nullptr;
    bool zoomed_ = false;
    bool drawing_ = false; // the axis ranges change because of draw(), not of a zoom
};

} // namespace flowcfg
