#pragma once
// The measurement and output pages in the window: "НАСТРОЙКИ РАБОТЫ" > "ИЗМЕРЕНИЕ",
// "ВЫХОД 1", "ВЫХОД 2", "ТОКОВЫЙ ВЫХ" and "ИЗМЕРЕНИЕ ДОП.НАСТР." > "УПРАВЛ. ОТСЕЧКОЙ". One
// PageView per page over the shared ConfigPages; a button press collects every view into
// the models (the measurement write also takes the cut-off page), runs the operation and
// renders every view again (the measurement read also shows the cut-off page). While
// another operation exchanges, the buttons do nothing.
//
//   MainWindow window(env);
//   installConfigPages(window);   // before startUp(): shows the image at start-up
//   window.startUp();

#include "app/PageView.h"
#include "config/ConfigPages.h"

#include <QObject>
#include <array>

namespace flowcfg {

class MainWindow;

class ConfigPageViews final : public QObject {
    Q_OBJECT
public:
    ConfigPageViews(LinkContext& link, DeviceImage& image,
                    const std::array<QWidget*, kPageCount>& containers, QObject* parent = nullptr);

    ConfigPages& pages() { return pages_; }
    PageView& view(PageId id) { return *views_[static_cast<std::size_t>(id)]; }

    void collectAll();
    void renderAll();
    // The image into every page (start-up, a loaded profile).
    void showImage();

private:
    void read(PageId page, std::uint8_t section);
    void write(PageId page, std::uint8_t section);

    LinkContext& link_;
    ConfigPages pages_;
    std::array<PageView*, kPageCount> views_{};
};

// Builds the views into the window's page containers and hooks them to its start-up.
// Returns the views (owned by the window).
ConfigPageViews* installConfigPages(MainWindow& window);

} // namespace flowcfg
