#include "app/ConfigPageViews.h"

#include "app/MainWindow.h"

#include <QScrollArea>
#include <QVBoxLayout>

namespace flowcfg {

ConfigPageViews::ConfigPageViews(LinkContext& link, DeviceImage& image,
                                 const std::array<QWidget*, kPageCount>& containers,
                                 QObject* parent)
    : QObject(parent), link_(link), pages_(link, image) {
    const PageView::Actions actions{
        [this](PageId p, std::uint8_t s) { read(p, s); },
        [this](PageId p, std::uint8_t s) { write(p, s); },
        [this](PageId p, std::string_view id) {
            pages_.page(p).click(id, pages_.image());
            view(p).render();
        },
    };
    for (std::size_t i = 0; i < kPageCount; ++i) {
        const auto id = static_cast<PageId>(i);
        QWidget* container = containers[i];
        auto* scroll = new QScrollArea(container);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        views_[i] = new PageView(id, pages_.page(id), actions);
        scroll->setWidget(views_[i]);
        auto* layout = new QVBoxLayout(container);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(scroll);
    }
}

void ConfigPageViews::collectAll() {
    for (PageView* v : views_)
        v->collect();
}

void ConfigPageViews::renderAll() {
    for (PageView* v : views_)
        v->render();
}

void ConfigPageViews::showImage() {
    pages_.showAll();
    renderAll();
}

void ConfigPageViews::read(PageId page, std::uint8_t section) {
    const PageButtons* buttons = findPageButtons(page, section);
    if (buttons == nullptr || link_.exchanging != 0)
        return;   // another operation holds the link: the click does nothing
    collectAll(); // a read shows only its groups: the other fields keep what was typed
    pages_.read(*buttons);
    renderAll();
}

void ConfigPageViews::write(PageId page, std::uint8_t section) {
    const PageButtons* buttons = findPageButtons(page, section);
    if (buttons == nullptr || link_.exchanging != 0)
        return;
    collectAll();
    pages_.write(*buttons);
    renderAll();
}

ConfigPageViews* installConfigPages(MainWindow& window) {
    std::array<QWidget*, kPageCount> containers{};
    for (std::size_t i = 0; i < kPageCount; ++i)
        containers[i] = window.pageContainer(pagePath(static_cast<PageId>(i)));
    auto* views = new ConfigPageViews(window.link(), window.image(), containers, &window);
    MainWindow::PageHooks hooks;
    hooks.showImage = [views] { views->showImage(); };
    window.addPageHooks(std::move(hooks));
    return views;
}

} // namespace flowcfg
