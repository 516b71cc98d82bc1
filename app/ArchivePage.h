#pragma once
// The "АРХИВ" page: the interval selector (with the two hidden frame selectors), the frame
// counters, the number of the frame to be read, the three download buttons and "Остановить ",
// the status line with the progress of the download beside it. It renders the controller's
// screen model and drives the transfer timer: one block per tick, re-armed as the controller
// says. "Остановить " works also in the middle of a tick (clicks are handled while a block
// is being fetched).

#include "archive/ArchiveController.h"

#include <QString>
#include <QTimer>
#include <QWidget>
#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace flowcfg {

class ArchivePage final : public QWidget {
    Q_OBJECT
public:
    explicit ArchivePage(ArchiveController& controller, QWidget* parent = nullptr);
    ~ArchivePage() override;

    // Copies the screen model into the widgets (the editable ones only when the model changed
    // them, so typing is never overwritten by a progress update).
    void render();

    // For tests and the window.
    QPushButton* readIntervalButton() const { return readInterval_; }
    QPushButton* writeIntervalButton() const { return writeInterval_; }
    QPushButton* readFrameDataButton() const { return readFrameData_; }
    QPushButton* readFrameNumberButton() const { return readFrameNumber_; }
    QPushButton* writeFrameNumberButton() const { return writeFrameNumber_; }
    QPushButton* downloadAllButton() const { return downloadAll_; }
    QPushButton* download3600Button() const { return download3600_; }
    QPushButton* download600Button() const { return download600_; }
    QPushButton* stopButton() const { return stop_; }
    QComboBox* intervalSelector() const { return interval_; }
    QLineEdit* frameNumberField() const { return frameNumber_; }
    QLabel* statusLine() const { return status_; }
    QProgressBar* progressBar() const { return progress_; }
    const QTimer& transferTimer() const { return timer_; }
    QString counterText(int which) const; // 0 total, 1 current, 2 blocks

signals:
    // The selected interval text, for the summary page ("АРХИВ ИНТ ЗАП").
    void intervalTextChanged(const QString& text);

private:
    void take();
    void download(std::optional<std::uint32_t> frames);
    void onTick();

    ArchiveController& controller_;
    QTimer timer_;
    QComboBox* interval_ = nullptr;
    QComboBox* frameType_ = nullptr;
    QComboBox* frameNumberAfterRead_ = nullptr;
    QWidget* hiddenSelectors_ = nullptr;
    QLineEdit* total_ = nullptr;
    QLineEdit* current_ = nullptr;
    QLineEdit* blocks_ = nullptr;
    QLineEdit* frameNumber_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* readInterval_ = nullptr;
    QPushButton* writeInterval_ = nullptr;
    QPushButton* readFrameData_ = nullptr;
    QPushButton* readFrameNumber_ = nullptr;
    QPushButton* writeFrameNumber_ = nullptr;
    QPushButton* downloadAll_ = nullptr;
    QPushButton* download3600_ = nullptr;
    QPushButton* download600_ = nullptr;
    QPushButton* stop_ = nullptr;
    // What the editable widgets were last set to from the model.
    ArchiveScreen shown_;
    bool rendered_ = false;
    QString intervalText_;
};

} // namespace flowcfg
