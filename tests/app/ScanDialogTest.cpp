// "Поиск прибора" over the window: preset from the profile's Seach section, a scan of the
// in-process line finds the one meter there at its own speed and parity, and taking it moves
// the tool's link. Set FLOWCFG_SCAN_PICTURE=FILE to save the dialog's picture (README).

#include "app/ScanDialog.h"

#include "QtTestApp.h"
#include "WindowFixture.h"
#include "app/ProgramSettingsPage.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <cstdlib>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

TEST(ScanDialogTest, FindsTheMeterOnTheLineAndTakesItsSettingsAsTheLink) {
    WindowFixture f;
    f.mapCom1();
    // Address 2 at 9600 baud, even parity: heard only at those settings.
    f.meter = std::make_unique<sim::MeterSlave>(
        sim::MeterConfig{.address = 2, .speedCode = 6, .parity = 2});
    attachMeter(*f.com1, *f.meter, f.clock, {.checkLine = true});
    MainWindow& w = f.start();

    // A new recent.prf keeps 9600 and 19200, every parity and addresses 1..3 for the scan.
    w.programPage().scanButton()->click();
    ScanDialog& d = w.openScan();
    EXPECT_EQ(d.windowTitle().toStdString(), "Поиск прибора");
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(d.speedBox(i)->isChecked(), i == 3 || i == 4) << i;
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(d.parityBox(i)->isChecked());
    EXPECT_EQ(d.firstAddress()->value(), 1);
    EXPECT_EQ(d.lastAddress()->value(), 3);

    d.lastAddress()->setValue(4);
    d.startButton()->click();
    ASSERT_EQ(d.table()->rowCount(), 1);
    QStringList row;
    for (int c = 0; c < d.table()->columnCount(); ++c)
        row << d.table()->item(0, c)->text();
    EXPECT_EQ(row.mid(0, 4).join('|').toStdString(), "2|9600|Четный|260417");
    EXPECT_EQ(d.progressBar()->value(), 24); // 2 speeds x 3 parities x 4 addresses
    EXPECT_EQ(d.timeLeft()->text().toStdString(), "Поиск окончен, найдено приборов: 1");
    EXPECT_EQ(w.toolSettings().Seach.end, 4); // a save keeps the last choices
    EXPECT_EQ(f.meter->counts().writes, 0u);
    EXPECT_FALSE(d.takeButton()->isEnabled());

    d.table()->selectRow(0);
    EXPECT_TRUE(d.takeButton()->isEnabled());
    if (const char* picture = std::getenv("FLOWCFG_SCAN_PICTURE")) {
        EXPECT_TRUE(d.grab().save(QString::fromLocal8Bit(picture)));
    }
    d.takeButton()->click();
    EXPECT_EQ(w.link().settings.NetAdrr, 2);
    EXPECT_EQ(w.link().settings.speedIndex, 6);
    EXPECT_EQ(w.link().settings.parity, 2);
    EXPECT_EQ(w.programPage().statusLine()->text().toStdString(), "COM1, 9600 , четный паритет ");
    EXPECT_TRUE(f.dialogs.shown.empty());
    // Showing a window, the offscreen platform says it cannot pass size hints on.
    std::vector<std::string> warnings = takeQtWarnings();
    std::erase(warnings, "This plugin does not support propagateSizeHints()");
    EXPECT_EQ(warnings, std::vector<std::string>{});
}

} // namespace
} // namespace flowcfg::test
