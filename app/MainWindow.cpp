#include "app/MainWindow.h"

#include "app/ArchivePage.h"
#include "app/ConfigPageViews.h"
#include "app/ExchangeDock.h"
#include "app/MeasurePage.h"
#include "app/ProgramSettingsPage.h"
#include "app/QtText.h"
#include "app/RegisterMonitorDock.h"
#include "app/ScanDialog.h"
#include "app/WholeConfigPanel.h"
#include "config/DeviceServicePages.h"
#include "link/LinkSettings.h"
#include "link/Ports.h"
#include "profiles/ProfileFile.h"

#include <QCloseEvent>
#include <QFrame>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace flowcfg {

namespace {

constexpr const char* kRecentProfile = "recent.prf";
// How long a progress text stays in the status bar.
constexpr int kProgressShownMs = 5000;

} // namespace

MainWindow::MainWindow(AppCore& core, QWidget* parent) : QMainWindow(parent), core_(core) {
    auto* central = new QWidget(this);
    tree_ = std::make_unique<ScreenTree>(central);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(tree_->mainTabs());
    setCentralWidget(central);
    exchangeDock_ = new ExchangeDock(core_.link(), this);
    addDockWidget(Qt::BottomDockWidgetArea, exchangeDock_);
    exchangeDock_->hide();
    monitorDock_ = new RegisterMonitorDock(core_.link(), this);
    addDockWidget(Qt::RightDockWidgetArea, monitorDock_);
    monitorDock_->hide();
    setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea); // the monitor's full height
    buildMenu();
    tree_->applyStartVisibility(false);

    measurePage_ = new MeasurePage(core_.measure());
    tree_->mount(pages::measurement, measurePage_);
    programPage_ = new ProgramSettingsPage(core_.link(), [this] { core_.measure().stopPolling(); });
    tree_->mount(pages::program, programPage_);
    archivePage_ = new ArchivePage(core_.archive());
    tree_->mount(pages::archive, archivePage_);
    configViews_ = new ConfigPageViews(core_.config(), *tree_, this);
    whole_ = new WholeConfigPanel(core_.config(), *tree_,
                                  {[this] { return loadProfileFromFile(); },
                                   [this] { return saveProfileToFile(); },
                                   [this] { programPage_->showLinkStatus(); }},
                                  this);
    layout->addWidget(whole_->progressPanel());
    // A page rule moved the link (the network write): the selectors and the status line follow.
    core_.config().linkChanged = [this] { programPage_->showLinkStatus(); };
    core_.config().progress = [this](std::string_view text) {
        statusBar()->showMessage(qs(text), kProgressShownMs);
    };

    connect(programPage_->scanButton(), &QPushButton::clicked, this, [this] { openScan(); });

    connect(tree_->mainTabs(), &QTabWidget::currentChanged, this,
            [this](int index) { onMainPageChanged(index); });

    // The poll re-arms itself after every tick, so a slow exchange stretches the period
    // instead of stacking ticks.
    pollTimer_.setSingleShot(true);
    pollTimer_.setInterval(kPollIntervalMs);
    connect(&pollTimer_, &QTimer::timeout, this, [this] { pollTick(); });

    resize(kWindowWidth, kWindowHeight);
}

MainWindow::~MainWindow() {
    core_.config().linkChanged = nullptr;
    core_.config().progress = nullptr;
}

void MainWindow::buildMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
    loadProfile_ = file->addAction(QStringLiteral("Прочитать профиль настроек из файла"));
    saveProfile_ = file->addAction(QStringLiteral("Записать профиль настроек в файл"));
    connect(loadProfile_, &QAction::triggered, this, [this] { loadProfileFromFile(); });
    connect(saveProfile_, &QAction::triggered, this, [this] { saveProfileToFile(); });
    // The tab with the whole-configuration buttons is hidden: the menu reaches them too.
    file->addSeparator();
    readAll_ = file->addAction(QStringLiteral("Прочитать все настройки из прибора"));
    writeAll_ = file->addAction(QStringLiteral("Записать все настройки в прибор"));
    connect(readAll_, &QAction::triggered, this, [this] { whole_->readAll(); });
    connect(writeAll_, &QAction::triggered, this, [this] { whole_->writeAll(); });
    compareProfile_ = file->addAction(QStringLiteral("Сравнить с профилем…"));
    report_ = file->addAction(QStringLiteral("Отчет о настройке…"));
    connect(compareProfile_, &QAction::triggered, this, [this] { whole_->compareWithProfile(); });
    connect(report_, &QAction::triggered, this, [this] { whole_->makeReport(); });
    QMenu* view = menuBar()->addMenu(QStringLiteral("Вид"));
    servicePages_ = view->addAction(QStringLiteral("Служебные страницы"));
    servicePages_->setCheckable(true);
    connect(servicePages_, &QAction::toggled, this, [this](bool on) { showServicePages(on); });
    view->addSeparator();
    view->addAction(exchangeDock_->toggleViewAction());
    view->addAction(monitorDock_->toggleViewAction());
}

void MainWindow::showServicePages(bool on) {
    core_.tools().TAB.ServicePagesEn = on ? 1 : 0;
    tree_->setServiceTabsVisible(on);
}

void MainWindow::startUp() {
    AppEnvironment& env = core_.env();
    LinkContext& link = core_.link();
    ToolSettings& tools = core_.tools();
    env.pump.processEvents();
    const std::filesystem::path recent = env.workDir / kRecentProfile;

    link.settings = readLinkSettings(env.workDir);
    link.timeouts = readTimeoutTable(env.workDir);

    tools = ToolSettings::defaults(env.workDir);
    loadProfile(recent, core_.image(), tools, env.workDir);
    core_.measure().setLogSettings({tools.IZM.write_file == 1, tools.IZM.izm_file_name});

    programPage_->fillLists();
    programPage_->showLinkStatus();

    enumeratePorts(link);
    programPage_->fillPortLists();
    openPortAtStartUp(link);

    core_.measure().stopPolling();
    env.pump.processEvents();
    showImage();

    tree_->applyStartVisibility(tools.TAB.ElClearTabEn == 1);
    servicePages_->setChecked(tools.TAB.ServicePagesEn == 1);
    selectProfilePages();
    applyTitle();

    pollTimer_.start();
}

// Every page from the image and the program settings (start-up, a loaded profile).
void MainWindow::showImage() {
    core_.measure().refreshOutputsLamp();
    measurePage_->render();
    ConfigPages& config = core_.config();
    config.showAll();
    // The date selectors of "СЛУЖЕБНЫЕ ПАР." start on today.
    chooseServiceDate(config, core_.env().clock.now());
    configViews_->renderAll();
}

bool MainWindow::shutDown() {
    if (shutDownDone_)
        return true;
    shutDownDone_ = true;
    pollTimer_.stop();

    const AppEnvironment& env = core_.env();
    std::string problems;
    keepPageSelection();
    if (const ProfileResult r =
            saveProfile(env.workDir / kRecentProfile, core_.image(), core_.tools());
        !r.ok)
        problems += "recent.prf: " + r.message + "\n";
    std::string error;
    if (!writeLinkSettings(core_.link().settings, &error))
        problems += "dev.dat: " + error + "\n";
    if (problems.empty())
        return true;
    env.dialogs.message("Предупреждение", "Не удалось сохранить настройки программы.\n" + problems,
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
    core_.measure().tick(measurementPageShown());
    measurePage_->render();
    pollTimer_.start(kPollIntervalMs);
}

void MainWindow::onMainPageChanged(int index) {
    core_.measure().pageChanged(index == 0);
    measurePage_->render();
}

void MainWindow::selectProfilePages() {
    const ToolSettings& tools = core_.tools();
    tree_->select("", tools.TAB.ActivePageIndex4);
    tree_->select(pages::work, tools.TAB.ActivePageIndex5);
    keepPageSelection();
}

// The selected pages as the profile keeps them.
void MainWindow::keepPageSelection() {
    core_.tools().TAB.ActivePageIndex4 = tree_->currentIndex("");
    core_.tools().TAB.ActivePageIndex5 = tree_->currentIndex(pages::work);
}

void MainWindow::applyTitle() {
    setWindowTitle(qs(core_.tools().form_title));
}

ScanDialog& MainWindow::openScan() {
    if (scan_ == nullptr) {
        scan_ = new ScanDialog(
            core_.link(), core_.tools().Seach,
            {[this] { core_.measure().stopPolling(); }, [this] { programPage_->showLinkStatus(); }},
            this);
        scan_->setModal(true);
    }
    scan_->showChoices(); // a profile loaded since may have other choices
    scan_->show();
    return *scan_;
}

bool MainWindow::loadProfileFromFile() {
    AppEnvironment& env = core_.env();
    const auto file = env.dialogs.chooseOpenFile();
    if (!file)
        return false;
    ToolSettings& tools = core_.tools();
    loadProfile(*file, core_.image(), tools, env.workDir);
    core_.measure().setLogSettings({tools.IZM.write_file == 1, tools.IZM.izm_file_name});
    // The pages show what the image now holds, so a later write of a page cannot put the
    // old screen values back over the loaded ones.
    showImage();
    selectProfilePages();
    applyTitle();
    programPage_->showLinkStatus();
    return true;
}

bool MainWindow::saveProfileToFile() {
    AppEnvironment& env = core_.env();
    // The service entries go into the profile as the pages show them; one that does not parse
    // abandons the save after its message.
    configViews_->collectAll();
    if (!takeServiceEntries(core_.config()))
        return false;
    const auto file = env.dialogs.chooseSaveFile();
    if (!file)
        return false;
    keepPageSelection();
    if (const ProfileResult r = saveProfile(*file, core_.image(), core_.tools()); !r.ok) {
        env.dialogs.message("Ошибка", r.message, DialogIcon::Error);
        return false;
    }
    return true;
}

} // namespace flowcfg
