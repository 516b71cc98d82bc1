#include "archive/ArchiveScreen.h"

#include <algorithm>

namespace flowcfg {

namespace {

std::vector<std::string> numberedItems() {
    std::vector<std::string> items;
    items.reserve(kIntervalItems);
    items.emplace_back(archive_text::IntervalOff);
    for (int s = 1; s < kIntervalItems; ++s)
        items.push_back(std::to_string(s));
    return items;
}

} // namespace

const std::vector<std::string>& intervalItems() {
    static const std::vector<std::string> items = numberedItems();
    return items;
}

const std::vector<std::string>& frameTypeItems() {
    static const std::vector<std::string> items{"Расширенный", "Сокращенный"};
    return items;
}

const std::vector<std::string>& frameNumberAfterReadItems() {
    static const std::vector<std::string> items{"Не меняется", "Уменьшится на 1",
                                                "Увеличится на 1"};
    return items;
}

std::string intervalText(const ArchiveScreen& screen) {
    const auto& items = intervalItems();
    const int index = std::clamp(screen.intervalIndex, 0, kIntervalItems - 1);
    return items[static_cast<std::size_t>(index)];
}

} // namespace flowcfg
