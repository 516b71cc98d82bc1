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
#include "app/Translations.h"
#include "platform/PosixSerialPort.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPushButton>
#include <QStyleFactory>
#include <QTimer>
#include <filesystem>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("flowcfg"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    flowcfg::installQtTranslations(app);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Flowmeter service and configuration tool"));
    parser.addHelpOption();
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save a picture of the window and quit."),
                                        QStringLiteral("file"));
    const QCommandLineOption delay(QStringLiteral("screenshot-delay"),
                                   QStringLiteral("Seconds before the picture (default 5)."),
                                   QStringLiteral("seconds"), QStringLiteral("5"));
    const QCommandLineOption polling(QStringLiteral("start-polling"),
                                     QStringLiteral("Start the cyclic measurement read."));
    const QCommandLineOption page(QStringLiteral("page"),
                                  QStringLiteral("Show main page N after start-up."),
                                  QStringLiteral("N"));
    parser.addOptions({screenshot, delay, polling, page});
    parser.process(app);

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

    if (parser.isSet(page))
        window.tree().mainTabs()->setCurrentIndex(parser.value(page).toInt());
    if (parser.isSet(polling))
        window.measurePage().cyclicButton()->click();
    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        const int ms = static_cast<int>(parser.value(delay).toDouble() * 1000);
        QTimer::singleShot(ms, &window, [&window, file] {
            window.grab().save(file);
            window.close();
        });
    }
    return QApplication::exec();
}
