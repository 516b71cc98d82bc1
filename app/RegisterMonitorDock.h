#pragma once
// "Монитор регистров": a dock with the register monitor of config/RegisterMonitor.h. The
// user lists ranges (first register, count, type), reads them once ("Прочитать") or every
// period ("Циклически", a single-shot timer re-armed after each poll, so a slow meter
// stretches the period instead of stacking polls; a poll while another operation exchanges
// is skipped), and writes one typed value under the write guard ("Записать").
//
// A dock rather than a page: it can stay open beside "ИЗМЕРЕНИЕ" while that page polls, and
// the screen tree, its tab positions and the profile keys that remember them stay as they
// are. Hiding the dock stops its cyclic poll.

#include "config/RegisterMonitor.h"

#include <QDockWidget>
#include <QTimer>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace flowcfg {

inline constexpr int kMonitorDefaultPeriodMs = 1000;

class RegisterMonitorDock final : public QDockWidget {
    Q_OBJECT
public:
    explicit RegisterMonitorDock(LinkContext& link, QWidget* parent = nullptr);

    RegisterMonitor& monitor() { return monitor_; }

    // Adds a range row to the editor.
    void addRange(const MonitorRange& range);
    // "Прочитать" and one tick of "Циклически".
    void readOnce();
    void cyclicTick();
    // "Записать".
    void writeValue();

    QTableWidget* rangesTable() const { return ranges_; }
    QTableWidget* valuesTable() const { return values_; }
    QPushButton* readButton() const { return read_; }
    QCheckBox* cyclicBox() const { return cyclic_; }
    QSpinBox* periodBox() const { return period_; }
    QLineEdit* writeAddress() const { return writeAddress_; }
    QComboBox* writeType() const { return writeType_; }
    QLineEdit* writeText() const { return writeText_; }
    QPushButton* writeButton() const { return write_; }
    QLabel* problemLine() const { return problem_; }
    QTimer& pollTimer() { return pollTimer_; }

private:
    // Copies the editor into the monitor's ranges; false (and the reason on the problem line)
    // when a field does not parse or a range cannot be read.
    bool takeRanges();
    void poll(bool reportFailure);
    void renderValues();
    void setCyclic(bool on);

    RegisterMonitor monitor_;
    QTableWidget* ranges_ = nullptr;
    QTableWidget* values_ = nullptr;
    QPushButton* read_ = nullptr;
    QCheckBox* cyclic_ = nullptr;
    QSpinBox* period_ = nullptr;
    QLineEdit* writeAddress_ = nullptr;
    QComboBox* writeType_ = nullptr;
    QLineEdit* writeText_ = nullptr;
    QPushButton* write_ = nullptr;
    QLabel* problem_ = nullptr;
    QTimer pollTimer_;
};

} // namespace flowcfg
