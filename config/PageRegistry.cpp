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

const PageDefinition* findPage(std::string_view path, PageList pages) {
    for (const PageDefinition* page : pages)
        if (page->path == path)
            return page;
    return nullptr;
}

std::vector<PagePart> allButtons(PageList pages) {
    std::vector<PagePart> out;
    for (const PageDefinition* page : pages)
        for (std::size_t s = 0; s < page->sections.size(); ++s)
            if (page->sections[s].buttons.any())
                out.push_back({page->path, static_cast<std::uint8_t>(s)});
    return out;
}

namespace {

// The first of refs whose button has this name.
template <class Ref, class ButtonOf>
std::optional<Ref> named(const std::vector<Ref>& refs, std::string_view name, ButtonOf buttonOf) {
    for (const Ref& ref : refs)
        if (buttonOf(ref).name == name)
            return ref;
    return std::nullopt;
}

} // namespace

std::optional<PagePart> findButtons(std::string_view name, PageList pages) {
    return named(allButtons(pages), name, [&](PagePart p) { return buttonsOf(p, pages); });
}

const PageSection& sectionOf(PagePart part, PageList pages) {
    const PageDefinition* page = findPage(part.page, pages);
    if (page == nullptr || part.section >= page->sections.size())
        throw std::out_of_range("no page section " + std::string(part.page) + " #" +
                                std::to_string(part.section));
    return page->sections[part.section];
}

const SectionButtons& buttonsOf(PagePart part, PageList pages) {
    return sectionOf(part, pages).buttons;
}

std::vector<CommandRef> allCommands(PageList pages) {
    std::vector<CommandRef> out;
    for (const PageDefinition* page : pages)
        for (std::size_t s = 0; s < page->sections.size(); ++s)
            for (std::size_t c = 0; c < page->sections[s].commands.size(); ++c)
                out.push_back(
                    {{page->path, static_cast<std::uint8_t>(s)}, static_cast<std::uint8_t>(c)});
    return out;
}

std::optional<CommandRef> findCommand(std::string_view name, PageList pages) {
    return named(allCommands(pages), name, [&](CommandRef r) { return commandOf(r, pages); });
}

const CommandButton& commandOf(CommandRef ref, PageList pages) {
    const auto commands = sectionOf(ref.part, pages).commands;
    if (ref.index >= commands.size())
        throw std::out_of_range("no command button #" + std::to_string(ref.index) + " in " +
                                std::string(ref.part.page));
    return commands[ref.index];
}

} // namespace flowcfg
