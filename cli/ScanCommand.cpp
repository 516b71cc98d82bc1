// scan: the bus scan ("Поиск прибора") from the command line. One line per find on stdout,
// tab-separated as the window's table (address, speed, parity, factory number, model,
// software and hardware version); the progress with the time left on stderr. Exit 0 when a
// meter answered, 2 when none did (a damaged answer alone is not a meter), 130 on Ctrl-C
// (the finds so far are printed).
//
//   flowcfg-cli --port /dev/ttyUSB0 scan --bauds 9600,19200 --parities N,E --addresses 1-32

#include "cli/CliNumbers.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/StatusLine.h"
#include "config/BusScan.h"
#include "link/LinkSettingsScreen.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>

namespace flowcfg {

namespace {

struct ScanOptions {
    std::string bauds, parities, addresses;
};

// "A,B,C" into its items, each parsed by `one`; an empty item is a usage error.
template <class Parse>
std::vector<std::uint16_t> listOf(const std::string& text, std::string_view what, Parse one) {
    std::vector<std::uint16_t> out;
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        const std::uint16_t v = one(item, what);
        if (std::ranges::find(out, v) == out.end())
            out.push_back(v);
    }
    if (out.empty() || text.back() == ',')
        throw UsageError(std::string(what) + " \"" + text + "\": an empty item");
    return out;
}

ScanChoices choicesOf(const ScanOptions& o) {
    ScanChoices c;
    c.speedIndexes = {3, 4, 5, 6, 7, 8, 9, 10};
    c.parities = {0, 1, 2};
    if (!o.bauds.empty())
        c.speedIndexes = listOf(o.bauds, "--bauds", speedIndexOfBaud);
    if (!o.parities.empty())
        c.parities = listOf(o.parities, "--parities", parityOfLetter);
    c.addresses = addressList(o.addresses.empty() ? "1-247" : o.addresses);
    return c;
}

std::string lineOf(const FoundMeter& m) {
    std::string line;
    for (const std::string& cell : foundMeterCells(m))
        line += (line.empty() ? "" : "\t") + cell;
    return line;
}

void scanBus(Session& session, const ScanOptions& o) {
    const ScanChoices choices = choicesOf(o);
    LinkContext& ctx = session.link();
    session.err << "поиск: " << choices.speedIndexes.size() << " скор. × "
                << choices.parities.size() << " пар. × " << choices.addresses.size()
                << " адр. = " << choices.tries() << " попыток, без ответов "
                << durationText(scanEstimateMs(choices, ctx.settings)) << '\n';
    BusScan scan(ctx, choices);
    StatusLine status(session.err);
    const InterruptFlag interrupt;
    std::size_t meters = 0;
    std::uint32_t lineShown = 0;
    scan.stopRequested = [&interrupt] { return interrupt.raised(); };
    scan.progress = [&](const ScanProgress& p) {
        // A terminal gets every try; a log one line per speed and parity.
        const std::uint32_t line = std::uint32_t{p.speedIndex} << 8 | p.parity;
        if (!status.terminal() && line == lineShown)
            return;
        lineShown = line;
        status.show("поиск " + std::to_string(p.done) + "/" + std::to_string(p.total) + ": " +
                    std::string(kSpeedItems[p.speedIndex - kFirstSpeedIndex]) + ", " +
                    std::string(kParityItems[p.parity]) + ", адрес " + std::to_string(p.address) +
                    "; найдено " + std::to_string(meters) + ", " + "осталось " +
                    durationText(p.remainingMs));
    };
    scan.found = [&](const FoundMeter& m) {
        status.finish();
        meters += m.damaged ? 0 : 1;
        session.out << lineOf(m) << std::endl;
    };
    const ScanEnd end = scan.run();
    status.finish();
    switch (end) {
    case ScanEnd::PortFailed:
        session.exitCode = kExitUsage;
        return;
    case ScanEnd::Stopped:
        session.err << "поиск прерван\n";
        session.exitCode = kExitInterrupted;
        return;
    case ScanEnd::Busy:
    case ScanEnd::Finished:
        break;
    }
    session.err << "найдено приборов: " << meters << '\n';
    session.exitCode = meters != 0 ? kExitOk : kExitExchange;
}

} // namespace

void addScanCommands(CLI::App& app, Session& session) {
    auto options = std::make_shared<ScanOptions>();
    CLI::App* scan = app.add_subcommand(
        "scan", "find the meters on the line (\"Поиск прибора\"): every address at every chosen "
                "speed and parity is asked for its status word with a short wait, and a meter "
                "that answers has its factory number, model and versions read. Only reads. One "
                "line per find on stdout, tab-separated: address, speed, parity, factory "
                "number, model, software version, hardware version (\"ответ искажен\" in place "
                "of the factory number: something answered damaged, e.g. at another parity). "
                "Progress on stderr. Exit 0 when a meter was found, 2 when none, 130 on Ctrl-C. "
                "DELY and TimeGapPrg of dev.dat lengthen each wait, for a meter that answers "
                "late.");
    scan->add_option("--bauds", options->bauds,
                     "speeds to try, e.g. 9600,19200 (default: all eight, 1200..115200)");
    scan->add_option("--parities", options->parities, "parities to try, e.g. N,E (default: N,O,E)");
    scan->add_option("--addresses", options->addresses,
                     "addresses to try, e.g. 1-32 or 1,5,10-12 (default: 1-247)");
    scan->callback([&session, options] { scanBus(session, *options); });
}

} // namespace flowcfg
