#include "app/MainWindow.h"

#include <QMenuBar>
#include <QVBoxLayout>

namespace flowcfg {

MainWindow::MainWindow(AppEnvironment env, QWidget* parent)
    : QMainWindow(parent), env_(std::move(env)) {
    auto* central = new QWidget(this);
    tree_ = std::make_unique<ScreenTree>(central);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(tree_->mainTabs());
    setCentralWidget(central);
    buildMenu();
    tree_->applyStartVisibility(false);
    resize(1024, 720);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
    loadProfile_ = file->addAction(QStringLiteral("Прочитать профиль настроек из файла"));
    saveProfile_ = file->addAction(QStringLiteral("Записать профиль настроек в файл"));
}

} // namespace flowcfg
