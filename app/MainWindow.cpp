#include "app/MainWindow.h"

#include "app/ArchivePage.h"
#include "app/ConfigPageViews.h"
#include "app/MeasurePage.h"
#include "app/ProgramSettingsPage.h"
#include "link/LinkSettings.h"
#include "link/Ports.h"
#include "profiles/ProfileFile.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenuBar>
#include <QVBoxLayout>

namespace flowcfg {

namespace {

constexpr const char* kRecentProfile = "recent.prf";

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace

MainWindow::MainWindow(AppEnvironment env, QWidget* parent)
    : QMainWindow(parent), env_(std::move(env)), devices_(env_.devices, env_.pump, env_.clock),
      link_(devices_, env_.pump, env_.clock, env_.dialogs),
      tools_(ToolSettings::defaults(env_.workDir)), measure_(link_, image_),
      archive_(link_, image_, env_.workDir) {
    link_.settings.workDir = env_.workDir;

    auto* central = new QWidget(this);
    tree_ = std::make_unique<ScreenTree>(central);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(tree_->mainTabs());
    setCentralWidget(central);
    buildMenu();
    tree_->applyStartVisibility(false);

    measurePage_ = new MeasurePage(tree_->page(pages::measurement), measure_);
    programPage_ = new ProgramSettingsPage(tree_->page(pages::program), link_,
                                           [this] { measure_.stopPolling(); });

    QWidget* archiveContainer = tree_->page(pages::archive);
    auto* archiveLayout = new QVBoxLayout(archiveContainer);
    archiveLayout->setContentsMargins(0, 0, 0, 0);
    archivePage_ = new ArchivePage(archive_, archiveContainer);
    archiveLayout->addWidget(archivePage_);
    configViews_ = installConfigPages(*this);

    connect(tree_->mainTabs(), &QTabWidget::currentChanged, this,
            [this](int index) { onMainPageChanged(index); });

    // The poll re-arms itself after every tick, so a slow exchange stretches the period
    // instead of stacking ticks.
    pollTimer_.setSingleShot(true);
    pollTimer_.setInterval(kPollIntervalMs);
    connect(&pollTimer_, &QTimer::timeout, this, [this] { pollTick(); });

    resize(1100, 760);
}

MainWindow::~MainWindow() {
    pollTimer_.stop();
    // The pages refer to the panels and controllers held as members: they go first.
    delete configViews_;
    delete takeCentralWidget();
}

void MainWindow::buildMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
    loadProfile_ = file->addAction(QStringLiteral("Прочитать профиль настроек из файла"));
    saveProfile_ = file->addAction(QStringLiteral("Записать профиль настроек в файл"));
    connect(loadProfile_, &QAction::triggered, this, [this] { loadProfileFromFile(); });
    connect(saveProfile_, &QAction::triggered, this, [this] { saveProfileToFile(); });
}

void MainWindow::startUp() {
    env_.pump.processEvents();
    const std::filesystem::path recent = env_.workDir / kRecentProfile;

    link_.settings = readLinkSettings(env_.workDir);
    link_.timeouts = readTimeoutTable(env_.workDir);

    tools_ = ToolSettings::defaults(env_.workDir);
    loadProfile(recent, image_, tools_, env_.workDir);
    measure_.setLogSettings({tools_.IZM.write_file == 1, tools_.IZM.izm_file_name});

    programPage_->fillLists();
    for (const PageHooks& h : hooks_)
        if (h.fillLists)
            h.fillLists();
    programPage_->showLinkStatus();

    enumeratePorts(link_);
    programPage_->fillPortLists();
    openPortAtStartUp(link_);

    measure_.stopPolling();
    env_.pump.processEvents();

    measure_.refreshOutputsLamp();
    measurePage_->render();
    for (const PageHooks& h : hooks_)
        if (h.showImage)
            h.showImage();

    tree_->applyStartVisibility(tools_.TAB.ElClearTabEn == 1);
    selectProfilePages();
    applyTitle();

    pollTimer_.start();
}

bool MainWindow::shutDown() {
    if (shutDownDone_)
        return true;
    shutDownDone_ = true;
    pollTimer_.stop();

    std::string problems;
    tools_.TAB.ActivePageIndex4 = tree_->mainTabs()->currentIndex();
    tools_.TAB.ActivePageIndex5 = tree_->workTabs()->currentIndex();
    if (const ProfileResult r = saveProfile(env_.workDir / kRecentProfile, image_, tools_); !r.ok)
        problems += "recent.prf: " + r.message + "\n";
    std::string error;
    if (!writeLinkSettings(link_.settings, &error))
        problems += "dev.dat: " + error + "\n";
    if (problems.empty())
        return true;
    env_.dialogs.message("Предупреждение", "Не удалось сохранить настройки программы.\n" + problems,
                         DialogIcon::Warning);
    return false;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    shutDown();
    event->accept();
}

bool MainWindow::measurementPageShown() const {
    return tree_->mainTabs()->currentIndex() == 0;
}

void MainWindow::pollTick() {
    pollTimer_.stop();
    measure_.tick(measurementPageShown());
    measurePage_->render();
    pollTimer_.start(kPollIntervalMs);
}

void MainWindow::onMainPageChanged(int index) {
    measure_.pageChanged(index == 0);
    measurePage_->render();
}

void MainWindow::selectProfilePages() {
    const int main = tools_.TAB.ActivePageIndex4;
    if (main >= 0 && main < tree_->mainTabs()->count())
        tree_->mainTabs()->setCurrentIndex(main);
    const int work = tools_.TAB.ActivePageIndex5;
    if (work >= 0 && work < tree_->workTabs()->count()) {
        QTabWidget* tabs = tree_->workTabs();
        if (!tabs->isTabVisible(work))
            tabs->setTabVisible(work, true);
        tabs->setCurrentIndex(work);
    }
    tools_.TAB.ActivePageIndex4 = tree_->mainTabs()->currentIndex();
    tools_.TAB.ActivePageIndex5 = tree_->workTabs()->currentIndex();
}

void MainWindow::applyTitle() {
    setWindowTitle(qs(tools_.form_title));
}

void MainWindow::loadProfileFromFile() {
    const auto file = env_.dialogs.chooseOpenFile();
    if (!file)
        return;
    loadProfile(*file, image_, tools_, env_.workDir);
    measure_.setLogSettings({tools_.IZM.write_file == 1, tools_.IZM.izm_file_name});
    measure_.refreshOutputsLamp();
    measurePage_->render();
    // The pages show what the image now holds, so a later write of a page cannot put the
    // old screen values back over the loaded ones.
    for (const PageHooks& h : hooks_)
        if (h.showImage)
            h.showImage();
    selectProfilePages();
    applyTitle();
    programPage_->showLinkStatus();
}

void MainWindow::saveProfileToFile() {
    for (const PageHooks& h : hooks_)
        if (h.beforeSave && !h.beforeSave())
            return;
    const auto file = env_.dialogs.chooseSaveFile();
    if (!file)
        return;
    tools_.TAB.ActivePageIndex4 = tree_->mainTabs()->currentIndex();
    tools_.TAB.ActivePageIndex5 = tree_->workTabs()->currentIndex();
    if (const ProfileResult r = saveProfile(*file, image_, tools_); !r.ok)
        env_.dialogs.message("Ошибка", r.message, DialogIcon::Error);
}

} // namespace flowcfg
