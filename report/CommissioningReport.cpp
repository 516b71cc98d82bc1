#include "report/CommissioningReport.h"

#include "config/DeviceServicePages.h"
#include "config/FieldText.h"
#include "config/ScreenPaths.h"
#include "link/LinkSettings.h"
#include "link/Outcome.h"
#include "link/Ports.h"
#include "measure/MeasurePanel.h"
#include "measure/MeasureReport.h"
#include "model/Encodings.h"
#include "model/GroupIo.h"
#include "platform/CFormat.h"

#include <cstdint>
#include <sstream>

namespace flowcfg {

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t daysFromCivil(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy =
        (153u * static_cast<unsigned>(m + (m > 2 ? -3 : 9)) + 2) / 5 + static_cast<unsigned>(d) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::int64_t secondsOf(const LocalTime& t) {
    return daysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

LocalTime meterClock(const DeviceImage& image) {
    const auto& r = image.readings;
    return {r.clockYear, r.clockMonth, r.clockDay, r.clockHour, r.clockMinute, r.clockSecond, 0};
}

// "+30 с (прибор спешит)", "-1 ч 02 мин 05 с (прибор отстает)".
std::string offsetText(std::int64_t seconds) {
    if (seconds == 0)
        return "0 с";
    const std::int64_t size = seconds < 0 ? -seconds : seconds;
    std::string text = seconds > 0 ? "+" : "-";
    const auto part = [&text](std::int64_t value, std::string_view unit, bool twoDigits) {
        appendUnsigned(text, static_cast<std::uint32_t>(value), twoDigits ? 2 : 1);
        text += unit;
    };
    const bool days = size >= 86400, hours = size >= 3600, minutes = size >= 60;
    if (days)
        part(size / 86400, " сут ", false);
    if (hours)
        part(size / 3600 % 24, " ч ", days);
    if (minutes)
        part(size / 60 % 60, " мин ", hours);
    part(size % 60, " с", minutes);
    return text + (seconds > 0 ? " (прибор спешит)" : " (прибор отстает)");
}

std::string_view parityText(std::uint16_t parity) {
    return parity == 1 ? "нечетный" : parity == 2 ? "четный" : "нет";
}

// The rows of a page's controls that the groups read fill, as the page shows them.
std::vector<ReportRow> pageRows(const PageModel& page, DeviceImage& image,
                                std::span<const GroupTransfer> read,
                                std::optional<std::uint8_t> onlySection = {}) {
    std::vector<ReportRow> rows;
    const PageDefinition& def = page.definition();
    for (std::size_t i = 0; i < def.controls.size(); ++i) {
        const ControlSpec& c = def.controls[i];
        const ControlState& state = page.states()[i];
        if (c.hidden || def.sections[c.section].hidden || !readShows(read, c) ||
            (onlySection && c.section != *onlySection))
            continue;
        ReportRow row{fieldCaption(def, i), {}};
        if (c.kind == ControlKind::Table) {
            for (std::size_t r = 0; r <= c.table.rows; ++r) {
                row.grid.emplace_back();
                for (std::size_t col = 0; col <= c.table.columns.size(); ++col)
                    row.grid.back().emplace_back(trimBlanks(tableCell(c, state, r, col)));
            }
        } else {
            row.text = fieldText(c, state, image);
            if (row.text.empty() && c.kind == ControlKind::Label)
                continue; // a label that says nothing now
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

// "caption: text" lines of the measurement report, without the exchange counters.
std::vector<ReportRow> measuredRows(const MeasureScreen& screen) {
    std::vector<ReportRow> rows;
    std::istringstream lines(measureReport(screen, {.outputs = true}));
    for (std::string line; std::getline(lines, line);) {
        const auto colon = line.find(':');
        ReportRow row{line.substr(0, colon), std::string(trimBlanks(line.substr(colon + 1)))};
        if (row.caption != measure_caption::cycles && row.caption != measure_caption::errors)
            rows.push_back(std::move(row));
    }
    return rows;
}

ReportOutcome failed(OperationEnd end, std::string part) {
    ReportOutcome out;
    out.end = end;
    out.failedPart = std::move(part);
    return out;
}

} // namespace

ReportOutcome CommissioningReport::gather(std::string operatorText) {
    DeviceImage image;
    ConfigPages pages(ctx_, image);
    WholeConfiguration whole(pages);
    whole.progress = progress;
    whole.readSuccessBox = false;
    const WholeOutcome read = whole.readAll();
    if (read.outcome.end != OperationEnd::Succeeded)
        return failed(read.outcome.end, std::string(read.failedLine));

    std::vector<GroupTransfer> filled;
    for (const GroupId id : read.read)
        filled.push_back({.group = id});
    ReportOutcome out;
    {
        const OperationGuard guard(ctx_);
        if (!guard)
            return failed(OperationEnd::Busy, "часы");
        if (const ExchangeResult r = readGroup(ctx_, image, GroupId::Clock); !stepSucceeded(r)) {
            showExchangeFailure(ctx_, r);
            return failed(OperationEnd::Failed, "часы");
        }
        filled.push_back({.group = GroupId::Clock});
        out.content.madeAt = ctx_.clock.now();
    }

    DeviceImage measuredImage = image;
    measuredImage.izm_i_f_diskr.use = 1; // the outputs too
    MeasurePanel panel(ctx_, measuredImage, {.writeFile = false, .fileName = {}});
    if (panel.pollOnce() != TickResult::Polled)
        return failed(OperationEnd::Busy, "измеренные значения");
    const MeasuredValues& values = panel.values();
    for (const ExchangeResult r :
         {values.measuredResult, values.primaryResult, values.outputsResult})
        if (!stepSucceeded(r)) {
            showExchangeFailure(ctx_, r);
            return failed(OperationEnd::Failed, "измеренные значения");
        }

    pages.showAll();
    auto& sections = out.content.sections;
    sections.push_back(
        {"Прибор", pageRows(pages.page(page::device), image, filled, section::Identity)});
    const LinkSettings& s = ctx_.settings;
    sections.push_back({"Связь",
                        {{"Порт", portLabel(s)},
                         {"Скорость", std::to_string(baudOfSpeedIndex(s.speedIndex)) + " бод"},
                         {"Паритет", std::string(parityText(s.parity))},
                         {"Сетевой адрес", std::to_string(s.NetAdrr)}}});
    const LocalTime meter = meterClock(image);
    sections.push_back(
        {"Часы",
         {{"Прибор", dateTimeText(meter)},
          {"Компьютер", dateTimeText(out.content.madeAt)},
          {"Разница", offsetText(secondsOf(meter) - secondsOf(out.content.madeAt))}}});
    sections.push_back({"Измеренные значения", measuredRows(panel.screen())});
    for (PageModel& page : pages.pages()) {
        const std::string_view path = page.definition().path;
        if (path.starts_with(pages::allSettings)) // summaries of the pages below
            continue;
        ReportSection section{std::string(pageTitle(path)), pageRows(page, image, filled)};
        if (section.rows.empty())
            section.note = "Прибор не сообщает значений этой страницы.";
        sections.push_back(std::move(section));
    }
    out.content.operatorText = std::move(operatorText);
    return out;
}

std::string htmlEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string dateTimeText(const LocalTime& t) {
    std::string out;
    const auto part = [&out](int value, int digits, std::string_view after) {
        appendUnsigned(out, static_cast<std::uint32_t>(value), digits);
        out += after;
    };
    part(t.day, 2, ".");
    part(t.month, 2, ".");
    part(t.year, 4, " ");
    part(t.hour, 2, ":");
    part(t.minute, 2, ":");
    part(t.second, 2, "");
    return out;
}

namespace {

constexpr std::string_view kHead = R"(<!DOCTYPE html>
<html lang="ru"><head><meta charset="utf-8"><title>)";
constexpr std::string_view kStyle = R"(</title>
<style>
body { font-family: sans-serif; font-size: 9pt; }
h1 { font-size: 15pt; }
h2 { font-size: 11pt; margin-top: 10pt; margin-bottom: 3pt; }
table { border-collapse: collapse; }
td, th { border: 1px solid #999999; padding: 1px 5px; text-align: left; vertical-align: top; }
p.note { font-style: italic; }
</style></head><body>
)";

// Newlines of a free text as line breaks.
std::string paragraphText(std::string_view text) {
    std::string out;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = text.find('\n', start);
        if (start != 0)
            out += "<br>";
        out += htmlEscaped(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return out;
}

void gridHtml(std::string& html, const std::vector<std::vector<std::string>>& grid) {
    html += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">";
    for (std::size_t r = 0; r < grid.size(); ++r) {
        html += "<tr>";
        for (const std::string& cell : grid[r])
            html += (r == 0 ? "<th>" : "<td>") + htmlEscaped(cell) + (r == 0 ? "</th>" : "</td>");
        html += "</tr>";
    }
    html += "</table>";
}

} // namespace

std::string reportHtml(const ReportContent& content) {
    std::string html(kHead);
    html += htmlEscaped(kReportTitle);
    html += kStyle;
    html += "<h1>" + htmlEscaped(kReportTitle) + "</h1>\n";
    html += "<p>Составлен: " + htmlEscaped(dateTimeText(content.madeAt)) + "</p>\n";
    for (const ReportSection& section : content.sections) {
        html += "<h2>" + htmlEscaped(section.title) + "</h2>\n";
        if (!section.note.empty())
            html += "<p class=\"note\">" + htmlEscaped(section.note) + "</p>\n";
        if (section.rows.empty())
            continue;
        html += "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\">\n";
        for (const ReportRow& row : section.rows) {
            html += "<tr><td width=\"45%\">" + htmlEscaped(row.caption) + "</td><td>";
            if (row.grid.empty())
                html += htmlEscaped(row.text);
            else
                gridHtml(html, row.grid);
            html += "</td></tr>\n";
        }
        html += "</table>\n";
    }
    html +=
        "<h2>Примечание</h2>\n<p>" +
        (content.operatorText.empty() ? std::string("—") : paragraphText(content.operatorText)) +
        "</p>\n";
    html += "</body></html>\n";
    return html;
}

} // namespace flowcfg
