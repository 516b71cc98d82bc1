#pragma once
// The main window: the screen tree, the "Файл" menu, the timers that do work, start-up and
// exit. It owns the link context, the device image and the program's own settings, and hands
// them to the pages.

#include "app/AppEnvironment.h"
#include "app/ScreenTree.h"

#include <QMainWindow>
#include <memory>
#include <string_view>

class QAction;

namespace flowcfg {

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(AppEnvironment env, QWidget* parent = nullptr);
    ~MainWindow() override;

    ScreenTree& tree() { return *tree_; }
    // The container of the page at path ("НАСТРОЙКИ РАБОТЫ/ВЫХОД 1"): an empty QWidget that
    // the page's own view fills with a layout. nullptr for an unknown path.
    QWidget* pageContainer(std::string_view path) const { return tree_->page(path); }

    QAction* loadProfileAction() const { return loadProfile_; }
    QAction* saveProfileAction() const { return saveProfile_; }

private:
    void buildMenu();

    AppEnvironment env_;
    std::unique_ptr<ScreenTree> tree_;
    QAction* loadProfile_ = nullptr;
    QAction* saveProfile_ = nullptr;
};

} // namespace flowcfg
