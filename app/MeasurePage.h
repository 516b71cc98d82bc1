#pragma once
// The "ИЗМЕРЕНИЕ" page: renders the measurement screen model field by field with its
// colours and forwards the clicks of its buttons and of the "ЧИТАТЬ" lamp to the panel. It
// renders whenever the panel says its screen changed. Below the fields, the trend of the
// polls (TrendView); beside the buttons, the switch of the CSV recording.

#include "measure/FlowTrend.h"
#include "measure/MeasurePanel.h"

#include <QWidget>
#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace flowcfg {

class TrendView;

class MeasurePage final : public QWidget {
    Q_OBJECT
public:
    explicit MeasurePage(MeasurePanel& panel, QWidget* parent = nullptr);
    ~MeasurePage() override;

    // Copies the model into the widgets and moves the focus the model asks for.
    void render();

    QPushButton* readButton() const { return read_; }
    QPushButton* cyclicButton() const { return cyclic_; }
    QPushButton* stopButton() const { return stop_; }
    QPushButton* resetErrorsButton() const { return resetErrors_; }
    QPushButton* resetVolumeButton() const { return resetVolume_; }
    QPushButton* readOutputsLamp() const { return lamp_; }
    QCheckBox* csvSwitch() const { return csv_; }
    TrendView* trendView() const { return trendView_; }
    // The poll history behind the plot (a benchmark fills it with a day of polls).
    FlowTrend& trend() { return trend_; }
    const FlowTrend& trend() const { return trend_; }
    // The widget that shows a field of the model (for tests), nullptr for a field the page
    // does not show.
    QWidget* widgetOf(ScreenField MeasureScreen::*field) const;

private:
    struct Binding {
        ScreenField MeasureScreen::*field;
        QWidget* widget; // QLineEdit or QLabel
        bool painted;    // the background follows the field's colour
    };
    QLineEdit* addField(ScreenField MeasureScreen::*field, QWidget* parent, int minChars);
    QLabel* addLabel(ScreenField MeasureScreen::*field, QWidget* parent, bool painted = false);
    void showCsvSwitch();
    QPushButton* addButton(std::string_view caption, QWidget* parent,
                           std::function<void(MeasurePanel&)> op);

    MeasurePanel& panel_;
    std::vector<Binding> bindings_;
    QPushButton* read_ = nullptr;
    QPushButton* cyclic_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* resetErrors_ = nullptr;
    QPushButton* resetVolume_ = nullptr;
    QPushButton* lamp_ = nullptr;
    QCheckBox* csv_ = nullptr;
    FlowTrend trend_;
    TrendView* trendView_ = nullptr;
};

} // namespace flowcfg
