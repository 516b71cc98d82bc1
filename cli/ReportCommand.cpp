// report: the commissioning report of the meter on the link, as a PDF or, for a name ending in
// ".html", as HTML.
//
//   flowcfg-cli --port /dev/ttyUSB0 report --out pump7.pdf --text "Насосная №7, ввод 2"

#include "cli/CliNumbers.h"
#include "cli/Commands.h"
#include "cli/ProgressBar.h"
#include "report/CommissioningReport.h"

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

namespace flowcfg {

namespace {

struct ReportOptions {
    std::string out;
    std::string text;
};

void makeReport(Session& session, const ReportOptions& o, const ReportSaver& save) {
    const std::filesystem::path file(o.out);
    std::error_code ec;
    const std::filesystem::path dir = file.has_parent_path() ? file.parent_path() : ".";
    if (!std::filesystem::is_directory(dir, ec))
        throw UsageError("--out " + o.out + ": папки " + dir.string() + " нет");
    CommissioningReport report(session.link());
    ProgressBar bar(session.err, "");
    report.progress = [&bar](const SequenceProgress& p) { bar.show(p); };
    const ReportOutcome out = report.gather(o.text);
    bar.finish();
    if (out.end != OperationEnd::Succeeded) {
        const bool noLink = out.end == OperationEnd::PortFailed || out.end == OperationEnd::Busy;
        session.fail(noLink ? kExitUsage : kExitExchange,
                     "отчет не составлен: не прочитано (" + out.failedPart + ")");
        return;
    }
    if (const std::string why = save(reportHtml(out.content), file); !why.empty()) {
        session.fail(kExitUsage, why);
        return;
    }
    session.out << o.out << '\n';
}

} // namespace

void addReportCommands(CLI::App& app, Session& session, ReportSaver save) {
    auto options = std::make_shared<ReportOptions>();
    CLI::App* report = app.add_subcommand(
        "report", "the commissioning report: reads everything \"ПРОЧ.ИЗ ПРИБ.\" reads, the "
                  "clock and the measured values, and writes the meter's identity, versions, "
                  "link, clock against the computer's, measured values, every configuration "
                  "page's values and your note, dated. Nothing is written to the meter. Exit 2 "
                  "when a read fails (no file is made), 1 when the port cannot be opened or the "
                  "file cannot be written.");
    report->add_option("--out", options->out, "the report file: FILE.pdf, or FILE.html for HTML")
        ->required();
    report->add_option("--text", options->text, "the operator's note (free text)");
    report->callback(
        [&session, options, save = std::move(save)] { makeReport(session, *options, save); });
}

} // namespace flowcfg
