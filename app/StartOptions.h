#pragma once
// The window's command line:
//
//   flowcfg [--page N] [--start-polling] [--screenshot FILE [--screenshot-delay S]]
//
// Read twice: once before the window's application exists, so that help and a value that
// cannot be used are answered without a display, and once more after it (Qt's own options,
// such as -platform, are known only then). A value that cannot be used is said on stderr and
// the program ends with 1: a --page that is not a page, a --screenshot-delay that is not a
// number of seconds, a --screenshot into a folder that does not exist.

#include <QString>
#include <QStringList>
#include <optional>

class QCommandLineParser;

namespace flowcfg {

struct StartOptions {
    std::optional<int> page; // main page to show after start-up
    bool startPolling = false;
    QString screenshot; // empty: none
    int screenshotDelayMs = 5000;
};

// Adds the window's options, help included, to a parser.
void addStartOptions(QCommandLineParser& parser);

// The values of a parser that has parsed: the options, or what is wrong with them.
struct TakenOptions {
    StartOptions options;
    QString error; // empty when the options can be used
};
TakenOptions takeStartOptions(const QCommandLineParser& parser, int pageCount);

// The first reading, before the window's application exists (a QCoreApplication must):
// prints the help and ends the program when asked for it; returns the exit code when a value
// cannot be used (the reason printed), nullopt to go on. Options it does not know are left to
// the second reading.
std::optional<int> readStartOptionsEarly(const QStringList& arguments, int pageCount);

} // namespace flowcfg
