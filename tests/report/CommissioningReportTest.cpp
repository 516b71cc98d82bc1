// The commissioning report of the simulated meter: every configuration page by its caption,
// the clock against the computer's, the operator's note escaped; saved as PDF or HTML by name.

#include "report/CommissioningReport.h"

#include "TestFiles.h"
#include "config/FieldText.h"
#include "config/PageRegistry.h"
#include "config/ScreenPaths.h"
#include "report/ReportFile.h"
#include "tests/model/MeterFixture.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace flowcfg::test {
namespace {

class CommissioningReportTest : public MeterFixture {
protected:
    void SetUp() override { ctx.settings.Reask_val = 1; }
};

TEST_F(CommissioningReportTest, NamesEveryPageTheClockAndTheNoteEscaped) {
    clock.setLocalTime({2026, 12, 7, 11, 59, 30, 0}); // the meter's clock runs 30 s ahead
    CommissioningReport report(ctx);
    const ReportOutcome out = report.gather("Насосная <7> & \"вход\"\nвторая строка");
    ASSERT_EQ(out.end, OperationEnd::Succeeded) << out.failedPart;
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.texts().front();
    const std::string html = reportHtml(out.content);

    for (const PageDefinition* page : configPages()) {
        if (page->path.starts_with(pages::allSettings)) // summaries of the others
            continue;
        EXPECT_NE(html.find("<h2>" + htmlEscaped(pageTitle(page->path)) + "</h2>"),
                  std::string::npos)
            << page->path;
    }
    for (const std::string_view part :
         {"<h2>Прибор</h2>", "<h2>Связь</h2>", "<h2>Часы</h2>", "<h2>Измеренные значения</h2>",
          "Насосная &lt;7&gt; &amp; &quot;вход&quot;<br>вторая строка"})
        EXPECT_NE(html.find(part), std::string::npos) << part;
    EXPECT_EQ(html.find("<7>"), std::string::npos);
    // Read a few milliseconds apart, the two clocks may fall into neighbouring seconds.
    EXPECT_TRUE(html.find("+30 с (прибор спешит)") != std::string::npos ||
                html.find("+29 с (прибор спешит)") != std::string::npos);
}

TEST(ReportFile, APdfOrHtmlByTheNameAndAReasonWhenItCannotBeWritten) {
    TempDir dir{"flowcfg-report"};
    const std::string html = "<html><body><p>Отчет &amp; всё</p></body></html>";
    ASSERT_EQ(saveReport(html, dir.path() / "r.html"), "");
    ASSERT_EQ(saveReport(html, dir.path() / "r.pdf"), "");
    const auto bytes = [](const std::filesystem::path& f) {
        std::ifstream in(f, std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), {}};
    };
    EXPECT_EQ(bytes(dir.path() / "r.html"), html);
    EXPECT_TRUE(bytes(dir.path() / "r.pdf").starts_with("%PDF-"));
    EXPECT_NE(saveReport(html, dir.path() / "no" / "r.pdf"), "");
}

} // namespace
} // namespace flowcfg::test
