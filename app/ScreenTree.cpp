#include "app/ScreenTree.h"

#include "app/QtText.h"

#include <QFrame>
#include <QScrollArea>
#include <QVBoxLayout>
#include <stdexcept>

namespace flowcfg {

ScreenTree::ScreenTree(QWidget* parent) {
    main_ = new QTabWidget(parent);
    main_->setObjectName(QStringLiteral("mainTabs"));
    tabs_.emplace("", main_);
    build(main_, "", screenTree());
}

void ScreenTree::build(QTabWidget* tabs, const std::string& prefix,
                       std::span<const ScreenNode> nodes) {
    for (const ScreenNode& node : nodes) {
        const std::string caption(node.caption);
        const std::string path = prefix.empty() ? caption : prefix + "/" + caption;
        auto* page = new QWidget(tabs);
        page->setObjectName(qs(path));
        tabs->addTab(page, qs(caption));
        pages_.emplace(path, page);
        parentTabs_.emplace(path, tabs);
        slots_[tabs].push_back({path, page, qs(caption)});
        if (!node.children.empty()) {
            auto* layout = new QVBoxLayout(page);
            layout->setContentsMargins(4, 4, 4, 4);
            auto* inner = new QTabWidget(page);
            inner->setObjectName(qs(path + "/"));
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

void ScreenTree::mount(std::string_view path, QWidget* screen, Scroll scroll) {
    QWidget* container = page(path);
    if (container == nullptr || container->layout() != nullptr)
        throw std::logic_error("no empty page " + std::string(path) + " to mount a screen in");
    auto* layout = new QVBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    if (scroll == Scroll::No) {
        screen->setParent(container);
        layout->addWidget(screen);
        return;
    }
    auto* area = new QScrollArea(container);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidget(screen);
    layout->addWidget(area);
}

ScreenTree::Slot* ScreenTree::slotOf(std::string_view path) {
    return const_cast<Slot*>(std::as_const(*this).slotOf(path));
}

const ScreenTree::Slot* ScreenTree::slotOf(std::string_view path) const {
    const auto it = parentTabs_.find(path);
    if (it == parentTabs_.end())
        return nullptr;
    for (const Slot& s : slots_.at(it->second))
        if (s.path == path)
            return &s;
    return nullptr;
}

int ScreenTree::indexOf(std::string_view path) const {
    const Slot* slot = slotOf(path);
    if (slot == nullptr)
        return -1;
    const auto& all = slots_.at(parentTabs_.find(path)->second);
    return static_cast<int>(slot - all.data());
}

void ScreenTree::setTabVisible(std::string_view path, bool visible) {
    Slot* slot = slotOf(path);
    if (slot == nullptr || slot->shown == visible)
        return;
    QTabWidget* tabs = parentTabs_.find(path)->second;
    if (!visible) {
        tabs->removeTab(tabs->indexOf(slot->page));
        slot->shown = false;
        return;
    }
    int position = 0;
    for (const Slot& s : slots_.at(tabs)) {
        if (&s == slot)
            break;
        position += s.shown ? 1 : 0;
    }
    tabs->insertTab(position, slot->page, slot->caption);
    slot->shown = true;
}

bool ScreenTree::isTabVisible(std::string_view path) const {
    const Slot* slot = slotOf(path);
    return slot != nullptr && slot->shown;
}

void ScreenTree::select(std::string_view path) {
    const auto it = parentTabs_.find(path);
    if (it == parentTabs_.end())
        return;
    setTabVisible(path, true);
    it->second->setCurrentWidget(page(path));
}

void ScreenTree::select(std::string_view tabsPath, int index) {
    const QTabWidget* tabs = tabsOf(tabsPath);
    if (tabs == nullptr)
        return;
    const auto& all = slots_.at(tabs);
    if (index >= 0 && static_cast<std::size_t>(index) < all.size())
        select(all[static_cast<std::size_t>(index)].path);
}

int ScreenTree::currentIndex(std::string_view tabsPath) const {
    const QTabWidget* tabs = tabsOf(tabsPath);
    if (tabs == nullptr)
        return -1;
    const auto& all = slots_.at(tabs);
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].page == tabs->currentWidget())
            return static_cast<int>(i);
    return -1;
}

std::vector<QTabWidget*> ScreenTree::allTabControls() const {
    std::vector<QTabWidget*> out{main_};
    for (const auto& path : paths())
        if (QTabWidget* t = tabsOf(path))
            out.push_back(t);
    return out;
}

void ScreenTree::applyStartVisibility(bool electrodeCleaningTab) {
    setTabVisible(pages::archive, true);
    setTabVisible(pages::service, electrodeCleaningTab);
    setServiceTabsVisible(false);
}

void ScreenTree::setServiceTabsVisible(bool visible) {
    for (const std::string_view path :
         {pages::servicePar, pages::extSensors, pages::allSettings, pages::connectorSwitch})
        setTabVisible(path, visible);
}

} // namespace flowcfg
