#pragma once
// "Поиск прибора": the bus scan in a window (config/BusScan.h). The speeds, parities and
// addresses to try start as the profile's Seach section has them and go back there when a
// scan starts (a save keeps them). While a scan runs: a progress bar, the try being made,
// the time left and "Стоп"; every meter found is a row of the table (address, speed, parity,
// factory number, model, versions). "Взять настройки для связи" makes the selected meter's
// address, speed and parity the tool's link, as the selectors of "НАСТРОЙКИ ПРОГРАММЫ" do,
// and reopens the port.

#include "config/BusScan.h"
#include "link/LinkContext.h"
#include "profiles/ToolSettings.h"

#include <QDialog>
#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace flowcfg {

class ScanDialog final : public QDialog {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void()> stopPolling; // before the scan exchanges
        std::function<void()> linkChanged; // after a found meter became the link
    };
    ScanDialog(LinkContext& ctx, SeachSection& seach, Hooks hooks, QWidget* parent = nullptr);

    // Sets the boxes from the profile's Seach section (on opening; not while scanning).
    void showChoices();
    // The choices as the boxes show them.
    ScanChoices choices() const;
    // "Начать поиск": runs the scan to its end or to "Стоп" (the window stays live meanwhile).
    void startScan();
    // "Взять настройки для связи" for the selected row.
    void takeSelected();
    bool scanning() const { return scanning_; }

    QCheckBox* speedBox(std::size_t i) const { return speeds_[i]; }
    QCheckBox* parityBox(std::size_t i) const { return parities_[i]; }
    QSpinBox* firstAddress() const { return first_; }
    QSpinBox* lastAddress() const { return last_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* stopButton() const { return stop_; }
    QPushButton* takeButton() const { return take_; }
    QProgressBar* progressBar() const { return progress_; }
    QLabel* timeLeft() const { return left_; }
    QTableWidget* table() const { return table_; }

protected:
    void reject() override; // a close while scanning stops the scan first

private:
    void showEstimate();
    void showProgress(const ScanProgress& p);
    void addRow(const FoundMeter& meter);
    void enableButtons();
    void reopen();

    LinkContext& ctx_;
    SeachSection& seach_;
    Hooks hooks_;
    std::vector<QCheckBox*> speeds_, parities_;
    QSpinBox* first_ = nullptr;
    QSpinBox* last_ = nullptr;
    QLabel* estimate_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* left_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* take_ = nullptr;
    std::vector<FoundMeter> found_; // one per row
    bool scanning_ = false;
    bool stopAsked_ = false;
};

} // namespace flowcfg
