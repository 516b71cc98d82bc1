#pragma once
// The main window: the screen tree, the "Файл" menu, the timers that do work, start-up and
// exit. It owns the link context, the device image and the program's own settings, and hands
// them to the pages.
//
// Construct, let the page views plug into pageContainer(), then startUp(). Closing the
// window runs shutDown() once.

#include "app/AppEnvironment.h"
#include "app/ResponsiveSerialDevices.h"
#include "app/ScreenTree.h"
#include "archive/ArchiveController.h"
#include "link/LinkContext.h"
#include "measure/MeasurePanel.h"
#include "model/DeviceImage.h"
#include "profiles/ToolSettings.h"

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class QAction;

namespace flowcfg {

class ArchivePage;
class ConfigPageViews;
class MeasurePage;
class ProgramSettingsPage;

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(AppEnvironment env, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Reads the settings files and the recent profile, fills and shows every screen, opens
    // the port and starts the poll timer.
    void startUp();
    // Saves the recent profile, then dev.dat. Returns false when either could not be
    // written (a warning box says which and why). Runs once; later calls return true.
    bool shutDown();

    ScreenTree& tree() { return *tree_; }
    // The container of the page at path ("НАСТРОЙКИ РАБОТЫ/ВЫХОД 1"): an empty QWidget that
    // the page's own view fills with a layout. nullptr for an unknown path.
    QWidget* pageContainer(std::string_view path) const { return tree_->page(path); }

    // Hooks of the pages plugged in from outside, run at start-up: fill their lists
    // (before the link settings are shown) and show the device image (after the port is
    // open). showImage also runs after a profile was loaded from the menu. beforeSave runs
    // before "Записать профиль настроек в файл" asks for a file: it takes the page's
    // entries that the profile keeps and returns false (after its own messages) to abandon
    // the save.
    struct PageHooks {
        std::function<void()> fillLists;
        std::function<void()> showImage;
        std::function<bool()> beforeSave;
    };
    void addPageHooks(PageHooks hooks) { hooks_.push_back(std::move(hooks)); }

    LinkContext& link() { return link_; }
    DeviceImage& image() { return image_; }
    ToolSettings& toolSettings() { return tools_; }
    MeasurePanel& measurePanel() { return measure_; }
    MeasurePage& measurePage() { return *measurePage_; }
    ProgramSettingsPage& programPage() { return *programPage_; }
    ArchiveController& archiveController() { return archive_; }
    ArchivePage& archivePage() { return *archivePage_; }
    ConfigPageViews& configViews() { return *configViews_; }
    QTimer& pollTimer() { return pollTimer_; }

    QAction* loadProfileAction() const { return loadProfile_; }
    QAction* saveProfileAction() const { return saveProfile_; }

    // "Прочитать профиль настроек из файла" and "Записать профиль настроек в файл".
    void loadProfileFromFile();
    void saveProfileToFile();
    // One tick of the 1000 ms measurement poll (the timer's handler).
    void pollTick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void onMainPageChanged(int index);
    void selectProfilePages();
    void applyTitle();
    bool measurementPageShown() const;

    AppEnvironment env_;
    ResponsiveSerialDevices devices_; // the environment's devices, events run while reading
    LinkContext link_;
    DeviceImage image_;
    ToolSettings tools_;
    MeasurePanel measure_;
    ArchiveController archive_;
    std::unique_ptr<ScreenTree> tree_;
    MeasurePage* measurePage_ = nullptr; // owned by its page
    ProgramSettingsPage* programPage_ = nullptr;
    ArchivePage* archivePage_ = nullptr;
    ConfigPageViews* configViews_ = nullptr;
    std::vector<PageHooks> hooks_;
    QTimer pollTimer_;
    QAction* loadProfile_ = nullptr;
    QAction* saveProfile_ = nullptr;
    bool shutDownDone_ = false;
};

// The measurement poll's period.
inline constexpr int kPollIntervalMs = 1000;

} // namespace flowcfg
