#include "app/RegisterMonitorDock.h"

#include "app/ErrorColour.h"
#include "app/Fonts.h"
#include "app/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace flowcfg {

namespace {

enum RangeColumn { AddressColumn, CountColumn, TypeColumn };

QComboBox* typeSelector(QWidget* parent, RegisterType type) {
    auto* box = new QComboBox(parent);
    for (const RegisterTypeInfo& info : kRegisterTypes)
        box->addItem(qs(info.caption));
    box->setCurrentIndex(static_cast<int>(type));
    return box;
}

// A register number or count as typed: decimal or 0x-hex, 0..65535.
std::optional<std::uint16_t> wordText(const QString& text) {
    const EncodedValue v = encodeRegisters(RegisterType::U16, str(text));
    if (!v.error.empty())
        return std::nullopt;
    return v.words.front();
}

QTableWidget* table(QWidget* parent, std::initializer_list<const char*> headers) {
    auto* t = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    QStringList captions;
    for (const char* h : headers)
        captions << QString::fromUtf8(h);
    t->setHorizontalHeaderLabels(captions);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setWordWrap(false);
    t->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    return t;
}

} // namespace

RegisterMonitorDock::RegisterMonitorDock(LinkContext& link, QWidget* parent)
    : QDockWidget(QStringLiteral("Монитор регистров"), parent), monitor_(link) {
    setObjectName(QStringLiteral("registerMonitorDock"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);

    // The ranges.
    auto* rangesBox = new QGroupBox(QStringLiteral("Диапазоны"), body);
    auto* rangesLayout = new QVBoxLayout(rangesBox);
    ranges_ = table(rangesBox, {"Адрес", "Кол-во", "Тип"});
    // A few ranges in sight; the values below take the rest of the height.
    ranges_->setMaximumHeight(ranges_->verticalHeader()->defaultSectionSize() * 5);
    rangesLayout->addWidget(ranges_);
    auto* rangeButtons = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("Добавить"), rangesBox);
    auto* remove = new QPushButton(QStringLiteral("Удалить"), rangesBox);
    rangeButtons->addWidget(add);
    rangeButtons->addWidget(remove);
    rangeButtons->addStretch(1);
    rangesLayout->addLayout(rangeButtons);
    layout->addWidget(rangesBox);
    connect(add, &QPushButton::clicked, this, [this] { addRange({}); });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (ranges_->currentRow() >= 0)
            ranges_->removeRow(ranges_->currentRow());
    });

    // Reading.
    auto* readLine = new QHBoxLayout;
    read_ = new QPushButton(QStringLiteral("Прочитать"), body);
    cyclic_ = new QCheckBox(QStringLiteral("Циклически, период, мс"), body);
    period_ = new QSpinBox(body);
    period_->setRange(200, 60000);
    period_->setSingleStep(100);
    period_->setValue(kMonitorDefaultPeriodMs);
    readLine->addWidget(read_);
    readLine->addWidget(cyclic_);
    readLine->addWidget(period_);
    readLine->addStretch(1);
    layout->addLayout(readLine);
    problem_ = new QLabel(body);
    problem_->setWordWrap(true);
    layout->addWidget(problem_);
    connect(read_, &QPushButton::clicked, this, [this] { readOnce(); });
    connect(cyclic_, &QCheckBox::toggled, this, [this](bool on) { setCyclic(on); });

    // The values.
    values_ = table(body, {"Адрес", "Регистры", "Значение"});
    values_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    values_->setFont(fixedFont());
    const int digit = values_->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    values_->setColumnWidth(0, digit * 15);
    values_->setColumnWidth(1, digit * 16);
    values_->verticalHeader()->setDefaultSectionSize(values_->fontMetrics().height() + 6);
    layout->addWidget(values_, 1);

    // The write.
    auto* writeBox = new QGroupBox(QStringLiteral("Запись значения"), body);
    auto* writeForm = new QFormLayout(writeBox);
    writeAddress_ = new QLineEdit(writeBox);
    writeType_ = typeSelector(writeBox, RegisterType::U16);
    writeText_ = new QLineEdit(writeBox);
    write_ = new QPushButton(QStringLiteral("Записать"), writeBox);
    writeForm->addRow(QStringLiteral("Адрес"), writeAddress_);
    writeForm->addRow(QStringLiteral("Тип"), writeType_);
    writeForm->addRow(QStringLiteral("Значение"), writeText_);
    writeForm->addRow(write_);
    layout->addWidget(writeBox);
    connect(write_, &QPushButton::clicked, this, [this] { writeValue(); });

    setWidget(body);

    pollTimer_.setSingleShot(true);
    connect(&pollTimer_, &QTimer::timeout, this, [this] { cyclicTick(); });
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (!visible)
            cyclic_->setChecked(false);
    });
}

void RegisterMonitorDock::addRange(const MonitorRange& range) {
    const int row = ranges_->rowCount();
    ranges_->insertRow(row);
    ranges_->setItem(row, AddressColumn, new QTableWidgetItem(qs(formatHex16(range.start))));
    ranges_->setItem(row, CountColumn, new QTableWidgetItem(QString::number(range.count)));
    ranges_->setCellWidget(row, TypeColumn, typeSelector(ranges_, range.type));
}

bool RegisterMonitorDock::takeRanges() {
    std::vector<MonitorRange> taken;
    for (int row = 0; row < ranges_->rowCount(); ++row) {
        const QTableWidgetItem* start = ranges_->item(row, AddressColumn);
        const QTableWidgetItem* count = ranges_->item(row, CountColumn);
        const auto startWord = wordText(start ? start->text() : QString());
        const auto countWord = wordText(count ? count->text() : QString());
        if (!startWord || !countWord) {
            problem_->setText(QStringLiteral("Диапазон %1: адрес и число регистров - целые "
                                             "числа, например 4096 или 0x1000.")
                                  .arg(row + 1));
            return false;
        }
        const auto* type = qobject_cast<QComboBox*>(ranges_->cellWidget(row, TypeColumn));
        taken.push_back({*startWord, *countWord,
                         kRegisterTypes[static_cast<std::size_t>(type->currentIndex())].type});
    }
    monitor_.ranges = std::move(taken);
    const std::string problem = monitor_.rangesProblem();
    problem_->setText(qs(problem));
    return problem.empty();
}

void RegisterMonitorDock::poll(bool reportFailure) {
    if (!takeRanges()) {
        cyclic_->setChecked(false);
        return;
    }
    if (monitor_.poll(reportFailure) == RegisterMonitor::PollEnd::Polled)
        renderValues();
}

void RegisterMonitorDock::readOnce() {
    poll(true);
}

void RegisterMonitorDock::cyclicTick() {
    pollTimer_.stop();
    if (!cyclic_->isChecked())
        return;
    poll(false);
    if (cyclic_->isChecked())
        pollTimer_.start(period_->value());
}

void RegisterMonitorDock::setCyclic(bool on) {
    if (on)
        pollTimer_.start(0);
    else
        pollTimer_.stop();
}

void RegisterMonitorDock::renderValues() {
    const std::vector<MonitorRow>& rows = monitor_.rows();
    values_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const MonitorRow& row = rows[static_cast<std::size_t>(r)];
        const QString cells[] = {qs(registerAddressText(row.address)), qs(row.words),
                                 qs(row.value)};
        for (int c = 0; c < 3; ++c) {
            QTableWidgetItem* item = values_->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                values_->setItem(r, c, item);
            }
            item->setText(cells[c]);
            item->setBackground(row.failed ? QBrush(errorColour()) : QBrush());
            item->setForeground(row.failed ? QBrush(Qt::black) : QBrush());
        }
    }
}

void RegisterMonitorDock::writeValue() {
    const auto address = wordText(writeAddress_->text());
    if (!address) {
        problem_->setText(QStringLiteral("Адрес записи - целое число, например 4096 или 0x1000."));
        return;
    }
    problem_->clear();
    const RegisterType type =
        kRegisterTypes[static_cast<std::size_t>(writeType_->currentIndex())].type;
    const OperationOutcome outcome = monitor_.write(*address, type, str(writeText_->text()));
    // The value as the meter holds it now, when the ranges show it.
    if (outcome.end == OperationEnd::Succeeded && !monitor_.ranges.empty())
        poll(false);
}

} // namespace flowcfg
