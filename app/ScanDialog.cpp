#include "app/ScanDialog.h"

#include "app/Fonts.h"
#include "app/QtText.h"
#include "config/NumberInput.h"
#include "link/LinkSettingsScreen.h"
#include "link/Ports.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace flowcfg {

namespace {

constexpr int kSpeedColumns = 2;
constexpr int kWidth = 720, kHeight = 520; // every column of the table in view
constexpr int kLastAddress = 247;
// A reopen asked for while another operation exchanges is tried again this much later.
constexpr int kReopenRetryMs = 50;

QSpinBox* addressBox(QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(1, kLastAddress);
    return box;
}

} // namespace

ScanDialog::ScanDialog(LinkContext& ctx, SeachSection& seach, Hooks hooks, QWidget* parent)
    : QDialog(parent), ctx_(ctx), seach_(seach), hooks_(std::move(hooks)) {
    setWindowTitle(QStringLiteral("Поиск прибора"));
    auto* speedGroup = new QGroupBox(QStringLiteral("СКОРОСТЬ"), this);
    auto* speedGrid = new QGridLayout(speedGroup);
    for (std::size_t i = 0; i < std::size(kSpeedItems); ++i) {
        speeds_.push_back(new QCheckBox(qs(kSpeedItems[i]), speedGroup));
        speedGrid->addWidget(speeds_.back(), static_cast<int>(i) / kSpeedColumns,
                             static_cast<int>(i) % kSpeedColumns);
    }
    auto* parityGroup = new QGroupBox(QStringLiteral("ПАРИТЕТ"), this);
    auto* parityColumn = new QVBoxLayout(parityGroup);
    for (std::size_t i = 0; i < std::size(kParityItems); ++i) {
        parities_.push_back(new QCheckBox(qs(kParityItems[i]), parityGroup));
        parityColumn->addWidget(parities_.back());
    }
    auto* addressGroup = new QGroupBox(QStringLiteral("СЕТЕВЫЕ АДРЕСА"), this);
    auto* addressForm = new QFormLayout(addressGroup);
    first_ = addressBox(addressGroup);
    last_ = addressBox(addressGroup);
    addressForm->addRow(QStringLiteral("с"), first_);
    addressForm->addRow(QStringLiteral("по"), last_);

    auto* choicesRow = new QHBoxLayout;
    choicesRow->addWidget(speedGroup, 0, Qt::AlignTop);
    choicesRow->addWidget(parityGroup, 0, Qt::AlignTop);
    choicesRow->addWidget(addressGroup, 0, Qt::AlignTop);
    choicesRow->addStretch(1);

    estimate_ = new QLabel(this);
    start_ = new QPushButton(QStringLiteral("Начать поиск"), this);
    stop_ = new QPushButton(QStringLiteral("Стоп"), this);
    auto* buttonsRow = new QHBoxLayout;
    buttonsRow->addWidget(start_);
    buttonsRow->addWidget(stop_);
    buttonsRow->addWidget(estimate_, 1);

    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    left_ = new QLabel(this);

    table_ = new QTableWidget(0, static_cast<int>(kFoundMeterColumns.size()), this);
    QStringList headers;
    for (const std::string_view column : kFoundMeterColumns)
        headers << qs(column);
    table_->setHorizontalHeaderLabels(headers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->setFont(fixedFont());
    table_->setMinimumHeight(160);

    take_ = new QPushButton(QStringLiteral("Взять настройки для связи"), this);
    take_->setToolTip(QStringLiteral("Адрес, скорость и паритет выбранного прибора становятся "
                                     "настройками связи программы (НАСТРОЙКИ ПРОГРАММЫ)."));
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(take_);
    bottomRow->addStretch(1);
    bottomRow->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choicesRow);
    layout->addLayout(buttonsRow);
    layout->addWidget(progress_);
    layout->addWidget(left_);
    layout->addWidget(table_, 1);
    layout->addLayout(bottomRow);

    for (QCheckBox* box : speeds_)
        connect(box, &QCheckBox::toggled, this, [this] { showEstimate(); });
    for (QCheckBox* box : parities_)
        connect(box, &QCheckBox::toggled, this, [this] { showEstimate(); });
    connect(first_, &QSpinBox::valueChanged, this, [this] { showEstimate(); });
    connect(last_, &QSpinBox::valueChanged, this, [this] { showEstimate(); });
    connect(start_, &QPushButton::clicked, this, [this] { startScan(); });
    connect(stop_, &QPushButton::clicked, this, [this] { stopAsked_ = true; });
    connect(take_, &QPushButton::clicked, this, [this] { takeSelected(); });
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { enableButtons(); });
    connect(close, &QDialogButtonBox::rejected, this, &ScanDialog::reject);
    showChoices();
    enableButtons();
    resize(sizeHint().expandedTo(QSize(kWidth, kHeight)));
}

void ScanDialog::showChoices() {
    if (scanning_)
        return;
    const ScanChoices preset = scanChoicesOf(seach_);
    for (std::size_t i = 0; i < speeds_.size(); ++i)
        speeds_[i]->setChecked(std::ranges::count(preset.speedIndexes, kFirstSpeedIndex + i) != 0);
    for (std::size_t i = 0; i < parities_.size(); ++i)
        parities_[i]->setChecked(std::ranges::count(preset.parities, i) != 0);
    // An empty range (beg above end) shows as it is and is refused when a scan starts.
    first_->setValue(std::clamp(seach_.beg, 1, kLastAddress));
    last_->setValue(std::clamp(seach_.end, 1, kLastAddress));
    showEstimate();
}

ScanChoices ScanDialog::choices() const {
    ScanChoices c;
    for (std::size_t i = 0; i < speeds_.size(); ++i)
        if (speeds_[i]->isChecked())
            c.speedIndexes.push_back(static_cast<std::uint16_t>(kFirstSpeedIndex + i));
    for (std::size_t i = 0; i < parities_.size(); ++i)
        if (parities_[i]->isChecked())
            c.parities.push_back(static_cast<std::uint16_t>(i));
    for (int a = first_->value(); a <= last_->value(); ++a)
        c.addresses.push_back(static_cast<std::uint16_t>(a));
    return c;
}

void ScanDialog::showEstimate() {
    const ScanChoices c = choices();
    estimate_->setText(c.tries() == 0
                           ? QStringLiteral("Нечего искать: выберите скорость, паритет и адреса.")
                           : QStringLiteral("%1 попыток, без ответов %2")
                                 .arg(c.tries())
                                 .arg(qs(durationText(scanEstimateMs(c, ctx_.settings)))));
}

void ScanDialog::startScan() {
    if (scanning_)
        return;
    const ScanChoices c = choices();
    if (const std::string why = scanChoicesProblem(c); !why.empty()) {
        ctx_.dialogs.message(std::string(kInputErrorCaption), why, DialogIcon::Exclamation);
        return;
    }
    keepScanChoices(c, seach_);
    table_->setRowCount(0);
    found_.clear();
    scanning_ = true;
    stopAsked_ = false;
    enableButtons();

    BusScan scan(ctx_, c);
    scan.onStart = hooks_.stopPolling;
    scan.progress = [this](const ScanProgress& p) { showProgress(p); };
    scan.found = [this](const FoundMeter& m) { addRow(m); };
    scan.stopRequested = [this] { return stopAsked_; };
    const ScanEnd end = scan.run();

    scanning_ = false;
    const auto meters = std::ranges::count(found_, false, &FoundMeter::damaged);
    switch (end) {
    case ScanEnd::Finished:
        progress_->setValue(progress_->maximum());
        left_->setText(QStringLiteral("Поиск окончен, найдено приборов: %1").arg(meters));
        break;
    case ScanEnd::Stopped:
        left_->setText(QStringLiteral("Поиск остановлен, найдено приборов: %1").arg(meters));
        break;
    case ScanEnd::Busy:
        left_->setText(QStringLiteral("Связь занята другой операцией: поиск не начат."));
        break;
    case ScanEnd::PortFailed:
        left_->setText(QStringLiteral("Порт не открылся: поиск не закончен."));
        break;
    }
    enableButtons();
}

void ScanDialog::showProgress(const ScanProgress& p) {
    progress_->setRange(0, static_cast<int>(p.total));
    progress_->setValue(static_cast<int>(p.done));
    left_->setText(qs(std::string(kSpeedItems[p.speedIndex - kFirstSpeedIndex]) + ", " +
                      std::string(kParityItems[p.parity]) + ", адрес " + std::to_string(p.address) +
                      " — осталось " + durationText(p.remainingMs)));
}

void ScanDialog::addRow(const FoundMeter& meter) {
    found_.push_back(meter);
    const int row = table_->rowCount();
    table_->insertRow(row);
    const auto cells = foundMeterCells(meter);
    for (std::size_t column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(qs(cells[column]));
        if (meter.damaged)
            item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
        table_->setItem(row, static_cast<int>(column), item);
    }
}

void ScanDialog::enableButtons() {
    const int row = table_->currentRow();
    const bool takeable = row >= 0 && static_cast<std::size_t>(row) < found_.size() &&
                          !found_[static_cast<std::size_t>(row)].damaged;
    start_->setEnabled(!scanning_);
    stop_->setEnabled(scanning_);
    take_->setEnabled(!scanning_ && takeable);
    for (QCheckBox* box : speeds_)
        box->setEnabled(!scanning_);
    for (QCheckBox* box : parities_)
        box->setEnabled(!scanning_);
    first_->setEnabled(!scanning_);
    last_->setEnabled(!scanning_);
}

void ScanDialog::takeSelected() {
    const int row = table_->currentRow();
    if (scanning_ || row < 0 || static_cast<std::size_t>(row) >= found_.size() ||
        found_[static_cast<std::size_t>(row)].damaged)
        return;
    if (takeFoundMeter(ctx_.settings, found_[static_cast<std::size_t>(row)]))
        reopen();
    if (hooks_.linkChanged)
        hooks_.linkChanged();
}

// As the selectors of "НАСТРОЙКИ ПРОГРАММЫ": the port is never closed under a waiting
// transaction, the reopen waits for it to end.
void ScanDialog::reopen() {
    OperationGuard guard(ctx_);
    if (!guard) {
        QTimer::singleShot(kReopenRetryMs, this, [this] { reopen(); });
        return;
    }
    openPort(ctx_, true);
}

void ScanDialog::reject() {
    if (scanning_) {
        stopAsked_ = true; // the scan ends after its current try; the dialog stays open
        return;
    }
    QDialog::reject();
}

} // namespace flowcfg
