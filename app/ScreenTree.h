#pragma once
// The window's screen tree: the main tab control with its pages, the sub-tabs of
// "НАСТРОЙКИ РАБОТЫ" and the nested tab controls, built from the table of captions in
// config/ScreenPaths.h.
//
// Pages are named by their path of captions joined with '/', e.g. "ИЗМЕРЕНИЕ",
// "НАСТРОЙКИ РАБОТЫ/ВЫХОД 1" or "НАСТРОЙКИ РАБОТЫ/СПЕЦ./ВИХР./ОТСЕЧКА". A page without
// nested tabs starts as an empty QWidget without a layout; the window mounts the screen that
// fills it. A page with nested tabs holds only its QTabWidget.
//
// A hidden page has no tab in its tab control at all (its widget stays in the tree): Qt's
// own hidden tabs break the bar's scrolling when the last tab is hidden, and "ВСЕ НАСТРОЙКИ"
// is last. Indices here are positions in the table, hidden pages counted, as the profile's
// ActivePageIndex keys store them.

#include "config/ScreenPaths.h"

#include <QString>
#include <QTabWidget>
#include <QWidget>
#include <map>
#include <span>
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
    QTabWidget* workTabs() const { return tabsOf(pages::work); }

    // The page at path; nullptr for an unknown path.
    QWidget* page(std::string_view path) const;
    // The tab control inside the page at path (nullptr when it has no nested tabs); "" gives
    // the main tab control.
    QTabWidget* tabsOf(std::string_view path) const;

    enum class Scroll : bool { No, Yes };
    // Fills the empty page at path with screen, without margins; with Scroll::Yes inside a
    // scroll area. std::logic_error for an unknown path or a page that is already filled.
    void mount(std::string_view path, QWidget* screen, Scroll scroll = Scroll::No);

    // Position of the page at path in its table of captions, -1 when unknown.
    int indexOf(std::string_view path) const;
    // Shows or hides the tab of the page at path.
    void setTabVisible(std::string_view path, bool visible);
    bool isTabVisible(std::string_view path) const;
    // Makes the page at path the current page of its tab control, showing its tab when it
    // is hidden (a profile can name a hidden service page as the active one).
    void select(std::string_view path);
    // The same by position in the table of the tab control inside tabsPath ("" = main);
    // nothing for a position out of range.
    void select(std::string_view tabsPath, int index);
    // Position of the current page of the tab control inside tabsPath, -1 when none.
    int currentIndex(std::string_view tabsPath) const;

    // Every tab control, the main one first.
    std::vector<QTabWidget*> allTabControls() const;
    // Every page path in tree order.
    const std::vector<std::string>& paths() const { return screenPaths(); }

    // The tab visibility of the start: "АРХИВ" shown, "ОБСЛУЖИВАНИЕ" only with
    // electrodeCleaningTab, the service pages "СЛУЖЕБНЫЕ ПАР.", "ВНЕШН. ДАТЧИКИ",
    // "ВСЕ НАСТРОЙКИ" and "ПЕРЕКЛ. ТЕХНОЛОГ. РАЗЪЕМА" hidden.
    void applyStartVisibility(bool electrodeCleaningTab);
    // Shows or hides the tabs of those four service pages together (menu "Вид" >
    // "Служебные страницы").
    void setServiceTabsVisible(bool visible);

private:
    struct Slot {
        std::string path;
        QWidget* page;
        QString caption;
        bool shown = true;
    };
    void build(QTabWidget* tabs, const std::string& prefix, std::span<const ScreenNode> nodes);
    Slot* slotOf(std::string_view path);
    const Slot* slotOf(std::string_view path) const;

    QTabWidget* main_ = nullptr;
    std::map<std::string, QWidget*, std::less<>> pages_;
    std::map<std::string, QTabWidget*, std::less<>> tabs_;       // the control inside a page
    std::map<std::string, QTabWidget*, std::less<>> parentTabs_; // the control holding a page
    std::map<const QTabWidget*, std::vector<Slot>> slots_;       // a control's pages in order
};

} // namespace flowcfg
