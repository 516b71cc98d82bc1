#include "link/LinkSettingsScreen.h"

#include "link/Ports.h"

#include <string>

namespace flowcfg {

namespace {

constexpr int kAddressCount = 248;
constexpr int kUnknownSpeedItem = 3; // "9600"

} // namespace

std::span<const std::string_view> speedItems() {
    return kSpeedItems;
}

std::span<const std::string_view> parityItems() {
    return kParityItems;
}

const std::vector<std::string>& addressItems() {
    static const std::vector<std::string> items = [] {
        std::vector<std::string> out;
        for (int a = 0; a < kAddressCount; ++a) {
            std::string text = std::to_string(a);
            out.push_back(std::string(3 - text.size(), ' ') + text);
        }
        return out;
    }();
    return items;
}

LinkSelection linkSelection(const LinkSettings& s) {
    LinkSelection out;
    const int item = static_cast<int>(s.speedIndex) - kFirstSpeedIndex;
    out.speed =
        item >= 0 && item < static_cast<int>(std::size(kSpeedItems)) ? item : kUnknownSpeedItem;
    out.parity = s.parity < std::size(kParityItems) ? s.parity : 0;
    out.address = s.NetAdrr < kAddressCount ? s.NetAdrr : -1;
    out.status = linkStatusText(s);
    out.quickAnswerEnd = s.QuickAnswerEnd == 1;
    return out;
}

PortLists portLists(const std::vector<std::uint16_t>& foundPorts, std::uint16_t configuredPort) {
    PortLists lists;
    if (foundPorts.empty()) {
        lists.selectorText = "портов нет";
        lists.available = {"Нет"};
        return lists;
    }
    const auto add = [&lists](std::uint16_t number, std::string text) {
        lists.items.push_back(std::move(text));
        lists.numbers.push_back(number);
    };
    const auto addConfigured = [&](bool found) {
        lists.selected = static_cast<int>(lists.items.size());
        if (!found)
            add(configuredPort, portName(configuredPort) + " (нет)");
    };
    bool placed = false;
    for (const std::uint16_t port : foundPorts) { // ascending
        if (!placed && configuredPort <= port) {
            addConfigured(configuredPort == port);
            placed = true;
        }
        add(port, portName(port));
        lists.available.push_back(portName(port));
    }
    if (!placed)
        addConfigured(false);
    lists.selectorText = lists.items[static_cast<std::size_t>(lists.selected)];
    return lists;
}

bool chooseSpeed(LinkSettings& settings, int index) {
    settings.speedIndex = index < 0 ? 7 : static_cast<std::uint16_t>(index + kFirstSpeedIndex);
    return true;
}

bool chooseParity(LinkSettings& settings, int index) {
    settings.parity = index < 0 ? 0 : static_cast<std::uint16_t>(index);
    return true;
}

bool chooseAddress(LinkSettings& settings, int index) {
    if (index >= 0)
        settings.NetAdrr = static_cast<std::uint16_t>(index);
    return false;
}

bool choosePort(LinkSettings& settings, const PortLists& ports, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= ports.numbers.size())
        return false;
    settings.Number = ports.numbers[static_cast<std::size_t>(index)];
    return true;
}

bool chooseQuickAnswerEnd(LinkSettings& settings, bool on) {
    settings.QuickAnswerEnd = on ? 1 : 0;
    return false;
}

} // namespace flowcfg
