#pragma once
// The commissioning report: what the meter is and holds at one moment, gathered in one go, and
// the document made of it. gather() reads what "ПРОЧ.ИЗ ПРИБ." reads, the clock and the
// measured values (the outputs included) into images of its own (the window's image and pages
// stay as they are), and lays them out in sections: the meter's identity and versions, the
// link it answered on, its clock against the computer's, the measured values, every
// configuration page's values as captions and texts, and the operator's note. reportHtml()
// makes one HTML document of it (report/ReportFile.h saves it, or the same document printed to
// PDF).
//
//   CommissioningReport report(ctx);
//   report.progress = [&](const SequenceProgress& p) { bar.paint(p); };
//   const ReportOutcome out = report.gather("Установлен на насосной №7");
//   if (out.end == OperationEnd::Succeeded) file << reportHtml(out.content);

#include "config/WholeConfiguration.h"
#include "link/LinkContext.h"
#include "platform/Clock.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg {

inline constexpr std::string_view kReportTitle = "Отчет о настройке прибора";

// One line of a section: a caption and its text, or a grid of texts (a page's table, row 0
// its headers).
struct ReportRow {
    std::string caption;
    std::string text;
    std::vector<std::vector<std::string>> grid = {};
};

struct ReportSection {
    std::string title;
    std::vector<ReportRow> rows;
    std::string note = {}; // said under the title (a page none of whose values the meter reports)
};

struct ReportContent {
    LocalTime madeAt; // the computer's time when the clock was read
    std::vector<ReportSection> sections;
    std::string operatorText;
};

struct ReportOutcome {
    // Succeeded when everything was read; otherwise the failing read's box has been shown and
    // `failedPart` names it.
    OperationEnd end = OperationEnd::Succeeded;
    std::string failedPart;
    ReportContent content;
};

class CommissioningReport {
public:
    explicit CommissioningReport(LinkContext& ctx) : ctx_(ctx) {}

    // The whole-configuration read's progress panel.
    std::function<void(const SequenceProgress&)> progress;

    ReportOutcome gather(std::string operatorText);

private:
    LinkContext& ctx_;
};

// The report as one HTML document (UTF-8), every text escaped.
std::string reportHtml(const ReportContent& content);

// Text for HTML: & < > " ' as entities.
std::string htmlEscaped(std::string_view text);

// "08.12.2026 09:15:02".
std::string dateTimeText(const LocalTime& t);

} // namespace flowcfg
