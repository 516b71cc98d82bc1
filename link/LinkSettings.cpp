#include "link/LinkSettings.h"

#include <array>
#include <string_view>

namespace flowcfg {

namespace {

constexpr std::uint16_t kFirstSpeedIndex = 3;
constexpr std::uint16_t kLastSpeedIndex = 10;
constexpr std::uint16_t kDefaultSpeedIndex = 7;
// Baud texts of speed index 3..10, in the order the Settings parser looks for them.
constexpr std::array<std::string_view, 8> kBaudTexts = {"1200",  "2400",  "4800",  "9600",
                                                        "19200", "38400", "57600", "115200"};

bool known(std::uint16_t speedIndex) {
    return speedIndex >= kFirstSpeedIndex && speedIndex <= kLastSpeedIndex;
}

} // namespace

std::size_t timeoutSlot(std::uint16_t speedIndex) {
    return known(speedIndex) ? speedIndex - kFirstSpeedIndex : kBaudTexts.size();
}

std::uint32_t baudOfSpeedIndex(std::uint16_t speedIndex) {
    static constexpr std::array<std::uint32_t, 11> kBauds = {110,  300,   600,   1200,  2400,  4800,
                                                             9600, 19200, 38400, 57600, 115200};
    return speedIndex < kBauds.size() ? kBauds[speedIndex] : 19200;
}

std::uint32_t bitsPerCharacter(const LinkSettings& s) {
    return s.parity == 1 || s.parity == 2 ? 11 : 10;
}

std::uint32_t frameSilenceMs(const LinkSettings& s) {
    constexpr std::uint32_t kFastLineMs = 2; // 1.75 ms, rounded up
    const std::uint32_t baud = baudOfSpeedIndex(s.speedIndex);
    if (baud > 19200)
        return kFastLineMs;
    // 3.5 * bits * 1000 / baud, rounded up
    return (35 * bitsPerCharacter(s) * 100 + baud - 1) / baud;
}

void parseSettingsText(const std::string& text, std::uint16_t& speedIndex, std::uint16_t& parity) {
    // Each speed found anywhere in the text overrides the one before ("115200" contains
    // "1200", so the later, longer match wins); data and stop bits are ignored.
    speedIndex = kDefaultSpeedIndex;
    for (std::size_t i = 0; i < kBaudTexts.size(); ++i) {
        if (text.find(kBaudTexts[i]) != std::string::npos)
            speedIndex = static_cast<std::uint16_t>(kFirstSpeedIndex + i);
    }
    parity = 0;
    if (text.find('N') != std::string::npos)
        parity = 0;
    if (text.find('E') != std::string::npos)
        parity = 2;
    if (text.find('O') != std::string::npos)
        parity = 1;
}

std::string composeSettingsText(std::uint16_t speedIndex, std::uint16_t parity) {
    std::string text(known(speedIndex) ? kBaudTexts[timeoutSlot(speedIndex)] : "19200");
    text += ',';
    text += parity == 1 ? "O," : parity == 2 ? "E," : "N,";
    text += "8,2";
    return text;
}

std::string linkStatusText(const LinkSettings& settings) {
    std::string text = "COM" + std::to_string(settings.Number) + ", ";
    if (known(settings.speedIndex)) {
        text += kBaudTexts[timeoutSlot(settings.speedIndex)];
        text += " ,";
    } else {
        text += '?';
    }
    text += settings.parity == 1   ? " нечетный паритет "
            : settings.parity == 2 ? " четный паритет "
                                   : " без паритета ";
    return text;
}

} // namespace flowcfg
