#include "app/QtDialogs.h"

#include "app/QtText.h"
#include "profiles/ProfileFile.h"

#include <QFileDialog>
#include <QMessageBox>

namespace flowcfg {

namespace {

QMessageBox::Icon qtIcon(DialogIcon icon) {
    switch (icon) {
    case DialogIcon::Information:
        return QMessageBox::Information;
    case DialogIcon::Warning:
    case DialogIcon::Exclamation:
        return QMessageBox::Warning;
    case DialogIcon::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void QtDialogs::message(const std::string& caption, const std::string& text, DialogIcon icon) {
    QMessageBox box(qtIcon(icon), qs(caption), qs(text), QMessageBox::Ok, parent_);
    box.exec();
}

bool QtDialogs::askYesNo(const std::string& caption, const std::string& text, DialogIcon icon,
                         DefaultAnswer byDefault) {
    QMessageBox box(qtIcon(icon), qs(caption), qs(text), QMessageBox::Yes | QMessageBox::No,
                    parent_);
    box.setDefaultButton(byDefault == DefaultAnswer::No ? QMessageBox::No : QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtDialogs::chooseOpenFile() {
    const QString name = QFileDialog::getOpenFileName(parent_, QString(), QString(),
                                                      QString::fromUtf8(kQtProfileFilter));
    if (name.isEmpty())
        return std::nullopt;
    return name.toStdString();
}

std::optional<std::string> QtDialogs::chooseSaveFile() {
    const QString filter = QString::fromUtf8(kQtProfileFilter);
    const QString first = filter.section(QStringLiteral(";;"), 0, 0);
    QString selected = first;
    // The native dialog would add its own suffix; the rule below is the only one applied.
    const QString name = QFileDialog::getSaveFileName(parent_, QString(), QString(), filter,
                                                      &selected, QFileDialog::DontUseNativeDialog);
    if (name.isEmpty())
        return std::nullopt;
    return applySaveDialogRule(name.toStdString(), selected == first ? 0 : 1);
}

std::optional<std::string> QtDialogs::chooseSaveFileOf(std::string_view kind,
                                                       std::string_view suffix) {
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(
        {QStringLiteral("%1 (*.%2)").arg(qs(kind), qs(suffix)), QStringLiteral("Все файлы (*)")});
    dialog.setDefaultSuffix(qs(suffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return str(dialog.selectedFiles().front());
}

} // namespace flowcfg
