#include "app/ScreenTree.h"

#include <QTabBar>
#include <QVBoxLayout>

namespace flowcfg {

const std::vector<ScreenTree::Node>& ScreenTree::table() {
    static const std::vector<Node> tree = {
        {"ИЗМЕРЕНИЕ", {}},
        {"НАСТРОЙКИ РАБОТЫ",
         {
             {"ИЗМЕРЕНИЕ", {}},
             {"ВЫХОД 1", {}},
             {"ВЫХОД 2", {}},
             {"ТОКОВЫЙ ВЫХ", {}},
             {"ВРЕМЯ", {}},
             {"ОБСЛУЖИВАНИЕ", {}},
             {"АРХИВ", {}},
             {"ДОП. НАСТРОЙКИ", {}},
             {"ЭМУЛЯЦИЯ", {}},
             {"ПРИБОР", {}},
             {"РАЗР.  ОШИБОК", {}},
             {"СЛУЖЕБНЫЕ ПАР.", {}},
             {"СПЕЦ.",
              {
                  {"ЭЛ. МАГ.", {{"ОЧИСТКА ЭЛЕКТРОДОВ", {}}}},
                  {"ВИХР.", {{"ОТСЕЧКА", {}}}},
                  {"УЛЬТР.ЗВ.", {}},
              }},
             {"ВНЕШН. ДАТЧИКИ",
              {
                  {"ИЗМЕРЕНИЕ", {}},
                  {"ТЕМПЕРАТУРА", {}},
                  {"ДАВЛЕНИЕ", {}},
                  {"ПОДСТРОЙКА ТЕМПЕРАТУРЫ", {}},
              }},
             {"ИЗМ МОДУЛЬ",
              {
                  {"ЭЛЕКТРОМАГНИТНЫЙ",
                   {
                       {"ПЕРЕКЛ. ТЕХНОЛОГ. РАЗЪЕМА", {}},
                       {"КАЛИБ КОЭФФ", {}},
                       {"ПЕРВ.ПРЕОБРАЗОВАТЕЛЬ", {}},
                   }},
              }},
             {"ИЗМЕРЕНИЕ ДОП.НАСТР.",
              {
                  {"УПРАВЛ. ОТСЕЧКОЙ", {}},
                  {"ОБРАБ.ПУСТ.ТРУБ", {}},
              }},
             {"ВСЕ НАСТРОЙКИ",
              {
                  {"ВЫХОДЫ", {}},
                  {"ЭМУЛЯЦИЯ", {}},
                  {"РАЗРЕШЕНИЕ ОШИБОК", {}},
                  {"ВНЕШНИЕ ДАТЧИКИ", {}},
                  {"ИЗМЕРЕНИЕ", {}},
                  {"СПЕЦИАЛЬНЫЕ", {}},
              }},
         }},
        {"НАСТРОЙКИ ПРОГРАММЫ", {}},
    };
    return tree;
}

ScreenTree::ScreenTree(QWidget* parent) {
    main_ = new QTabWidget(parent);
    main_->setObjectName(QStringLiteral("mainTabs"));
    tabs_.emplace("", main_);
    build(main_, "", table());
}

void ScreenTree::build(QTabWidget* tabs, const std::string& prefix,
                       const std::vector<Node>& nodes) {
    for (const Node& node : nodes) {
        const std::string path = prefix.empty() ? node.caption : prefix + "/" + node.caption;
        auto* page = new QWidget(tabs);
        page->setObjectName(QString::fromStdString(path));
        tabs->addTab(page, QString::fromUtf8(node.caption));
        pages_.emplace(path, page);
        parentTabs_.emplace(path, tabs);
        paths_.push_back(path);
        if (!node.children.empty()) {
            auto* layout = new QVBoxLayout(page);
            layout->setContentsMargins(4, 4, 4, 4);
            auto* inner = new QTabWidget(page);
            inner->setObjectName(QString::fromStdString(path + "/"));
            layout->addWidget(inner);
            tabs_.emplace(path, inner);
            build(inner, path, node.children);
        }
    }
}

QWidget* ScreenTree::page(std::string_view path) const {
    const auto it = pages_.find(path);
    return it == pages_.end() ? nullptr : it->second;
}

QTabWidget* ScreenTree::tabsOf(std::string_view path) const {
    const auto it = tabs_.find(path);
    return it == tabs_.end() ? nullptr : it->second;
}

int ScreenTree::indexOf(std::string_view path) const {
    const auto it = parentTabs_.find(path);
    if (it == parentTabs_.end())
        return -1;
    return it->second->indexOf(page(path));
}

void ScreenTree::setTabVisible(std::string_view path, bool visible) {
    const auto it = parentTabs_.find(path);
    if (it != parentTabs_.end())
        it->second->setTabVisible(it->second->indexOf(page(path)), visible);
}

bool ScreenTree::isTabVisible(std::string_view path) const {
    const auto it = parentTabs_.find(path);
    return it != parentTabs_.end() && it->second->isTabVisible(it->second->indexOf(page(path)));
}

void ScreenTree::select(std::string_view path) {
    const auto it = parentTabs_.find(path);
    if (it == parentTabs_.end())
        return;
    QTabWidget* tabs = it->second;
    const int index = tabs->indexOf(page(path));
    // A hidden tab cannot become current in Qt; its tab is shown so that the page can be
    // chosen, as the service pages are reached through a profile.
    if (!tabs->isTabVisible(index))
        tabs->setTabVisible(index, true);
    tabs->setCurrentIndex(index);
}

std::vector<QTabWidget*> ScreenTree::allTabControls() const {
    std::vector<QTabWidget*> out{main_};
    for (const auto& path : paths_)
        if (QTabWidget* t = tabsOf(path))
            out.push_back(t);
    return out;
}

void ScreenTree::applyStartVisibility(bool electrodeCleaningTab) {
    setTabVisible(pages::archive, true);
    setTabVisible(pages::service, electrodeCleaningTab);
    setTabVisible(pages::servicePar, false);
    setTabVisible(pages::extSensors, false);
    setTabVisible(pages::allSettings, false);
    setTabVisible(pages::connectorSwitch, false);
}

} // namespace flowcfg
