#pragma once
// The window's screen tree: the main tab control with its pages, the sub-tabs of
// "НАСТРОЙКИ РАБОТЫ" and the nested tab controls, built from one table of captions.
//
// Pages are named by their path of captions joined with '/', e.g. "ИЗМЕРЕНИЕ",
// "НАСТРОЙКИ РАБОТЫ/ВЫХОД 1" or "НАСТРОЙКИ РАБОТЫ/СПЕЦ./ВИХР./ОТСЕЧКА". A page without
// nested tabs is an empty QWidget without a layout: the code that owns the screen fills it
// (page(path)->setLayout(...)). A page with nested tabs holds only its QTabWidget.

#include <QString>
#include <QTabWidget>
#include <QWidget>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg {

class ScreenTree {
public:
    // Builds the whole tree as children of parent; mainTabs() is the widget to place.
    explicit ScreenTree(QWidget* parent);

    QTabWidget* mainTabs() const { return main_; }
    // The sub-tabs of "НАСТРОЙКИ РАБОТЫ".
    QTabWidget* workTabs() const { return tabsOf("НАСТРОЙКИ РАБОТЫ"); }

    // The page at path; nullptr for an unknown path.
    QWidget* page(std::string_view path) const;
    // The tab control inside the page at path (nullptr when it has no nested tabs); "" gives
    // the main tab control.
    QTabWidget* tabsOf(std::string_view path) const;
    // Index of the page at path in its tab control, -1 when unknown.
    int indexOf(std::string_view path) const;
    // Shows or hides the tab of the page at path.
    void setTabVisible(std::string_view path, bool visible);
    bool isTabVisible(std::string_view path) const;
    // Makes the page at path the current page of its tab control, also when its tab is
    // hidden (a profile can name a hidden service page as the active one).
    void select(std::string_view path);

    // Every tab control, the main one first.
    std::vector<QTabWidget*> allTabControls() const;
    // Every page path in tree order.
    const std::vector<std::string>& paths() const { return paths_; }

    // The tab visibility of the start: "АРХИВ" shown, "ОБСЛУЖИВАНИЕ" only with
    // electrodeCleaningTab, the service pages "СЛУЖЕБНЫЕ ПАР.", "ВНЕШН. ДАТЧИКИ",
    // "ВСЕ НАСТРОЙКИ" and "ПЕРЕКЛ. ТЕХНОЛОГ. РАЗЪЕМА" hidden.
    void applyStartVisibility(bool electrodeCleaningTab);

private:
    struct Node {
        const char* caption;
        std::vector<Node> children;
    };
    void build(QTabWidget* tabs, const std::string& prefix, const std::vector<Node>& nodes);
    static const std::vector<Node>& table();

    QTabWidget* main_ = nullptr;
    std::map<std::string, QWidget*, std::less<>> pages_;
    std::map<std::string, QTabWidget*, std::less<>> tabs_;       // the control inside a page
    std::map<std::string, QTabWidget*, std::less<>> parentTabs_; // the control holding a page
    std::vector<std::string> paths_;
};

// Page paths used by the window itself.
namespace pages {
inline constexpr std::string_view measurement = "ИЗМЕРЕНИЕ";
inline constexpr std::string_view work = "НАСТРОЙКИ РАБОТЫ";
inline constexpr std::string_view program = "НАСТРОЙКИ ПРОГРАММЫ";
inline constexpr std::string_view archive = "НАСТРОЙКИ РАБОТЫ/АРХИВ";
inline constexpr std::string_view service = "НАСТРОЙКИ РАБОТЫ/ОБСЛУЖИВАНИЕ";
inline constexpr std::string_view servicePar = "НАСТРОЙКИ РАБОТЫ/СЛУЖЕБНЫЕ ПАР.";
inline constexpr std::string_view extSensors = "НАСТРОЙКИ РАБОТЫ/ВНЕШН. ДАТЧИКИ";
inline constexpr std::string_view allSettings = "НАСТРОЙКИ РАБОТЫ/ВСЕ НАСТРОЙКИ";
inline constexpr std::string_view connectorSwitch =
    "НАСТРОЙКИ РАБОТЫ/ИЗМ МОДУЛЬ/ЭЛЕКТРОМАГНИТНЫЙ/ПЕРЕКЛ. ТЕХНОЛОГ. РАЗЪЕМА";
} // namespace pages

} // namespace flowcfg
