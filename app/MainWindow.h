#pragma once
// The main window: the screen tree with every page mounted in it, the "Файл" menu, the poll
// timer, start-up and exit. The core objects it shows (link, image, settings, panels,
// configuration pages) belong to an AppCore that outlives it.
//
//   AppCore core(env);
//   MainWindow window(core);
//   window.startUp();
// Closing the window runs shutDown() once.

#include "app/AppCore.h"
#include "app/ScreenTree.h"

#include <QMainWindow>
#include <QTimer>
#include <memory>
#include <string_view>

class QAction;

namespace flowcfg {

class ArchivePage;
class ConfigPageViews;
class ExchangeDock;
class MeasurePage;
class ProgramSettingsPage;
class RegisterMonitorDock;
class ScanDialog;
class WholeConfigPanel;

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(AppCore& core, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Reads the settings files and the recent profile, fills and shows every screen, opens
    // the port and starts the poll timer.
    void startUp();
    // Saves the recent profile, then dev.dat. Returns false when either could not be
    // written (a warning box says which and why). Runs once; later calls return true.
    bool shutDown();

    ScreenTree& tree() { return *tree_; }
    // The container of the page at path ("НАСТРОЙКИ РАБОТЫ/ВЫХОД 1"); nullptr for an unknown
    // path.
    QWidget* pageContainer(std::string_view path) const { return tree_->page(path); }

    AppCore& core() { return core_; }
    LinkContext& link() { return core_.link(); }
    DeviceImage& image() { return core_.image(); }
    ToolSettings& toolSettings() { return core_.tools(); }
    MeasurePanel& measurePanel() { return core_.measure(); }
    ArchiveController& archiveController() { return core_.archive(); }
    MeasurePage& measurePage() { return *measurePage_; }
    ProgramSettingsPage& programPage() { return *programPage_; }
    ArchivePage& archivePage() { return *archivePage_; }
    ConfigPageViews& configViews() { return *configViews_; }
    WholeConfigPanel& wholeConfig() { return *whole_; }
    QTimer& pollTimer() { return pollTimer_; }
    // "Вид" > "Обмен с прибором" and "Монитор регистров": docks, hidden at start.
    ExchangeDock& exchangeDock() { return *exchangeDock_; }
    RegisterMonitorDock& monitorDock() { return *monitorDock_; }

    QAction* loadProfileAction() const { return loadProfile_; }
    QAction* saveProfileAction() const { return saveProfile_; }
    QAction* readAllAction() const { return readAll_; }
    QAction* writeAllAction() const { return writeAll_; }
    QAction* compareProfileAction() const { return compareProfile_; }
    QAction* reportAction() const { return report_; }
    // "Вид" > "Служебные страницы": checkable, remembered in recent.prf.
    QAction* servicePagesAction() const { return servicePages_; }

    // "Прочитать профиль настроек из файла" and "Записать профиль настроек в файл"; false
    // when the dialog was cancelled or the file could not be written.
    bool loadProfileFromFile();
    bool saveProfileToFile();
    // One tick of the 1000 ms measurement poll (the timer's handler).
    void pollTick();
    // "Поиск прибора...": shows the scan dialog (made on first use, then kept).
    ScanDialog& openScan();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void onMainPageChanged(int index);
    void showImage();
    void showServicePages(bool on);
    void selectProfilePages();
    void keepPageSelection();
    void applyTitle();
    bool measurementPageShown() const;

    AppCore& core_;
    std::unique_ptr<ScreenTree> tree_;
    // The pages, owned by their containers in the tree.
    MeasurePage* measurePage_ = nullptr;
    ProgramSettingsPage* programPage_ = nullptr;
    ArchivePage* archivePage_ = nullptr;
    ConfigPageViews* configViews_ = nullptr;
    WholeConfigPanel* whole_ = nullptr;
    ExchangeDock* exchangeDock_ = nullptr;
    RegisterMonitorDock* monitorDock_ = nullptr;
    ScanDialog* scan_ = nullptr;
    QTimer pollTimer_;
    QAction* loadProfile_ = nullptr;
    QAction* saveProfile_ = nullptr;
    QAction* readAll_ = nullptr;  // the whole configuration from the meter
    QAction* writeAll_ = nullptr; // and into it
    QAction* compareProfile_ = nullptr;
    QAction* report_ = nullptr;
    QAction* servicePages_ = nullptr;
    bool shutDownDone_ = false;
};

// The measurement poll's period.
inline constexpr int kPollIntervalMs = 1000;
// The size the window opens with.
inline constexpr int kWindowWidth = 1100;
inline constexpr int kWindowHeight = 760;

} // namespace flowcfg
