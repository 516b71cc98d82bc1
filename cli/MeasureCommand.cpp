// measure: the main poll of the measurement page, a given number of times or until Ctrl-C;
// with --keep-going it polls on past failed reads, counting them as the page does.

#include "cli/CliNumbers.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "link/Outcome.h"
#include "link/Ports.h"
#include "measure/MeasurePanel.h"
#include "measure/MeasureReport.h"
#include "measure/PollCsv.h"
#include "model/DeviceImage.h"
#include "platform/IniFile.h"
#include "platform/TextAppend.h"

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

namespace flowcfg {

namespace {

struct MeasureOptions {
    std::string count = "1";
    std::string interval = "1000";
    bool outputs = false;
    bool keepGoing = false;
    std::string log; // empty: the switch and file of recent.prf
    std::string csv; // empty: none; "-": stdout
};

std::string summaryText(const PollTotals& t) {
    return "Итого: циклов обмена " + std::to_string(t.cycles) + ", ошибок обмена " +
           std::to_string(t.exchangeErrors) + ", повторов " + std::to_string(t.retries) +
           ", ошибок измерения " + std::to_string(t.measurementErrors) + ", неудачных опросов " +
           std::to_string(t.failedPolls) + "\n";
}

// The log switch and file of recent.prf in the working directory (section IZM), read
// without touching the file. A relative file name is taken in the working directory.
MeasureLogSettings logSettingsOf(const std::filesystem::path& dir) {
    IniFile profile(dir / "recent.prf");
    profile.load();
    MeasureLogSettings log;
    log.writeFile = profile.readInt("IZM", "write_file", 1) == 1;
    const std::string name = profile.readString("IZM", "izm_file_name", "");
    log.fileName = name.empty() ? dir / "izm.txt" : dir / std::filesystem::path(name);
    return log;
}

// The first read of the poll that failed; nullopt when all arrived.
std::optional<ExchangeResult> failedRead(const MeasuredValues& values, bool outputsRead) {
    for (const ExchangeResult& r : {values.measuredResult, values.primaryResult}) {
        if (!r.transportOk())
            return r;
    }
    if (outputsRead && !values.outputsResult.transportOk())
        return values.outputsResult;
    return std::nullopt;
}

std::string failureText(ExchangeResult result, const LinkSettings& settings) {
    if (const auto text = outcomeText(result, settings))
        return text->caption + ": " + text->text;
    return exchangeFailureText(result, settings);
}

void measure(Session& session, const MeasureOptions& o) {
    const auto count = cliNumber(o.count, 0, 1'000'000'000, "--count"); // 0: until Ctrl-C
    const auto interval =
        static_cast<std::uint32_t>(cliNumber(o.interval, 0, 3'600'000, "--interval"));
    LinkContext& ctx = session.link();
    const std::filesystem::path dir = session.options.dir;
    MeasureLogSettings log = o.log.empty() ? logSettingsOf(dir) : MeasureLogSettings{true, o.log};
    // A log named here must be written: say so before polling, not lose every line quietly.
    if (!o.log.empty())
        if (const std::string problem = appendProblem(o.log); !problem.empty())
            throw UsageError("--log: файл " + o.log + " не открыть для записи: " + problem);
    // The CSV on stdout takes the place of the poll blocks; the totals go to stderr then.
    const bool csvOnStdout = o.csv == "-";
    std::unique_ptr<PollCsv> csv;
    if (csvOnStdout)
        csv = std::make_unique<PollCsv>(session.out);
    else if (!o.csv.empty())
        csv = std::make_unique<PollCsv>(std::filesystem::path(o.csv));
    if (csv && !csv->ok())
        throw UsageError("--csv: файл " + o.csv + " не открыть для записи: " + csv->problem());
    std::ostream& report = csvOnStdout ? session.err : session.out;

    DeviceImage image;
    image.izm_i_f_diskr.use = o.outputs ? 1 : 0;
    if (!session.openLink())
        return;
    MeasurePanel panel(ctx, image, std::move(log));
    panel.recordCsv(std::move(csv));
    const InterruptFlag interrupt;
    PollTotals totals;
    std::uint64_t polled = 0;
    while ((count == 0 || polled < count) && !interrupt.raised()) {
        if (polled > 0) {
            if (!interrupt.sleepMs(interval))
                break;
            if (!csvOnStdout)
                session.out << '\n';
        }
        // The poll opens a port that vanished earlier again by itself; say when it is back.
        const bool hadPort = ctx.port != nullptr;
        const PollCounters before = panel.counters();
        panel.pollOnce();
        ++polled;
        totals.add(before, panel.counters());
        if (!hadPort && ctx.port)
            session.err << "Порт " << portLabel(ctx.settings) << " снова открыт\n";
        if (!csvOnStdout)
            session.out << measureReport(panel.screen(), {.outputs = o.outputs}) << std::flush;
        // A CSV line that could not be written stopped the recording and was said: the run
        // ends as one whose file cannot be written at the start does.
        if (!o.csv.empty() && !panel.recordingCsv()) {
            session.exitCode = kExitUsage;
            break;
        }
        if (const auto failure = failedRead(panel.values(), o.outputs)) {
            ++totals.failedPolls;
            const std::string text = failureText(*failure, ctx.settings);
            if (!o.keepGoing) {
                session.fail(kExitExchange, text);
                break;
            }
            session.fail(kExitExchange, "Опрос " + std::to_string(polled) + ": " + text);
        }
    }
    if (count != 1 || interrupt.raised())
        report << '\n' << summaryText(totals) << std::flush;
    // Ctrl-C is how --count 0 ends; a counted run it cuts short says so.
    if (interrupt.raised() && count != 0 && polled < count)
        session.exitCode = kExitInterrupted;
}

} // namespace

void addMeasureCommands(CLI::App& app, Session& session) {
    auto options = std::make_shared<MeasureOptions>();
    CLI::App* cmd = app.add_subcommand(
        "measure", "poll the measured values like the \"ИЗМЕРЕНИЕ\" page: flow with its unit "
                   "and state, totals, times, primary flow, counters; one block per poll. "
                   "Appends the measurement log when write_file is 1 in recent.prf of --dir "
                   "(izm_file_name there), or always with --log. Ctrl-C stops after the poll "
                   "under way. Unless --count is 1, ends with a line of totals (cycles, "
                   "exchange errors, repeats, measurement errors, failed polls). Exit 2 when "
                   "a read fails (with --keep-going: when any poll failed), 130 when Ctrl-C "
                   "cuts a run with a --count short (Ctrl-C is how --count 0 ends: 0).");
    cmd->add_option("--count", options->count, "number of polls; 0 = until Ctrl-C")
        ->capture_default_str();
    cmd->add_flag("--keep-going", options->keepGoing,
                  "go on past failed polls (each is said on stderr); a port that vanished is "
                  "opened again when it is back");
    cmd->add_option("--interval", options->interval, "milliseconds between polls")
        ->capture_default_str();
    cmd->add_flag("--outputs", options->outputs,
                  "also read and print the current output and the two outputs");
    cmd->add_option("--log", options->log,
                    "append the measurement log to FILE (checked before the first poll: a file "
                    "that cannot be written is an error)");
    cmd->add_option("--csv", options->csv,
                    "also write every poll as a CSV line to FILE (emptied first; checked before "
                    "the first poll): time, flow and unit, state, totals, primary flow, outputs, "
                    "exchange status. \"-\" writes the CSV to stdout instead of the poll blocks "
                    "(the totals line then goes to stderr). A line that cannot be written ends the "
                    "run with exit 1");
    cmd->callback([&session, options] { measure(session, *options); });
}

} // namespace flowcfg
