#include "app/WholeConfigPanel.h"

#include "app/ProfileCompareDialog.h"
#include "app/QtText.h"
#include "app/ReportDialog.h"
#include "app/ScreenTree.h"
#include "link/Outcome.h"
#include "profiles/ProfileFile.h"
#include "report/CommissioningReport.h"
#include "report/ReportFile.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace flowcfg {

WholeConfigPanel::WholeConfigPanel(ConfigPages& pages, ScreenTree& tree, Actions actions,
                                   QObject* parent)
    : QObject(parent), pages_(pages), whole_(pages), actions_(std::move(actions)) {
    whole_.progress = [this](const SequenceProgress& p) { paint(p); };
    whole_.linkStatusChanged = [this] {
        if (actions_.linkStatusChanged)
            actions_.linkStatusChanged();
    };

    // The buttons below the summary tabs of the page.
    QWidget* page = tree.page(pages::allSettings);
    auto* row = new QWidget(page);
    auto* buttons = new QHBoxLayout(row);
    buttons->setContentsMargins(0, 4, 0, 0);
    const std::pair<std::string_view, void (WholeConfigPanel::*)()> kButtons[] = {
        {kLoadFileCaption, &WholeConfigPanel::loadFile},
        {kSaveFileCaption, &WholeConfigPanel::saveFile},
        {kReadAllCaption, &WholeConfigPanel::readAll},
        {kWriteAllCaption, &WholeConfigPanel::writeAll},
    };
    for (const auto& [text, action] : kButtons) {
        auto* b = new QPushButton(qs(text), row);
        connect(b, &QPushButton::clicked, this, [this, action = action] { (this->*action)(); });
        buttons->addWidget(b);
        buttons_.push_back(b);
    }
    buttons->addStretch();
    page->layout()->addWidget(row);

    panel_ = new QFrame;
    panel_->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(panel_);
    caption_ = new QLabel(panel_);
    caption_->setAlignment(Qt::AlignCenter);
    bar_ = new QProgressBar(panel_);
    bar_->setTextVisible(false);
    layout->addWidget(caption_);
    layout->addWidget(bar_);
    panel_->hide();
}

QPushButton* WholeConfigPanel::button(std::string_view caption) const {
    for (QPushButton* b : buttons_)
        if (b->text() == qs(caption))
            return b;
    return nullptr;
}

bool WholeConfigPanel::busy() const {
    return pages_.link().exchanging != 0;
}

void WholeConfigPanel::paint(const SequenceProgress& p) {
    caption_->setText(qs(p.caption));
    bar_->setRange(0, p.steps);
    bar_->setValue(p.done);
    panel_->setVisible(p.shown);
    panel_->repaint(); // the steps come between exchanges: paint now, not at the next idle
}

void WholeConfigPanel::readAll() {
    if (!busy())
        whole_.readAll();
}

void WholeConfigPanel::writeAll() {
    if (!busy())
        whole_.writeAll();
}

void WholeConfigPanel::loadFile() {
    if (!busy() && actions_.loadFile && actions_.loadFile())
        showSuccess(pages_.link().dialogs, kLoadedFromFile);
}

void WholeConfigPanel::saveFile() {
    if (!busy() && actions_.saveFile && actions_.saveFile())
        showSuccess(pages_.link().dialogs, kSavedToFile);
}

ProfileCompareDialog* WholeConfigPanel::compareDialog() const {
    return compareDialog_;
}

void WholeConfigPanel::compareWithProfile() {
    if (busy())
        return;
    LinkContext& link = pages_.link();
    const auto file = link.dialogs.chooseOpenFile();
    if (!file)
        return;
    DeviceImage profile;
    ToolSettings tools = ToolSettings::defaults(link.settings.workDir);
    CarriedKeys carried;
    if (const ProfileResult r =
            readProfileUntouched(*file, profile, tools, link.settings.workDir, &carried);
        !r.ok) {
        link.dialogs.message("Ошибка", "Профиль " + *file + ": " + r.message, DialogIcon::Error);
        return;
    }
    auto comparison = std::make_unique<ProfileComparison>(link, profile, std::move(carried));
    comparison->progress = [this](const SequenceProgress& p) { paint(p); };
    ComparisonOutcome outcome = comparison->run();
    if (outcome.end != OperationEnd::Succeeded)
        return; // the read has said why
    if (outcome.differences.empty()) {
        showSuccess(link.dialogs, kProfileMatches);
        return;
    }
    if (compareDialog_)
        compareDialog_->close();
    compareDialog_ = new ProfileCompareDialog(std::move(comparison), std::move(outcome), *file,
                                              panel_->window());
    compareDialog_->setAttribute(Qt::WA_DeleteOnClose);
    compareDialog_->open();
}

void WholeConfigPanel::makeReport() {
    if (busy())
        return;
    LinkContext& link = pages_.link();
    ReportDialog ask(link.settings.workDir, panel_->window());
    if (ask.exec() != QDialog::Accepted)
        return;
    CommissioningReport report(link);
    report.progress = [this](const SequenceProgress& p) { paint(p); };
    const ReportOutcome out = report.gather(ask.note());
    if (out.end != OperationEnd::Succeeded)
        return; // the read has said why
    if (const std::string why = saveReport(reportHtml(out.content), ask.file()); !why.empty()) {
        link.dialogs.message("Ошибка", why, DialogIcon::Error);
        return;
    }
    showSuccess(link.dialogs, "Отчет о настройке сохранен: " + ask.file());
}

} // namespace flowcfg
