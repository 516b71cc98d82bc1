// The "АРХИВ" page widget on the controller and the simulated meter (offscreen Qt).

#include "ArchiveFixture.h"
#include "QtTestApp.h"
#include "app/ArchivePage.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <chrono>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

class PageWidget : public ArchiveFixture {
protected:
    PageWidget() : page(*controller) {}

    // Lets the event loop run (the transfer timer ticks) until the predicate holds.
    template <class Predicate> bool runUntil(Predicate done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done() && std::chrono::steady_clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return done();
    }

    QtAppGuard app;
    ArchivePage page;
};

TEST_F(PageWidget, DownloadTicksOnTheTimerAndStopWorksInTheMiddleOfATick) {
    page.download600Button()->click();
    EXPECT_TRUE(page.transferTimer().isActive());
    EXPECT_EQ(page.counterText(0), "1000");
    EXPECT_EQ(page.counterText(1), "1000");
    EXPECT_EQ(page.counterText(2), "100");
    EXPECT_EQ(page.progressBar()->maximum(), 60);
    ASSERT_TRUE(runUntil([&] { return page.progressBar()->value() >= 3; }));
    EXPECT_TRUE(page.statusLine()->text().startsWith(QStringLiteral("Прочитан блок #")));

    // The click arrives while a block is being fetched.
    bool clicked = false;
    pump.onEvents = [&] {
        if (!clicked) {
            clicked = true;
            page.stopButton()->click();
        }
    };
    ASSERT_TRUE(runUntil([&] { return clicked; }));
    pump.onEvents = nullptr;
    EXPECT_FALSE(page.transferTimer().isActive());
    const auto read = blocksRequested().size();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(blocksRequested().size(), read); // no tick after the stop
    const auto files = exportedFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(files[0].filename().string().starts_with("frames_txt.txt_"));
    // The blocks fetched before the click (it came before the tick's request): no zero records.
    const auto lines = linesOf(files[0]).size();
    EXPECT_EQ(lines, read * 10);
    EXPECT_EQ(page.statusLine()->text().toStdString(),
              "Чтение остановлено (прочитано кадров: " + std::to_string(lines) + " из 600)");
}

TEST_F(PageWidget, ProgressDoesNotOverwriteWhatIsBeingTyped) {
    page.frameNumberField()->setText("77");
    page.intervalSelector()->setCurrentIndex(15);
    page.downloadAllButton()->click();
    ASSERT_TRUE(runUntil([&] { return !page.transferTimer().isActive(); }));
    EXPECT_EQ(page.statusLine()->text(), QStringLiteral("Чтение закончено"));
    EXPECT_EQ(page.progressBar()->value(), 100);
    EXPECT_EQ(page.frameNumberField()->text(), "77");
    EXPECT_EQ(page.intervalSelector()->currentIndex(), 15);

    page.writeFrameNumberButton()->click();
    EXPECT_EQ(meter().regs(0x1509, 2), (std::vector<std::uint16_t>{0, 77}));
}

TEST_F(PageWidget, ReadIntervalShowsTheSelectionAndTellsTheSummaryPage) {
    QSignalSpy spy(&page, &ArchivePage::intervalTextChanged);
    meter().setReg(0x1500, 30);
    page.readIntervalButton()->click();
    EXPECT_EQ(page.intervalSelector()->currentIndex(), 30);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), "30");
    EXPECT_EQ(dialogs.texts().back(), "Чтение интервала записи в архив успешно осуществлено.");
}

} // namespace
} // namespace flowcfg::test
