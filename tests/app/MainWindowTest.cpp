#include "WindowFixture.h"
#include "app/ArchivePage.h"
#include "app/MeasurePage.h"
#include "app/ProgramSettingsPage.h"
#include "app/TrendView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

namespace fs = std::filesystem;

class MainWindowTest : public ::testing::Test, protected WindowFixture {};

QString text(QWidget* w) {
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    return {};
}

QColor base(QWidget* w) {
    return w->palette().color(QPalette::Base);
}

TEST_F(MainWindowTest, StartInAnEmptyDirectoryCreatesTheSettingsFilesAndExitWritesThem) {
    MainWindow& w = start();
    EXPECT_TRUE(fs::exists(dir.path() / "dev.dat"));
    EXPECT_TRUE(fs::exists(dir.path() / "to.dat"));
    EXPECT_TRUE(fs::exists(dir.path() / "recent.prf"));
    EXPECT_EQ(w.windowTitle().toStdString(), "Программа настройки ТКС-71ЛД, версия 0.099");
    // No port anywhere: the lists say so and nothing was reported at start.
    EXPECT_EQ(w.programPage().portSelector()->count(), 0);
    EXPECT_EQ(w.programPage().portSelector()->placeholderText().toStdString(), "портов нет");
    EXPECT_EQ(w.programPage().availablePorts()->toPlainText().toStdString(), "Нет");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(w.programPage().statusLine()->text().toStdString(), "COM1, 19200 , без паритета ");

    // The exit saves the page selection into recent.prf and writes dev.dat.
    w.tree().mainTabs()->setCurrentIndex(2);
    w.programPage().addressSelector()->setCurrentIndex(17);
    fs::remove(dir.path() / "dev.dat");
    EXPECT_TRUE(w.shutDown());
    EXPECT_NE(readFile(dir.path() / "dev.dat").find("NetAdrr=17"), std::string::npos);
    EXPECT_NE(readFile(dir.path() / "recent.prf").find("ActivePageIndex4=2"), std::string::npos);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(MainWindowTest, ExitIntoAVanishedDirectorySaysSoAndDoesNotThrow) {
    MainWindow& w = start();
    fs::remove_all(dir.path());
    EXPECT_FALSE(w.shutDown());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Предупреждение");
    EXPECT_EQ(dialogs.shown[0].icon, DialogIcon::Warning);
    EXPECT_NE(dialogs.shown[0].text.find("recent.prf"), std::string::npos);
    EXPECT_NE(dialogs.shown[0].text.find("dev.dat"), std::string::npos);
    // Closing runs the exit only once.
    EXPECT_TRUE(w.shutDown());
    EXPECT_EQ(dialogs.shown.size(), 1u);
    fs::create_directories(dir.path());
}

TEST_F(MainWindowTest, DevDatThatIsADirectoryKeepsTheDefaultsAndTheExitSaysWhyInRussian) {
    fs::create_directory(dir.path() / "dev.dat");
    MainWindow& w = start();
    EXPECT_TRUE(dialogs.shown.empty()); // the start-up stays silent, as before
    EXPECT_FALSE(w.shutDown());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text,
              "Не удалось сохранить настройки программы.\ndev.dat: Не удалось прочитать файл \"" +
                  (dir.path() / "dev.dat").string() +
                  "\" (это папка, а не файл); он не перезаписан, чтобы не потерять его "
                  "содержимое\n");
}

TEST_F(MainWindowTest, GarbageRecentProfileStartsWithDefaults) {
    writeFile(dir.path() / "recent.prf", std::string("\x01\x02[[[\xff\xfe=\n=x\n[TAB\nA", 18));
    MainWindow& w = start();
    EXPECT_EQ(w.tree().mainTabs()->currentIndex(), 0);
    EXPECT_FALSE(w.tree().isTabVisible(pages::service));
    EXPECT_EQ(w.windowTitle().toStdString(), "Программа настройки ТКС-71ЛД, версия 0.099");
}

TEST_F(MainWindowTest, ElectrodeCleaningTabFollowsTheProfile) {
    writeFile(dir.path() / "recent.prf", "[TAB]\nElClearTabEn=0\n");
    {
        MainWindow& w = start();
        EXPECT_FALSE(w.tree().isTabVisible(pages::service));
        EXPECT_TRUE(w.tree().isTabVisible(pages::archive));
        EXPECT_FALSE(w.tree().isTabVisible(pages::allSettings));
        w.shutDown();
        window.reset();
    }
    writeFile(dir.path() / "recent.prf",
              "[TAB]\nElClearTabEn=1\nActivePageIndex4=1\nActivePageIndex5=7\n"
              "[Form title]\nform_title=Стенд 3\n");
    MainWindow& w = start();
    EXPECT_TRUE(w.tree().isTabVisible(pages::service));
    EXPECT_FALSE(w.tree().isTabVisible(pages::servicePar));
    EXPECT_EQ(w.tree().mainTabs()->currentIndex(), 1);
    EXPECT_EQ(w.tree().workTabs()->currentIndex(), 7);
    EXPECT_EQ(w.windowTitle().toStdString(), "Стенд 3");
}

// "Служебные страницы" shows the four hidden service tabs; recent.prf remembers it under a key
// that a fresh file lacks. The service page's date starts on today.
TEST_F(MainWindowTest, ServicePagesMenuItemShowsTheHiddenTabsAndIsRemembered) {
    clock.setLocalTime({2031, 2, 9, 10, 0, 0, 0});
    const std::string_view hidden[] = {pages::servicePar, pages::extSensors, pages::allSettings,
                                       pages::connectorSwitch};
    {
        MainWindow& w = start();
        EXPECT_FALSE(w.servicePagesAction()->isChecked());
        for (const std::string_view path : hidden)
            EXPECT_FALSE(w.tree().isTabVisible(path)) << path;
        const PageModel& service = w.core().config().page(pages::servicePar);
        for (const auto& [id, item] :
             {std::pair{"DAY_NEW", "9"}, {"MONTH_NEW", "ФЕВРАЛЬ"}, {"YEAR_NEW", "2031"}})
            EXPECT_EQ(selectedItem(service.def(id), service.state(id)), item) << id;
        EXPECT_EQ(readFile(dir.path() / "recent.prf").find("ServicePagesEn"), std::string::npos);

        w.servicePagesAction()->trigger();
        for (const std::string_view path : hidden)
            EXPECT_TRUE(w.tree().isTabVisible(path)) << path;
        w.shutDown();
        window.reset();
    }
    MainWindow& w = start();
    EXPECT_TRUE(w.servicePagesAction()->isChecked());
    EXPECT_TRUE(w.tree().isTabVisible(pages::connectorSwitch));
    w.servicePagesAction()->trigger();
    EXPECT_FALSE(w.tree().isTabVisible(pages::servicePar));
    w.shutDown();
    EXPECT_NE(readFile(dir.path() / "recent.prf").find("ServicePagesEn=0"), std::string::npos);
}

TEST_F(MainWindowTest, MenuLoadsAProfileThatReachesAHiddenPage) {
    MainWindow& w = start();
    const QList<QAction*> menus = w.menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text().toStdString(), "Файл");
    EXPECT_EQ(menus[1]->text().toStdString(), "Вид");
    EXPECT_EQ(w.loadProfileAction()->text().toStdString(), "Прочитать профиль настроек из файла");
    EXPECT_EQ(w.saveProfileAction()->text().toStdString(), "Записать профиль настроек в файл");

    const fs::path file = dir.path() / "service.prf";
    writeFile(file, "[TAB]\nActivePageIndex4=1\nActivePageIndex5=16\n"
                    "[izm_i_f_diskr]\nuse=0\n[frame_write]\nframe_write_interval_sec=0\n");
    dialogs.openFiles.push_back(file.string());
    w.loadProfileAction()->trigger();
    EXPECT_EQ(w.tree().workTabs()->currentWidget(), w.tree().page(pages::allSettings));
    EXPECT_EQ(w.image().izm_i_f_diskr.use, 0);
    // Its summary pages show what was loaded.
    EXPECT_EQ(
        text(w.tree().page(pages::allSettings)->findChild<QLabel*>("frame_write_interval_sec")),
        "выкл.");

    // Saving writes the current selection.
    const fs::path saved = dir.path() / "copy.prf";
    dialogs.saveFiles.push_back(saved.string());
    w.saveProfileAction()->trigger();
    EXPECT_NE(readFile(saved).find("ActivePageIndex5=16"), std::string::npos);
    EXPECT_TRUE(dialogs.shown.empty());
}

// At the size the window opens with, every tab can be reached with the mouse (the bar's
// arrows bring it into view, a click selects it) and with the keyboard (the arrow keys walk
// the bar and keep the current tab in view).
TEST_F(MainWindowTest, EveryTabIsReachableAtTheDefaultSize) {
    MainWindow& w = start();
    EXPECT_EQ(takeQtWarnings(), std::vector<std::string>{});
    w.show(); // the offscreen platform warns about size hints it cannot pass on
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_EQ(w.size(), QSize(kWindowWidth, kWindowHeight));
    // The visible part of the bar: left of its scroll arrows when it has them.
    const auto inView = [](QTabBar* bar, int index) {
        int right = bar->width();
        for (auto* arrow : bar->findChildren<QToolButton*>())
            if (arrow->isVisible())
                right = std::min(right, arrow->x());
        const QRect r = bar->tabRect(index);
        return r.left() >= 0 && r.right() < right;
    };
    for (const std::string& path : w.tree().paths()) {
        QTabWidget* tabs = w.tree().tabsOf(path);
        if (tabs == nullptr)
            continue;
        // The page and the pages it sits in are the current ones, so its bar is laid out.
        for (auto slash = path.find('/'); slash != std::string::npos;
             slash = path.find('/', slash + 1))
            w.tree().select(path.substr(0, slash));
        w.tree().select(path);
        QApplication::processEvents();
        QTabBar* bar = tabs->tabBar();
        tabs->setCurrentIndex(0);
        QToolButton* next = nullptr;
        for (auto* arrow : bar->findChildren<QToolButton*>())
            if (arrow->arrowType() == Qt::RightArrow)
                next = arrow;
        for (int i = 0; i < bar->count(); ++i) {
            for (int clicks = 0; !inView(bar, i) && clicks < bar->count(); ++clicks)
                if (next != nullptr && next->isVisible() && next->isEnabled())
                    next->click();
            ASSERT_TRUE(inView(bar, i)) << path << ": " << bar->tabText(i).toStdString();
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
            EXPECT_EQ(bar->currentIndex(), i) << path;
        }
        tabs->setCurrentIndex(0);
        bar->setFocus();
        for (int i = 1; i < bar->count(); ++i) {
            QTest::keyClick(bar, Qt::Key_Right);
            EXPECT_EQ(bar->currentIndex(), i) << path;
            EXPECT_TRUE(inView(bar, i)) << path << ": " << bar->tabText(i).toStdString();
        }
    }
    w.hide();
    takeQtWarnings();
    releaseInputDevices();
}

TEST_F(MainWindowTest, PollTickPaintsTheMeasuredValues) {
    attachSim();
    MainWindow& w = start();
    // Start-up opened COM1 silently, cleared RTS and set DTR.
    EXPECT_TRUE(com1->open);
    EXPECT_FALSE(com1->rts);
    EXPECT_TRUE(com1->dtr);
    EXPECT_EQ(w.programPage().portSelector()->currentText().toStdString(), "COM1");
    EXPECT_EQ(w.programPage().portSelector()->itemData(0, Qt::ToolTipRole).toString().toStdString(),
              kCom1Path);
    EXPECT_TRUE(w.pollTimer().isActive());

    MeasurePage& page = w.measurePage();
    // Every poll is recorded into the CSV file the chooser gives.
    const auto csv = dir.path() / "polls.csv";
    dialogs.saveFiles.push_back(csv.string());
    page.csvSwitch()->click();
    EXPECT_TRUE(page.csvSwitch()->isChecked());
    EXPECT_EQ(dialogs.savedKinds, std::vector<std::string>{"Файлы CSV"});
    page.cyclicButton()->click();
    ASSERT_TRUE(w.measurePanel().cyclic());
    com1->requests.clear();
    w.pollTick();
    EXPECT_TRUE(w.pollTimer().isActive());
    EXPECT_EQ(w.pollTimer().interval(), 1000);
    EXPECT_EQ(com1->requests.size(), 3u); // measured block, primary flow, outputs

    const MeasureScreen& screen = w.measurePanel().screen();
    QWidget* flow = page.widgetOf(&MeasureScreen::flow);
    ASSERT_NE(flow, nullptr);
    EXPECT_FALSE(screen.flow.text.empty());
    EXPECT_EQ(text(flow).toStdString(), screen.flow.text);
    EXPECT_EQ(text(page.widgetOf(&MeasureScreen::statusLine)).toStdString(),
              screen.statusLine.text);
    EXPECT_EQ(text(page.widgetOf(&MeasureScreen::volumeSum)).toStdString(), screen.volumeSum.text);
    EXPECT_EQ(text(page.widgetOf(&MeasureScreen::cycles)).toStdString(), "1");
    EXPECT_EQ(text(page.widgetOf(&MeasureScreen::errors)).toStdString(), "0");
    const auto rgb = *rgbOf(screen.flow.colour);
    EXPECT_EQ(base(flow), QColor(rgb.r, rgb.g, rgb.b));

    // The meter stops answering: the tick reports the exchange error on yellow.
    com1->responder = nullptr;
    w.pollTick();
    EXPECT_EQ(text(page.widgetOf(&MeasureScreen::statusLine)).toStdString(), "Ошибка обмена");
    EXPECT_EQ(base(page.widgetOf(&MeasureScreen::statusLine)), QColor(255, 255, 0));
    EXPECT_EQ(text(page.widgetOf(&MeasureScreen::errors)).toStdString(), "1");
    EXPECT_TRUE(dialogs.shown.empty());

    // The trend has both polls, the failed one as a gap; the CSV a line for each.
    ASSERT_EQ(page.trend().size(), 2u);
    EXPECT_TRUE(std::isnan(page.trend()[1].flow));
    EXPECT_EQ(page.trendView()->drawnRuns(), 1u);
    const std::string lines = readFile(csv);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 3) << lines;
    EXPECT_TRUE(lines.ends_with(",,,,,,,,,,,,0x8042,Ответа не было.\n")) << lines;
}

TEST_F(MainWindowTest, ReadBoxStandsOverTheNewValues) {
    attachSim();
    MainWindow& w = start();
    std::string flowUnderTheBox;
    dialogs.onShown = [&](const RecordedDialog&) {
        flowUnderTheBox = text(w.measurePage().widgetOf(&MeasureScreen::flow)).toStdString();
    };
    w.measurePage().readButton()->click();
    dialogs.onShown = nullptr;
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Прочитано измеренное значение."});
    EXPECT_FALSE(flowUnderTheBox.empty());
    EXPECT_EQ(flowUnderTheBox, w.measurePanel().screen().flow.text);
}

TEST_F(MainWindowTest, ReadOutputsLampToggles) {
    attachSim();
    MainWindow& w = start();
    QPushButton* lamp = w.measurePage().readOutputsLamp();
    EXPECT_TRUE(lamp->styleSheet().contains(QStringLiteral("rgb(0, 255, 0)")));
    lamp->click();
    EXPECT_EQ(w.image().izm_i_f_diskr.use, 0);
    EXPECT_TRUE(lamp->styleSheet().isEmpty());
}

TEST_F(MainWindowTest, PageChangeStopsThePollAndReturningDoesNotRestartIt) {
    attachSim();
    MainWindow& w = start();
    w.measurePage().cyclicButton()->click();
    ASSERT_TRUE(w.measurePanel().cyclic());
    w.tree().mainTabs()->setCurrentIndex(1);
    EXPECT_FALSE(w.measurePanel().cyclic());
    w.tree().mainTabs()->setCurrentIndex(0);
    EXPECT_FALSE(w.measurePanel().cyclic());
    EXPECT_EQ(w.focusWidget(), w.measurePage().readButton());
    com1->requests.clear();
    w.pollTick();
    EXPECT_TRUE(com1->requests.empty());
    EXPECT_TRUE(w.pollTimer().isActive());
}

TEST_F(MainWindowTest, TickAndClicksDuringAnExchangeDoNothing) {
    attachSim();
    MainWindow& w = start();
    w.measurePage().cyclicButton()->click();

    // Another operation holds the link: the tick skips and re-arms.
    {
        OperationGuard other(w.link());
        com1->requests.clear();
        w.pollTick();
        EXPECT_TRUE(com1->requests.empty());
        EXPECT_TRUE(w.pollTimer().isActive());
        EXPECT_TRUE(w.measurePanel().cyclic());
    }

    // While the tick's own transaction waits, clicks that would exchange do nothing, a
    // reopen asked for by a selector waits, and the stop button still works.
    int clicks = 0;
    pump.onEvents = [&] {
        if (clicks++ > 0)
            return;
        w.measurePage().readButton()->click();
        w.programPage().checkButton()->click();
        w.programPage().refreshButton()->click();
        w.programPage().paritySelector()->setCurrentIndex(2);
        w.measurePage().stopButton()->click();
    };
    const int opensBefore = devices.opens;
    com1->requests.clear();
    w.pollTick();
    pump.onEvents = nullptr;
    EXPECT_GT(clicks, 0);
    EXPECT_EQ(devices.opens, opensBefore);
    EXPECT_FALSE(w.measurePanel().cyclic());
    EXPECT_TRUE(dialogs.shown.empty());
    for (const auto& request : com1->requests)
        EXPECT_EQ(request.at(1), 0x03) << "only the tick's reads went out";
    EXPECT_EQ(w.link().settings.parity, 2);
    EXPECT_EQ(w.programPage().statusLine()->text().toStdString(), "COM1, 19200 , четный паритет ");
}

// The selectors' rules are in link/LinkSettingsScreen.h; here: the page shows them without
// reopening, and a choice stores, shows and reopens (the address only stores).
TEST_F(MainWindowTest, FillingTheSelectorsDoesNotReopenButAChoiceDoes) {
    attachSim();
    MainWindow& w = start();
    ProgramSettingsPage& page = w.programPage();
    const int opens = devices.opens;

    w.link().settings.speedIndex = 10;
    w.link().settings.parity = 1;
    w.link().settings.NetAdrr = 247;
    page.showLinkStatus();
    page.fillPortLists();
    EXPECT_EQ(devices.opens, opens);
    EXPECT_EQ(page.speedSelector()->currentText().toStdString(), "115200");
    EXPECT_EQ(page.paritySelector()->currentText().toStdString(), "Нечетный");
    EXPECT_EQ(page.addressSelector()->currentText().toStdString(), "247");
    EXPECT_EQ(page.statusLine()->text().toStdString(), "COM1, 115200 , нечетный паритет ");

    page.speedSelector()->setCurrentIndex(1);
    EXPECT_EQ(w.link().settings.speedIndex, 4);
    EXPECT_EQ(devices.opens, opens + 1);
    EXPECT_EQ(com1->line.baud, 2400u);
    page.addressSelector()->setCurrentIndex(3);
    EXPECT_EQ(w.link().settings.NetAdrr, 3);
    EXPECT_EQ(devices.opens, opens + 1);

    // The quick answer end: shown from the settings, a click only stores.
    QCheckBox* quick = page.quickAnswerEndBox();
    EXPECT_EQ(quick->text().toStdString(), "Быстрое окончание ответа");
    EXPECT_FALSE(quick->toolTip().isEmpty());
    EXPECT_FALSE(quick->isChecked());
    w.link().settings.QuickAnswerEnd = 1;
    page.showLinkStatus();
    EXPECT_TRUE(quick->isChecked());
    quick->click();
    EXPECT_EQ(w.link().settings.QuickAnswerEnd, 0);
    EXPECT_EQ(devices.opens, opens + 1);
}

TEST_F(MainWindowTest, CheckLinkStopsThePollAndMakesTheMeterBlink) {
    attachSim();
    MainWindow& w = start();
    w.measurePage().cyclicButton()->click();
    com1->requests.clear();
    w.programPage().checkButton()->click();
    EXPECT_FALSE(w.measurePanel().cyclic());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Результат операции");
    EXPECT_EQ(dialogs.shown[0].text, "Прибор ответил.");
    ASSERT_EQ(com1->requests.size(), 1u);
    EXPECT_EQ(com1->requests[0].at(1), 0x10); // function: write multiple registers
    EXPECT_EQ(com1->requests[0].at(2), 0x04); // start, high byte
    EXPECT_EQ(com1->requests[0].at(3), 0x16); // start, low byte
}

TEST_F(MainWindowTest, ConfiguredPortMissingIsShownAndAnyPortCanBeChosen) {
    writeFile(dir.path() / "dev.dat",
              "[COM_SETTINGS]\nNumber=7\n[PORTS]\nCOM2=/fake/a\nCOM5=/fake/b\n");
    devices.add("/fake/a");
    devices.add("/fake/b");
    MainWindow& w = start();
    ProgramSettingsPage& page = w.programPage();
    EXPECT_EQ(page.portSelector()->count(), 3);
    EXPECT_EQ(page.portSelector()->currentText().toStdString(), "COM7 (нет)");
    EXPECT_EQ(page.statusLine()->text().toStdString(), "COM7, 19200 , без паритета ");
    EXPECT_EQ(page.availablePorts()->toPlainText().toStdString(), "COM2\nCOM5");
    EXPECT_TRUE(dialogs.shown.empty()); // the silent open failed silently
    const int opens = devices.opens;
    page.portSelector()->setCurrentIndex(1);
    EXPECT_EQ(w.link().settings.Number, 5);
    EXPECT_EQ(devices.opens, opens + 1);
    EXPECT_NE(w.link().port, nullptr);
    EXPECT_EQ(page.statusLine()->text().toStdString(), "COM5, 19200 , без паритета ");
    EXPECT_EQ(page.portSelector()->toolTip().toStdString(), "/fake/b");
}

} // namespace
} // namespace flowcfg::test
