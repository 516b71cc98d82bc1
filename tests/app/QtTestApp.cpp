#include "QtTestApp.h"

#include "app/Translations.h"

#include <QApplication>
#include <QInputDevice>
#include <QPointingDevice>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <unistd.h>

namespace flowcfg::test {

namespace {

std::mutex warningsMutex;
std::vector<std::string> warnings;
QtMessageHandler qtDefault = nullptr;

void recordWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg) {
        const std::lock_guard lock(warningsMutex);
        warnings.push_back(text.toStdString());
    }
    if (qtDefault)
        qtDefault(type, context, text);
}

} // namespace

void ensureQtApp() {
    if (QApplication::instance())
        return;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Qt warns when the session has no runtime directory (root in CI): give it a private
    // one, the same for every test run of this user.
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        const auto runtime = std::filesystem::temp_directory_path() /
                             ("flowcfg-qt-runtime-" + std::to_string(getuid()));
        std::filesystem::create_directory(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 0);
    }
    qtDefault = qInstallMessageHandler(recordWarnings);
    static int argc = 1;
    static char name[] = "flowcfg-test";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    installQtTranslations(app);
}

void releaseInputDevices() {
    delete const_cast<QInputDevice*>(QInputDevice::primaryKeyboard());
    delete const_cast<QPointingDevice*>(QPointingDevice::primaryPointingDevice());
}

std::vector<std::string> takeQtWarnings() {
    const std::lock_guard lock(warningsMutex);
    return std::exchange(warnings, {});
}

} // namespace flowcfg::test
