#include "app/StartOptions.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

namespace flowcfg {

namespace {

const QString kScreenshot = QStringLiteral("screenshot");
const QString kDelay = QStringLiteral("screenshot-delay");
const QString kPolling = QStringLiteral("start-polling");
const QString kPage = QStringLiteral("page");
constexpr double kLongestDelaySec = 3600;

} // namespace

void addStartOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral("Flowmeter service and configuration tool"));
    parser.addHelpOption();
    parser.addOptions({
        {kScreenshot, QStringLiteral("Save a picture of the window and quit."),
         QStringLiteral("file")},
        {kDelay, QStringLiteral("Seconds before the picture (default 5)."),
         QStringLiteral("seconds"), QStringLiteral("5")},
        {kPolling, QStringLiteral("Start the cyclic measurement read.")},
        {kPage, QStringLiteral("Show main page N after start-up (0 first)."), QStringLiteral("N")},
    });
}

TakenOptions takeStartOptions(const QCommandLineParser& parser, int pageCount) {
    TakenOptions taken;
    StartOptions& o = taken.options;
    o.startPolling = parser.isSet(kPolling);
    if (parser.isSet(kPage)) {
        bool ok = false;
        const int page = parser.value(kPage).toInt(&ok);
        if (!ok || page < 0 || page >= pageCount) {
            taken.error = QStringLiteral("--page: \"%1\" is not a page number from 0 to %2")
                              .arg(parser.value(kPage))
                              .arg(pageCount - 1);
            return taken;
        }
        o.page = page;
    }
    bool ok = false;
    const double delay = parser.value(kDelay).toDouble(&ok);
    if (!ok || delay < 0 || delay > kLongestDelaySec) {
        taken.error = QStringLiteral("--screenshot-delay: \"%1\" is not a number of seconds "
                                     "from 0 to %2")
                          .arg(parser.value(kDelay))
                          .arg(kLongestDelaySec);
        return taken;
    }
    o.screenshotDelayMs = static_cast<int>(delay * 1000);
    if (parser.isSet(kScreenshot)) {
        o.screenshot = parser.value(kScreenshot);
        const QFileInfo file(o.screenshot);
        if (o.screenshot.isEmpty() || !QFileInfo(file.absolutePath()).isDir()) {
            taken.error = QStringLiteral("--screenshot: the folder %1 does not exist")
                              .arg(file.absolutePath());
            return taken;
        }
    }
    return taken;
}

std::optional<int> readStartOptionsEarly(const QStringList& arguments, int pageCount) {
    QCommandLineParser parser;
    addStartOptions(parser);
    if (!parser.parse(arguments)) {
        if (!parser.unknownOptionNames().isEmpty())
            return std::nullopt; // perhaps Qt's own: the second reading knows
        std::fprintf(stderr, "flowcfg: %s\n", qPrintable(parser.errorText()));
        return 1;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    const TakenOptions taken = takeStartOptions(parser, pageCount);
    if (taken.error.isEmpty())
        return std::nullopt;
    std::fprintf(stderr, "flowcfg: %s\n", qPrintable(taken.error));
    return 1;
}

} // namespace flowcfg
