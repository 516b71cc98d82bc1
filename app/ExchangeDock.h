#pragma once
// "Обмен с прибором": a dock that shows every request and answer on the line as it happens,
// from an ExchangeJournal that watches the link (so it sees what COM.txt records, also while
// COM.txt is off): time, direction, bytes, the log's description, the attempt's result in
// words, failed answers in the error colour. "Пауза" stops taking exchanges in, "Очистить"
// empties it, "Копировать" puts the selected lines (all when none is selected) on the
// clipboard as tab-separated text.
//
// The journal keeps at most its capacity of entries. The table follows it at most every
// kExchangeViewRefreshMs, and only while the dock is visible: a hidden dock costs one copy
// of each frame into the journal, a visible one a few appended rows per refresh; only the
// rows on screen are ever formatted.

#include "link/ExchangeJournal.h"
#include "link/LinkContext.h"

#include <QAbstractTableModel>
#include <QDockWidget>
#include <QTimer>

class QPushButton;
class QTableView;

namespace flowcfg {

inline constexpr int kExchangeViewRefreshMs = 200;

// The journal as a table; sync() brings it up to date with the journal.
class ExchangeTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ExchangeTableModel(const ExchangeJournal& journal, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void sync();
    // The journal's number of a row.
    std::uint64_t entryOf(int row) const { return shownFirst_ + static_cast<std::uint64_t>(row); }

private:
    const ExchangeJournal& journal_;
    std::uint64_t shownFirst_ = 0;
    std::uint64_t shownEnd_ = 0;
    std::uint64_t shownChanges_ = 0;
};

class ExchangeDock final : public QDockWidget {
    Q_OBJECT
public:
    explicit ExchangeDock(LinkContext& link, QWidget* parent = nullptr,
                          std::size_t capacity = ExchangeJournal::kDefaultCapacity);
    ~ExchangeDock() override;

    ExchangeJournal& journal() { return journal_; }
    ExchangeTableModel& model() { return *model_; }
    QTableView* table() const { return table_; }
    QPushButton* pauseButton() const { return pause_; }
    QPushButton* clearButton() const { return clear_; }
    QPushButton* copyButton() const { return copy_; }

    // Brings the table up to date now (the timer does it while the dock is visible).
    void refresh();
    // What "Копировать" puts on the clipboard.
    QString copyText() const;

private:
    LinkContext& link_;
    ExchangeJournal journal_;
    ExchangeTableModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    QPushButton* pause_ = nullptr;
    QPushButton* clear_ = nullptr;
    QPushButton* copy_ = nullptr;
    QTimer refreshTimer_;
};

} // namespace flowcfg
