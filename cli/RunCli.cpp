#include "cli/RunCli.h"

#include "cli/CliNumbers.h"

#include <ostream>

namespace flowcfg {

int runCli(int argc, const char* const* argv, Session& session, const AddCommands& addCommands) {
    CLI::App app{"flowcfg-cli: service and configuration of the flowmeter over Modbus RTU, "
                 "without a window. Settings come from dev.dat and to.dat in --dir; the "
                 "options below change them for this run only.",
                 "flowcfg-cli"};
    app.footer(std::string(kExitCodesText) + "\n");
    app.fallthrough(); // global options may also follow the command
    app.require_subcommand(1);
    GlobalOptions& o = session.options;
    app.add_option("--dir", o.dir,
                   "working directory with dev.dat, to.dat and COM.txt (must exist; the files "
                   "are made there when missing)")
        ->capture_default_str();
    app.add_option("--port", o.port, "COMn, or a device path such as /dev/ttyUSB0");
    app.add_option("--address", o.address, "Modbus address of the meter, 0..255");
    app.add_option("--baud", o.baud, "1200, 2400, 4800, 9600, 19200, 38400, 57600 or 115200");
    app.add_option("--parity", o.parity, "N, O or E");
    app.add_option("--timeout", o.timeout,
                   "MS: the longest wait for one whole answer (plus TimeGapPrg), 1..600000, "
                   "for every request, the archive blocks included; instead of to.dat's "
                   "per-byte times and TimeOut");
    app.add_option("--retries", o.retries,
                   "N: repeats after a failed attempt, 0 = none (Reask_val = N + 1 attempts; "
                   "the archive still asks for a block up to six times)");
    app.add_flag("--quick", o.quick,
                 "quick answer end: a read ends as soon as a whole answer with a good CRC "
                 "(or a whole exception answer) is in, instead of the interval timeout after "
                 "it; same as QuickAnswerEnd=1 in section SETTINGS of dev.dat");
    app.add_flag("--yes", o.yes, "answer Yes to every question");
    addCommands(app, session);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e, session.out, session.err);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e, session.out, session.err);
    } catch (const CLI::ParseError& e) {
        app.exit(e, session.out, session.err);
        return kExitUsage;
    } catch (const UsageError& e) {
        session.err << "flowcfg-cli: " << e.what() << '\n';
        return kExitUsage;
    } catch (const std::exception& e) {
        session.err << "flowcfg-cli: " << e.what() << '\n';
        return kExitUsage;
    }
    return session.exitCode;
}

} // namespace flowcfg
