// The Qt views of the configuration pages in the main window, on the simulated meter:
// start-up mounts and shows them without a Qt warning, the buttons exchange, typing and
// clicking reach the model. Every test fails on a warning Qt prints.

#include "app/ConfigPageViews.h"
#include "app/MainWindow.h"
#include "app/WholeConfigPanel.h"
#include "config/ExternalSensorPages.h"
#include "config/MeasurementPages.h"
#include "config/SensorPages.h"
#include "tests/app/WindowFixture.h"
#include "tests/config/TestPages.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

class ConfigViewTest : public ::testing::Test, protected WindowFixture {
protected:
    void SetUp() override {
        takeQtWarnings();
        attachSim();
        start();
        views = &window->configViews();
        window->link().settings.Reask_val = 1;
    }
    void TearDown() override { EXPECT_EQ(takeQtWarnings(), std::vector<std::string>{}); }
    QLineEdit* edit(std::string_view page, std::string_view id) {
        return qobject_cast<QLineEdit*>(views->view(page).control(id));
    }
    QComboBox* list(std::string_view page, std::string_view id) {
        return qobject_cast<QComboBox*>(views->view(page).control(id));
    }
    sim::Meter& m() { return meter->meter(); }

    ConfigPageViews* views = nullptr;
};

TEST_F(ConfigViewTest, PagesSitInTheirTabsOnceAndShowTheImageAtStartUp) {
    ASSERT_EQ(views->views().size(), configPages().size());
    for (const PageDefinition* page : configPages()) {
        QWidget* container = window->pageContainer(page->path);
        EXPECT_TRUE(container->isAncestorOf(&views->view(page->path))) << page->path;
        EXPECT_EQ(container->findChildren<PageView*>().size(), 1) << page->path;
        // A page is filled once: a second screen is refused.
        QWidget stray;
        EXPECT_THROW(window->tree().mount(page->path, &stray), std::logic_error);
    }
    // The profile's defaults (no recent.prf): f_max 10000, i_control 0.
    EXPECT_EQ(edit(page::output1, "f_max")->text(), "10000");
    EXPECT_EQ(list(page::currentOutput, "i_control")->currentText(), "Обычн.работа");
    EXPECT_TRUE(QFontInfo(edit(page::output1, "f_flow_v_max")->font()).fixedPitch());
    // Hidden controls and the hidden calibration block stay off the screen.
    EXPECT_TRUE(edit(page::currentOutput, "code_direct")->isHidden());
    EXPECT_FALSE(edit(page::currentOutput, "i_ma_max_calib")
                     ->isVisibleTo(&views->view(page::currentOutput)));
    EXPECT_TRUE(
        edit(page::currentOutput, "i_ma_direct")->isVisibleTo(&views->view(page::currentOutput)));
}

TEST_F(ConfigViewTest, ReadShowsTheMeterAndWriteSendsWhatWasTyped) {
    m().setReg(0x104D, 9000);
    m().setFloat(0x104F, 50.0f);
    PageView& out1 = views->view(page::output1);
    // The success box appears over the new values.
    QString shownUnderTheBox;
    dialogs.onShown = [&](const RecordedDialog&) {
        shownUnderTheBox = edit(page::output1, "f_max")->text();
    };
    out1.readButton(section::Frequency)->click();
    dialogs.onShown = nullptr;
    EXPECT_EQ(shownUnderTheBox, "9000");
    EXPECT_EQ(edit(page::output1, "f_max")->text(), "9000");
    EXPECT_EQ(edit(page::output1, "f_flow_v_max")->text(), "50.0000    ");
    EXPECT_EQ(dialogs.texts().back(), "Чтение параметров частотных выходов успешно осуществлено.");

    edit(page::output1, "f_max")->setText("7000");
    edit(page::output1, "f_flow_v_max")->setText(" 42.5 ");
    list(page::output1, "f_direct_control")->setCurrentIndex(1);
    out1.writeButton(section::Frequency)->click();
    EXPECT_EQ(m().reg(0x104D), 7000);
    EXPECT_EQ(m().floatAt(0x104F), 42.5f);
    EXPECT_EQ(m().reg(0x1054), 1);
    EXPECT_EQ(dialogs.texts().back(), "Запись параметров частотных выходов успешно осуществлена.");
    EXPECT_EQ(edit(page::output1, "f_flow_v_max")->text(), " 42.5 "); // not re-shown by a write

    // The measurement read also fills the cut-off page.
    m().setFloat(0x101D, 1.75f);
    views->view(page::measurement).readButton(section::Main)->click();
    EXPECT_EQ(edit(page::cutoff, "izm_flow_v_cut_ee")->text(), "1.7500     ");
    EXPECT_EQ(views->view(page::cutoff).twin("izm_flow_v_cut_ee")->text(), "1.7500     ");
}

// A list the user left alone goes back with the code it was shown from, though no item stands
// for it; choosing the item on the screen sends that item's code.
TEST_F(ConfigViewTest, UntouchedListSendsItsCodeAChosenItemItsOwn) {
    m().setReg(0x105D, 7); // volume kind: items 0..3
    PageView& out1 = views->view(page::output1);
    out1.readButton(section::Pulse)->click();
    out1.writeButton(section::Pulse)->click();
    EXPECT_EQ(m().reg(0x105D), 7);
    QComboBox* kind = list(page::output1, "dsum_type_0");
    emit kind->activated(kind->currentIndex());
    out1.writeButton(section::Pulse)->click();
    EXPECT_EQ(m().reg(0x105D), kind->currentIndex());
}

// One key typed into a widget, as the keyboard would deliver it.
void typeKey(QWidget* widget, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

TEST_F(ConfigViewTest, HexFieldTakesOnlyHexDigitsUpperCased) {
    QLineEdit* type = edit(page::measurement, "sensor_type_cmp");
    type->setText("0x02");
    type->setCursorPosition(4);
    typeKey(type, Qt::Key_G, "g");
    EXPECT_EQ(type->text(), "0x02");
    typeKey(type, Qt::Key_C, "c");
    EXPECT_EQ(type->text(), "0x02C");
    typeKey(type, Qt::Key_Backspace, "");
    EXPECT_EQ(type->text(), "0x02");
    typeKey(type, Qt::Key_1, "1");
    EXPECT_EQ(type->text(), "0x021");
    releaseInputDevices();
}

TEST_F(ConfigViewTest, IndicatorClicksFlipTheImageAndRecolour) {
    window->image().izm_general_param.cut_en = 0;
    views->showImage();
    PageView& cut = views->view(page::cutoff);
    auto* panel = qobject_cast<QPushButton*>(cut.control("cut_display_primary"));
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->styleSheet().isEmpty()); // button face
    panel->click();
    EXPECT_EQ(window->image().izm_general_param.cut_en, 0x0008);
    EXPECT_EQ(panel->styleSheet(), "background-color: rgb(0, 255, 0);");

    auto* direct =
        qobject_cast<QPushButton*>(views->view(page::output2).control("diskr_out_direct_val_1"));
    ASSERT_NE(direct, nullptr);
    direct->click();
    EXPECT_EQ(views->view(page::output2).twin("diskr_out_direct_val_1")->text(), "вкл");
    EXPECT_TRUE(meter->served().empty()); // clicks send nothing
}

TEST_F(ConfigViewTest, ButtonsDoNothingWhileAnotherOperationExchanges) {
    meter->clearServed();
    const std::size_t boxes = dialogs.shown.size();
    {
        const OperationGuard other(window->link());
        views->view(page::currentOutput).readButton(section::CurrentScale)->click();
        views->view(page::currentOutput).writeButton(section::CurrentDirect)->click();
    }
    EXPECT_TRUE(meter->served().empty());
    EXPECT_EQ(dialogs.shown.size(), boxes);
}

// A bit grid: its rows' cells under the two-line column captions, lime where a bit is set; a
// click on the other current error moves the choice, a click on a mask cell sets its bit.
TEST_F(ConfigViewTest, GridCellsShowTheBitsUnderTheirCaptions) {
    m().setReg(0x10AC, 0x0060);
    PageView& grid = views->view(page::errorEnables);
    grid.readButton(section::Permissions)->click();
    const auto lime = [&](std::string_view row, std::size_t column) {
        return grid.cell(row, column)->styleSheet().contains("rgb(0, 255, 0)");
    };
    EXPECT_EQ((std::vector{lime("ovld_en", 0), lime("ovld_en", 4), lime("ovld_en", 5)}),
              (std::vector{false, false, true}));
    grid.cell("ovld_en", 4)->click(); // "Ток ош 1."
    EXPECT_EQ((std::vector{lime("ovld_en", 4), lime("ovld_en", 5)}), (std::vector{true, false}));
    EXPECT_EQ(views->pages().image().err_en.ovld_en, 0x0020);
    grid.cell("izm_flow_v_err_lo_msk", 0)->click(); // bit 15
    EXPECT_EQ(views->pages().image().err_msk.izm_flow_v_err_lo_msk, 0x8000);
    EXPECT_TRUE(lime("izm_flow_v_err_lo_msk", 0));

    QStringList captions;
    for (const QLabel* label : grid.findChildren<QLabel*>())
        captions << label->text();
    for (const char* caption : {"Общее\nразрешение", "Ток\nош 2.", "Част.\nош.", "15", "0"})
        EXPECT_EQ(captions.count(QString::fromUtf8(caption)), 1) << caption;
}

// The window appends the measurement log line after an amplitude read.
TEST_F(ConfigViewTest, AmplitudeReadAppendsTheMeasurementLogLine) {
    views->view(page::amplitudeCutoff).readButton(section::Amplitude)->click();
    const std::string log = readFile(dir.path() / "izm.txt");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find("  IZM_FLOW_V="), std::string::npos) << log;
}

// A table is a grid of centred cells under its headers, its row numbers in column 0.
TEST_F(ConfigViewTest, TableShowsEveryCellCentred) {
    views->view(page::coefficients).readButton(0)->click();
    auto* table =
        qobject_cast<QTableWidget*>(views->view(page::coefficients).control("coefficients"));
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rowCount(), 21);
    ASSERT_EQ(table->columnCount(), 3);
    EXPECT_EQ(table->item(0, 2)->text(), "Gv");
    EXPECT_EQ(table->item(1, 1)->text(), " 0.0500");
    EXPECT_EQ(table->item(20, 0)->text(), "20");
    for (int row = 0; row < 21; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(table->item(row, column)->textAlignment(), Qt::AlignCenter);
}

// The view of a row with command buttons: one push button each after the section's pair,
// pressing it hands its reference to the owner; a list shows a code without an item as one
// more item, and drops it when an item stands for the code again.
TEST_F(ConfigViewTest, CommandButtonsAndTheItemOfAnOtherCode) {
    PageModel model(kTestPageRow);
    std::vector<std::uint8_t> pressed;
    PageView::Actions actions;
    actions.command = [&](CommandRef ref) { pressed.push_back(ref.index); };
    PageView view(model, actions);
    ASSERT_NE(view.commandButton("test-restart"), nullptr);
    view.commandButton("test-restart")->click();
    view.commandButton("test-interval")->click();
    EXPECT_EQ(pressed, (std::vector<std::uint8_t>{2, 2}));
    EXPECT_EQ(view.commandButton("test-restart")->text(), "ПЕРЕЗАГРУЗКА ПРИБОРА");

    auto* year = qobject_cast<QComboBox*>(view.control("year"));
    DeviceImage image;
    for (const auto& [code, count, text] : {std::tuple{2105, 9, "2105"}, {2030, 8, "2030"}}) {
        image.readings.clockYear = static_cast<std::uint16_t>(code);
        model.showAll(image);
        view.render();
        EXPECT_EQ(year->count(), count) << code;
        EXPECT_EQ(year->currentText(), QString::fromUtf8(text)) << code;
    }
}

// "ВСЕ НАСТРОЙКИ" and the menu: the whole configuration from the meter into every page, the
// panel shown with its bar while the sequence runs, the image into the meter, a profile load.
TEST_F(ConfigViewTest, WholeConfigurationButtonsAndMenuEntries) {
    WholeConfigPanel& whole = window->wholeConfig();
    for (const auto caption :
         {kLoadFileCaption, kSaveFileCaption, kReadAllCaption, kWriteAllCaption})
        ASSERT_NE(whole.button(caption), nullptr) << caption;
    EXPECT_TRUE(
        window->pageContainer(pages::allSettings)->isAncestorOf(whole.button(kReadAllCaption)));
    EXPECT_EQ(window->readAllAction()->text(), "Прочитать все настройки из прибора");
    EXPECT_EQ(window->writeAllAction()->text(), "Записать все настройки в прибор");

    m().setReg(0x104D, 9100);
    int mostSteps = 0;
    QString caption;
    pump.onEvents = [&] {
        if (!whole.progressPanel()->isHidden()) {
            mostSteps = std::max(mostSteps, whole.bar()->value());
            caption = whole.caption()->text();
        }
    };
    window->readAllAction()->trigger();
    pump.onEvents = nullptr;
    EXPECT_EQ(edit(page::output1, "f_max")->text(), "9100");
    EXPECT_EQ(caption, "ИДЕТ ЧТЕНИЕ ДАННЫХ");
    EXPECT_EQ(mostSteps, 10); // seen in the pauses: the last line ends without one
    EXPECT_TRUE(whole.progressPanel()->isHidden());
    EXPECT_EQ(dialogs.texts().back(), "Прочитаны все параметры прибора.");

    window->image().output.f_max = 8200; // as a loaded profile would leave it
    whole.button(kWriteAllCaption)->click();
    EXPECT_EQ(m().reg(0x104D), 8200);
    EXPECT_EQ(dialogs.texts().back(), "Запись всех настроек успешно осуществлена.");

    const auto file = dir.path() / "saved.prf";
    dialogs.saveFiles.push_back(file.string());
    whole.button(kSaveFileCaption)->click();
    EXPECT_EQ(dialogs.texts().back(), "Данные конфигурации сохранены в файле.");
    window->image().output.f_max = 1;
    dialogs.openFiles.push_back(file.string());
    whole.button(kLoadFileCaption)->click();
    EXPECT_EQ(dialogs.texts().back(), "Данные конфигурации прочитаны из файла.");
    EXPECT_EQ(edit(page::output1, "f_max")->text(), "8200");
}

} // namespace
} // namespace flowcfg::test
