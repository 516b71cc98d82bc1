#include "app/ConfigPageViews.h"

#include "app/ScreenTree.h"

#include <stdexcept>
#include <string>

namespace flowcfg {

ConfigPageViews::ConfigPageViews(ConfigPages& pages, ScreenTree& tree, QObject* parent)
    : QObject(parent), pages_(pages) {
    for (PageModel& model : pages_.pages()) {
        const std::string_view path = model.definition().path;
        const PageView::Actions actions{
            [this, path](std::uint8_t s) { read(path, s); },
            [this, path](std::uint8_t s) { write(path, s); },
            [this, path](std::string_view id) {
                pages_.page(path).click(id, pages_.image());
                view(path).render();
            },
            [this](CommandRef ref) { press(ref); },
        };
        auto* v = new PageView(model, actions);
        tree.mount(path, v, ScreenTree::Scroll::Yes);
        views_.push_back(v);
    }
    pages_.changed = [this] { renderAll(); };
}

ConfigPageViews::~ConfigPageViews() {
    pages_.changed = nullptr;
}

PageView& ConfigPageViews::view(std::string_view path) const {
    for (PageView* v : views_)
        if (v->path() == path)
            return *v;
    throw std::out_of_range("no page view " + std::string(path));
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

void ConfigPageViews::read(std::string_view path, std::uint8_t section) {
    if (pages_.link().exchanging != 0)
        return;   // another operation holds the link: the click does nothing
    collectAll(); // a read shows only its groups: the other fields keep what was typed
    pages_.read({path, section});
    renderAll();
}

void ConfigPageViews::write(std::string_view path, std::uint8_t section) {
    if (pages_.link().exchanging != 0)
        return;
    collectAll();
    pages_.write({path, section});
    renderAll();
}

void ConfigPageViews::press(CommandRef command) {
    if (pages_.link().exchanging != 0)
        return;
    collectAll();
    pages_.press(command);
    renderAll();
}

} // namespace flowcfg
