// measure: the main poll of the measurement page, a given number of times.

#include "cli/CliNumbers.h"
#include "cli/Commands.h"
#include "link/Outcome.h"
#include "measure/MeasurePanel.h"
#include "measure/MeasureReport.h"
#include "model/DeviceImage.h"
#include "platform/IniFile.h"
#include "platform/TextAppend.h"

#include <filesystem>
#include <ostream>
#include <string>

namespace flowcfg {

namespace {

struct MeasureOptions {
    std::string count = "1";
    std::string interval = "1000";
    bool outputs = false;
    std::string log; // empty: the switch and file of recent.prf
};

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

void reportFailure(Session& session, ExchangeResult result) {
    const LinkSettings& settings = session.link().settings;
    if (const auto text = outcomeText(result, settings))
        session.fail(kExitExchange, text->caption + ": " + text->text);
    else
        session.fail(kExitExchange, exchangeFailureText(result, settings));
}

void measure(Session& session, const MeasureOptions& o) {
    const auto count = cliNumber(o.count, 1, 1'000'000, "--count");
    const auto interval =
        static_cast<std::uint32_t>(cliNumber(o.interval, 0, 3'600'000, "--interval"));
    LinkContext& ctx = session.link();
    const std::filesystem::path dir = session.options.dir;
    MeasureLogSettings log = o.log.empty() ? logSettingsOf(dir) : MeasureLogSettings{true, o.log};
    // A log named here must be written: say so before polling, not lose every line quietly.
    if (!o.log.empty())
        if (const std::string problem = appendProblem(o.log); !problem.empty())
            throw UsageError("--log: файл " + o.log + " не открыть для записи: " + problem);

    DeviceImage image;
    image.izm_i_f_diskr.use = o.outputs ? 1 : 0;
    if (!session.openLink())
        return;
    MeasurePanel panel(ctx, image, std::move(log));
    for (std::uint64_t n = 0; n < count; ++n) {
        if (n > 0) {
            ctx.pump.pauseMs(interval);
            session.out << '\n';
        }
        panel.pollOnce();
        session.out << measureReport(panel.screen(), {.outputs = o.outputs}) << std::flush;
        if (const auto failure = failedRead(panel.values(), o.outputs)) {
            reportFailure(session, *failure);
            return;
        }
    }
}

} // namespace

void addMeasureCommands(CLI::App& app, Session& session) {
    auto options = std::make_shared<MeasureOptions>();
    CLI::App* cmd = app.add_subcommand(
        "measure", "poll the measured values like the \"ИЗМЕРЕНИЕ\" page: flow with its unit "
                   "and state, totals, times, primary flow, counters; one block per poll. "
                   "Appends the measurement log when write_file is 1 in recent.prf of --dir "
                   "(izm_file_name there), or always with --log. Exit 2 when a read fails.");
    cmd->add_option("--count", options->count, "number of polls")->capture_default_str();
    cmd->add_option("--interval", options->interval, "milliseconds between polls")
        ->capture_default_str();
    cmd->add_flag("--outputs", options->outputs,
                  "also read and print the current output and the two outputs");
    cmd->add_option("--log", options->log,
                    "append the measurement log to FILE (checked before the first poll: a file "
                    "that cannot be written is an error)");
    cmd->callback([&session, options] { measure(session, *options); });
}

} // namespace flowcfg
