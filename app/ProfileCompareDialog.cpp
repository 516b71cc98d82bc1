#include "app/ProfileCompareDialog.h"

#include "app/QtText.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

namespace flowcfg {

namespace {

enum Column { Chosen, Page, Caption, ProfileValue, MeterValue, ColumnCount };

QTableWidgetItem* textItem(const std::string& text) {
    auto* item = new QTableWidgetItem(qs(text));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

ProfileCompareDialog::ProfileCompareDialog(std::unique_ptr<ProfileComparison> comparison,
                                           ComparisonOutcome outcome,
                                           const std::string& profileName, QWidget* parent)
    : QDialog(parent), comparison_(std::move(comparison)), rows_(std::move(outcome.differences)),
      compared_(outcome.compared), profileName_(profileName) {
    setWindowTitle(qs(kCompareTitle));
    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    summary_->setWordWrap(true);
    summary_->setToolTip(qs(profileName_));
    layout->addWidget(summary_);

    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setHorizontalHeaderLabels({QString(), QStringLiteral("Страница"),
                                       QStringLiteral("Параметр"), QStringLiteral("Профиль"),
                                       QStringLiteral("Прибор")});
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_);

    auto* buttons = new QDialogButtonBox(this);
    write_ = buttons->addButton(qs(kWriteChosenCaption), QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Close);
    connect(write_, &QPushButton::clicked, this, [this] { writeChosen(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(table_, &QTableWidget::itemChanged, this,
            [this] { write_->setEnabled(!checkedRows().empty()); });
    layout->addWidget(buttons);

    fill();
    resize(900, 520);
}

ProfileCompareDialog::~ProfileCompareDialog() = default;

void ProfileCompareDialog::fill() {
    const QSignalBlocker quiet(table_);
    summary_->setText(qs("Профиль " + std::filesystem::path(profileName_).filename().string() +
                         ": различий " + std::to_string(rows_.size()) +
                         " (сравнено значений: " + std::to_string(compared_) + ")."));
    table_->setRowCount(static_cast<int>(rows_.size()));
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const Difference& d = rows_[i];
        const int row = static_cast<int>(i);
        auto* chosen = new QTableWidgetItem;
        if (d.writes.empty()) {
            chosen->setFlags(Qt::NoItemFlags);
            chosen->setToolTip(QStringLiteral("Это значение страницы не записывают"));
        } else {
            chosen->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            chosen->setCheckState(Qt::Unchecked);
        }
        table_->setItem(row, Chosen, chosen);
        table_->setItem(row, Page, textItem(d.page));
        table_->setItem(row, Caption, textItem(d.caption));
        table_->setItem(row, ProfileValue, textItem(d.profileText));
        table_->setItem(row, MeterValue, textItem(d.meterText));
    }
    table_->resizeColumnsToContents();
    write_->setEnabled(false);
}

std::vector<std::size_t> ProfileCompareDialog::checkedRows() const {
    std::vector<std::size_t> out;
    for (int row = 0; row < table_->rowCount(); ++row)
        if (const QTableWidgetItem* item = table_->item(row, Chosen);
            item != nullptr && item->checkState() == Qt::Checked &&
            !rows_[static_cast<std::size_t>(row)].writes.empty())
            out.push_back(static_cast<std::size_t>(row));
    return out;
}

void ProfileCompareDialog::writeChosen() {
    const std::vector<std::size_t> checked = checkedRows();
    if (checked.empty())
        return;
    std::vector<Difference> chosen;
    for (const std::size_t row : checked)
        chosen.push_back(rows_[row]);
    if (comparison_->writeChosen(chosen).end != OperationEnd::Succeeded)
        return; // the guard has said why
    for (auto it = checked.rbegin(); it != checked.rend(); ++it)
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(*it));
    fill();
}

} // namespace flowcfg
