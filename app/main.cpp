// flowcfg: the service and configuration window.

#include "app/MainWindow.h"
#include "app/QtDialogs.h"
#include "app/QtEventPump.h"
#include "platform/PosixSerialPort.h"

#include <QApplication>
#include <QStyleFactory>
#include <filesystem>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    flowcfg::PosixSerialDevices devices;
    flowcfg::SystemClock clock;
    flowcfg::QtDialogs dialogs;
    flowcfg::QtEventPump pump;
    flowcfg::MainWindow window({devices, clock, dialogs, pump, std::filesystem::current_path()});
    dialogs.setParent(&window);
    window.show();
    return QApplication::exec();
}
