#include "app/ScreenTree.h"

#include "QtTestApp.h"

#include <QTabBar>
#include <QWidget>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

std::vector<std::string> captions(QTabWidget* tabs) {
    std::vector<std::string> out;
    for (int i = 0; i < tabs->count(); ++i)
        out.push_back(tabs->tabText(i).toStdString());
    return out;
}

std::vector<std::string> visibleCaptions(QTabWidget* tabs) {
    std::vector<std::string> out;
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->isTabVisible(i))
            out.push_back(tabs->tabText(i).toStdString());
    return out;
}

class ScreenTreeTest : public ::testing::Test {
protected:
    QtAppGuard app;
    QWidget host;
    ScreenTree tree{&host};
};

TEST_F(ScreenTreeTest, EveryTabControlHasItsCaptionsInOrder) {
    using V = std::vector<std::string>;
    EXPECT_EQ(captions(tree.mainTabs()),
              (V{"ИЗМЕРЕНИЕ", "НАСТРОЙКИ РАБОТЫ", "НАСТРОЙКИ ПРОГРАММЫ"}));
    EXPECT_EQ(captions(tree.workTabs()),
              (V{"ИЗМЕРЕНИЕ", "ВЫХОД 1", "ВЫХОД 2", "ТОКОВЫЙ ВЫХ", "ВРЕМЯ", "ОБСЛУЖИВАНИЕ", "АРХИВ",
                 "ДОП. НАСТРОЙКИ", "ЭМУЛЯЦИЯ", "ПРИБОР", "РАЗР.  ОШИБОК", "СЛУЖЕБНЫЕ ПАР.", "СПЕЦ.",
                 "ВНЕШН. ДАТЧИКИ", "ИЗМ МОДУЛЬ", "ИЗМЕРЕНИЕ ДОП.НАСТР.", "ВСЕ НАСТРОЙКИ"}));
    EXPECT_EQ(captions(tree.tabsOf("НАСТРОЙКИ РАБОТЫ/СПЕЦ.")),
              (V{"ЭЛ. МАГ.", "ВИХР.", "УЛЬТР.ЗВ."}));
    EXPECT_EQ(captions(tree.tabsOf("НАСТРОЙКИ РАБОТЫ/СПЕЦ./ЭЛ. МАГ.")), (V{"ОЧИСТКА ЭЛЕКТРОДОВ"}));
    EXPECT_EQ(captions(tree.tabsOf("НАСТРОЙКИ РАБОТЫ/СПЕЦ./ВИХР.")), (V{"ОТСЕЧКА"}));
    EXPECT_EQ(captions(tree.tabsOf("НАСТРОЙКИ РАБОТЫ/ВНЕШН. ДАТЧИКИ")),
              (V{"ИЗМЕРЕНИЕ", "ТЕМПЕРАТУРА", "ДАВЛЕНИЕ", "ПОДСТРОЙКА ТЕМПЕРАТУРЫ"}));
    EXPECT_EQ(captions(tree.tabsOf("НАСТРОЙКИ РАБОТЫ/ИЗМ МОДУЛЬ")), (V{"ЭЛЕКТРОМАГНИТНЫЙ"}));
    EXPECT_EQ(captions(tree.tabsOf("НАСТРОЙКИ РАБОТЫ/ИЗМ МОДУЛЬ/ЭЛЕКТРОМАГНИТНЫЙ")),
              (V{"ПЕРЕКЛ. ТЕХНОЛОГ. РАЗЪЕМА", "КАЛИБ КОЭФФ", "ПЕРВ.ПРЕОБРАЗОВАТЕЛЬ"}));
    EXPECT_EQ(captions(tree.tabsOf("НАСТРОЙКИ РАБОТЫ/ИЗМЕРЕНИЕ ДОП.НАСТР.")),
              (V{"УПРАВЛ. ОТСЕЧКОЙ", "ОБРАБ.ПУСТ.ТРУБ"}));
    EXPECT_EQ(captions(tree.tabsOf("НАСТРОЙКИ РАБОТЫ/ВСЕ НАСТРОЙКИ")),
              (V{"ВЫХОДЫ", "ЭМУЛЯЦИЯ", "РАЗРЕШЕНИЕ ОШИБОК", "ВНЕШНИЕ ДАТЧИКИ", "ИЗМЕРЕНИЕ",
                 "СПЕЦИАЛЬНЫЕ"}));
    // Leaf pages have no tab control of their own and are empty, ready to be filled.
    EXPECT_EQ(tree.tabsOf("ИЗМЕРЕНИЕ"), nullptr);
    ASSERT_NE(tree.page("НАСТРОЙКИ РАБОТЫ/ВЫХОД 1"), nullptr);
    EXPECT_EQ(tree.page("НАСТРОЙКИ РАБОТЫ/ВЫХОД 1")->layout(), nullptr);
    EXPECT_EQ(tree.page("НАСТРОЙКИ РАБОТЫ/НЕТ ТАКОЙ"), nullptr);
    EXPECT_EQ(tree.allTabControls().size(), 10u);
}

TEST_F(ScreenTreeTest, StartVisibilityHidesTheServicePages) {
    using V = std::vector<std::string>;
    tree.applyStartVisibility(false);
    EXPECT_EQ(
        visibleCaptions(tree.workTabs()),
        (V{"ИЗМЕРЕНИЕ", "ВЫХОД 1", "ВЫХОД 2", "ТОКОВЫЙ ВЫХ", "ВРЕМЯ", "АРХИВ", "ДОП. НАСТРОЙКИ",
           "ЭМУЛЯЦИЯ", "ПРИБОР", "РАЗР.  ОШИБОК", "СПЕЦ.", "ИЗМ МОДУЛЬ", "ИЗМЕРЕНИЕ ДОП.НАСТР."}));
    EXPECT_EQ(visibleCaptions(tree.tabsOf("НАСТРОЙКИ РАБОТЫ/ИЗМ МОДУЛЬ/ЭЛЕКТРОМАГНИТНЫЙ")),
              (V{"КАЛИБ КОЭФФ", "ПЕРВ.ПРЕОБРАЗОВАТЕЛЬ"}));
    EXPECT_FALSE(tree.isTabVisible(pages::service));

    tree.applyStartVisibility(true);
    EXPECT_TRUE(tree.isTabVisible(pages::service));
    EXPECT_EQ(tree.indexOf(pages::service), 5);
    EXPECT_FALSE(tree.isTabVisible(pages::allSettings));
}

TEST_F(ScreenTreeTest, AHiddenPageCanBeSelected) {
    tree.applyStartVisibility(false);
    tree.select(pages::allSettings);
    EXPECT_EQ(tree.workTabs()->currentWidget(), tree.page(pages::allSettings));
    EXPECT_EQ(tree.indexOf(pages::allSettings), 16);
}

} // namespace
} // namespace flowcfg::test
