#pragma once
// The configuration pages in the window: one generated PageView per page row, mounted in
// the page's container of the screen tree. A button press collects every view into the
// models (the measurement write also takes the cut-off page), runs the operation and renders
// every view again; a read renders before its success box. Command buttons go the same way.
// While another operation exchanges, the buttons do nothing. The window builds it once.

#include "app/PageView.h"
#include "config/ConfigPages.h"

#include <QObject>
#include <string_view>
#include <vector>

namespace flowcfg {

class ScreenTree;

class ConfigPageViews final : public QObject {
    Q_OBJECT
public:
    // The pages must outlive the views.
    ConfigPageViews(ConfigPages& pages, ScreenTree& tree, QObject* parent = nullptr);
    ~ConfigPageViews() override;

    ConfigPages& pages() { return pages_; }
    // The view of the page at path; std::out_of_range when there is none.
    PageView& view(std::string_view path) const;
    const std::vector<PageView*>& views() const { return views_; }

    void collectAll();
    void renderAll();
    // The image into every page (start-up, a loaded profile).
    void showImage();

private:
    void read(std::string_view path, std::uint8_t section);
    void write(std::string_view path, std::uint8_t section);
    void press(CommandRef command);

    ConfigPages& pages_;
    std::vector<PageView*> views_; // owned by their page containers
};

} // namespace flowcfg
