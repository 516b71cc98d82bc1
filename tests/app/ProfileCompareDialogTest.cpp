// "Сравнить с профилем…" in the window, without a display: the table of differences, a row
// checked and written into the meter. Fails on any Qt warning.

#include "app/ProfileCompareDialog.h"

#include "app/WholeConfigPanel.h"
#include "profiles/ProfileFile.h"
#include "tests/app/WindowFixture.h"

#include <QAction>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

class ProfileCompareDialogTest : public ::testing::Test, protected WindowFixture {
protected:
    void SetUp() override {
        takeQtWarnings();
        attachSim();
        start();
        window->link().settings.Reask_val = 1;
    }
    void TearDown() override { EXPECT_EQ(takeQtWarnings(), std::vector<std::string>{}); }
};

TEST_F(ProfileCompareDialogTest, TheDifferenceIsARowAndTheCheckedRowIsWritten) {
    DeviceImage profile; // the meter as it is, but for the upper flow of output 1
    ConfigPages pages(window->link(), profile);
    ASSERT_EQ(WholeConfiguration(pages).readAll().outcome.end, OperationEnd::Succeeded);
    profile.output.f_flow_v_max += 2.5f;
    const auto file = dir.path() / "p.prf";
    ASSERT_TRUE(saveProfile(file, profile, ToolSettings::defaults(dir.path())).ok);
    dialogs.openFiles.push_back(file.string());

    window->compareProfileAction()->trigger();
    for (const std::string& w : takeQtWarnings()) // the dialog shown on the offscreen platform
        EXPECT_EQ(w, "This plugin does not support propagateSizeHints()");
    ProfileCompareDialog* dialog = window->wholeConfig().compareDialog();
    ASSERT_NE(dialog, nullptr);
    QTableWidget* table = dialog->table();
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("ВЫХОД 1"));
    EXPECT_EQ(table->item(0, 3)->text().toStdString(), dialog->rows()[0].profileText);
    EXPECT_FALSE(dialog->writeButton()->isEnabled());

    table->item(0, 0)->setCheckState(Qt::Checked);
    ASSERT_TRUE(dialog->writeButton()->isEnabled());
    dialog->writeButton()->click();
    EXPECT_EQ(meter->meter().floatAt(0x104F), profile.output.f_flow_v_max);
    EXPECT_EQ(table->rowCount(), 0);
    dialog->close();
}

} // namespace
} // namespace flowcfg::test
