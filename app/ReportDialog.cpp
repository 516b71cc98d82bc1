#include "app/ReportDialog.h"

#include "app/QtText.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace flowcfg {

ReportDialog::ReportDialog(const std::filesystem::path& dir, QWidget* parent) : QDialog(parent) {
    setWindowTitle(qs(kReportDialogTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Примечание к отчету:"), this));
    note_ = new QPlainTextEdit(this);
    layout->addWidget(note_);

    layout->addWidget(new QLabel(
        QStringLiteral("Файл отчета (PDF; HTML, если имя оканчивается на .html):"), this));
    auto* row = new QHBoxLayout;
    file_ = new QLineEdit(qs((dir / "report.pdf").string()), this);
    auto* browse = new QPushButton(QStringLiteral("Обзор…"), this);
    connect(browse, &QPushButton::clicked, this, [this] { this->browse(); });
    row->addWidget(file_);
    row->addWidget(browse);
    layout->addLayout(row);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Прочитать прибор и составить"),
                       QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(560, 360);
}

std::string ReportDialog::note() const {
    return str(note_->toPlainText());
}

std::string ReportDialog::file() const {
    return str(file_->text().trimmed());
}

void ReportDialog::browse() {
    const QString name =
        QFileDialog::getSaveFileName(this, qs(kReportDialogTitle), file_->text(),
                                     QStringLiteral("Отчет PDF (*.pdf);;Страница HTML (*.html)"),
                                     nullptr, QFileDialog::DontUseNativeDialog);
    if (!name.isEmpty())
        file_->setText(name);
}

} // namespace flowcfg
