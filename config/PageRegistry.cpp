#include "config/PageRegistry.h"

#include "config/PageFamilies.h"

#include <stdexcept>
#include <string>

namespace flowcfg {

const std::vector<const PageDefinition*>& configPages() {
    static const std::vector<const PageDefinition*> pages = [] {
        std::vector<const PageDefinition*> out;
        for (const auto family : {measurementPages, deviceServicePages, sensorPages,
                                  externalSensorPages, allSettingsPages})
            for (const PageDefinition& page : family())
                out.push_back(&page);
        return out;
    }();
    return pages;
}

const PageDefinition* findPage(std::string_view path) {
    for (const PageDefinition* page : configPages())
        if (page->path == path)
            return page;
    return nullptr;
}

const std::vector<PagePart>& allButtons() {
    static const std::vector<PagePart> parts = [] {
        std::vector<PagePart> out;
        for (const PageDefinition* page : configPages())
            for (std::size_t s = 0; s < page->sections.size(); ++s)
                if (page->sections[s].buttons.any())
                    out.push_back({page->path, static_cast<std::uint8_t>(s)});
        return out;
    }();
    return parts;
}

std::optional<PagePart> findButtons(std::string_view name) {
    for (const PagePart& part : allButtons())
        if (buttonsOf(part).name == name)
            return part;
    return std::nullopt;
}

const PageSection& sectionOf(PagePart part) {
    const PageDefinition* page = findPage(part.page);
    if (page == nullptr || part.section >= page->sections.size())
        throw std::out_of_range("no page section " + std::string(part.page) + " #" +
                                std::to_string(part.section));
    return page->sections[part.section];
}

const SectionButtons& buttonsOf(PagePart part) {
    return sectionOf(part).buttons;
}

} // namespace flowcfg
