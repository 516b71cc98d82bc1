#include "app/ExchangeDock.h"

#include "app/ErrorColour.h"
#include "app/Fonts.h"
#include "app/QtText.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

namespace flowcfg {

ExchangeTableModel::ExchangeTableModel(const ExchangeJournal& journal, QObject* parent)
    : QAbstractTableModel(parent), journal_(journal) {}

int ExchangeTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shownEnd_ - shownFirst_);
}

int ExchangeTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kJournalHeaders.size());
}

QVariant ExchangeTableModel::data(const QModelIndex& index, int role) const {
    const std::uint64_t n = entryOf(index.row());
    if (!index.isValid() || !journal_.holds(n))
        return {};
    const ExchangeEntry& entry = journal_.entry(n);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return qs(ExchangeJournal::cellText(entry, static_cast<JournalColumn>(index.column())));
    case Qt::BackgroundRole:
        return entry.failed() ? QVariant(errorColour()) : QVariant();
    case Qt::ForegroundRole:
        return entry.failed() ? QVariant(QColor(Qt::black)) : QVariant();
    default:
        return {};
    }
}

QVariant ExchangeTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= static_cast<int>(kJournalHeaders.size()))
        return {};
    return qs(kJournalHeaders[static_cast<std::size_t>(section)]);
}

void ExchangeTableModel::sync() {
    const std::uint64_t first = journal_.first();
    const std::uint64_t end = journal_.end();
    if (journal_.changes() == shownChanges_)
        return;
    shownChanges_ = journal_.changes();
    if (first >= shownEnd_) { // cleared, or every shown row went
        beginResetModel();
        shownFirst_ = first;
        shownEnd_ = end;
        endResetModel();
        return;
    }
    if (first > shownFirst_) {
        beginRemoveRows({}, 0, static_cast<int>(first - shownFirst_ - 1));
        shownFirst_ = first;
        endRemoveRows();
    }
    // The last shown answer may have got its result since.
    if (shownEnd_ > shownFirst_) {
        const int last = static_cast<int>(shownEnd_ - shownFirst_ - 1);
        emit dataChanged(index(last, 0), index(last, columnCount() - 1));
    }
    if (end > shownEnd_) {
        beginInsertRows({}, static_cast<int>(shownEnd_ - shownFirst_),
                        static_cast<int>(end - shownFirst_ - 1));
        shownEnd_ = end;
        endInsertRows();
    }
}

ExchangeDock::ExchangeDock(LinkContext& link, QWidget* parent, std::size_t capacity)
    : QDockWidget(QStringLiteral("Обмен с прибором"), parent), link_(link), journal_(capacity) {
    setObjectName(QStringLiteral("exchangeDock"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* buttons = new QHBoxLayout;
    pause_ = new QPushButton(QStringLiteral("Пауза"), body);
    pause_->setCheckable(true);
    clear_ = new QPushButton(QStringLiteral("Очистить"), body);
    copy_ = new QPushButton(QStringLiteral("Копировать"), body);
    for (QPushButton* b : {pause_, clear_, copy_})
        buttons->addWidget(b);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    model_ = new ExchangeTableModel(journal_, this);
    table_ = new QTableView(body);
    table_->setModel(model_);
    table_->setFont(fixedFont());
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    // Fixed row heights: no row is measured, however many there are.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    table_->horizontalHeader()->setStretchLastSection(true);
    const int digit = table_->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (const auto& [column, chars] :
         {std::pair{JournalColumn::Time, 14}, std::pair{JournalColumn::Direction, 18},
          std::pair{JournalColumn::Bytes, 48}, std::pair{JournalColumn::Description, 36}})
        table_->setColumnWidth(static_cast<int>(column), digit * chars);
    layout->addWidget(table_);
    setWidget(body);

    connect(pause_, &QPushButton::toggled, this, [this](bool on) {
        journal_.setPaused(on);
        pause_->setText(on ? QStringLiteral("Продолжить") : QStringLiteral("Пауза"));
    });
    connect(clear_, &QPushButton::clicked, this, [this] {
        journal_.clear();
        refresh();
    });
    connect(copy_, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(copyText()); });

    // The timer runs only while the dock is shown.
    refreshTimer_.setInterval(kExchangeViewRefreshMs);
    connect(&refreshTimer_, &QTimer::timeout, this, [this] { refresh(); });
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (!visible) {
            refreshTimer_.stop();
            return;
        }
        refresh();
        refreshTimer_.start();
    });
    link_.exchangeObservers.add(journal_);
}

ExchangeDock::~ExchangeDock() {
    link_.exchangeObservers.remove(journal_);
}

void ExchangeDock::refresh() {
    QScrollBar* bar = table_->verticalScrollBar();
    const bool atBottom = bar->value() == bar->maximum();
    model_->sync();
    if (atBottom)
        table_->scrollToBottom();
}

QString ExchangeDock::copyText() const {
    std::vector<std::uint64_t> numbers;
    for (const QModelIndex& r : table_->selectionModel()->selectedRows())
        numbers.push_back(model_->entryOf(r.row()));
    std::ranges::sort(numbers);
    return qs(journal_.copyText(numbers));
}

} // namespace flowcfg
