// flowcfg: the service and configuration window.
//
//   flowcfg                       run in the current directory (settings files and logs there)
//   flowcfg --screenshot FILE     also save a picture of the window to FILE after
//           [--screenshot-delay S]  S seconds (default 5) and quit; used for the README
//           [--start-polling]       start the cyclic measurement read at once
//           [--page N]              show main page N (0 ИЗМЕРЕНИЕ, 1 НАСТРОЙКИ РАБОТЫ,
//                                   2 НАСТРОЙКИ ПРОГРАММЫ)

#include "app/AppCore.h"
#include "app/MainWindow.h"
#include "app/MeasurePage.h"
#include "app/QtDialogs.h"
#include "app/QtEventPump.h"
#include "app/StartOptions.h"
#include "app/Translations.h"
#include "config/ScreenPaths.h"
#include "platform/PosixSerialPort.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPushButton>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>
#include <filesystem>

int main(int argc, char* argv[]) {
    const int pageCount = static_cast<int>(flowcfg::screenTree().size());
    {
        // Help and option values that cannot be used need no display.
        QCoreApplication plain(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("flowcfg"));
        if (const auto exitCode =
                flowcfg::readStartOptionsEarly(QCoreApplication::arguments(), pageCount))
            return *exitCode;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("flowcfg"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    flowcfg::installQtTranslations(app);

    QCommandLineParser parser;
    flowcfg::addStartOptions(parser);
    parser.process(app);
    const flowcfg::TakenOptions taken = flowcfg::takeStartOptions(parser, pageCount);
    if (!taken.error.isEmpty()) {
        std::fprintf(stderr, "flowcfg: %s\n", qPrintable(taken.error));
        return 1;
    }
    const flowcfg::StartOptions& options = taken.options;

    flowcfg::PosixSerialDevices devices;
    flowcfg::SystemClock clock;
    flowcfg::QtDialogs dialogs;
    flowcfg::QtEventPump pump;
    // The core outlives the window: the pages refer to it until they are gone.
    flowcfg::AppCore core({devices, clock, dialogs, pump, std::filesystem::current_path()});
    flowcfg::MainWindow window(core);
    dialogs.setParent(&window);
    window.show();
    window.startUp();

    if (options.page)
        window.tree().mainTabs()->setCurrentIndex(*options.page);
    if (options.startPolling)
        window.measurePage().cyclicButton()->click();
    bool pictureSaved = true;
    if (!options.screenshot.isEmpty()) {
        const QString file = options.screenshot;
        QTimer::singleShot(options.screenshotDelayMs, &window, [&window, &pictureSaved, file] {
            pictureSaved = window.grab().save(file);
            if (!pictureSaved)
                std::fprintf(stderr,
                             "flowcfg: --screenshot: the picture could not be saved to %s\n",
                             qPrintable(file));
            window.close();
        });
    }
    const int exitCode = QApplication::exec();
    return pictureSaved ? exitCode : 1;
}
