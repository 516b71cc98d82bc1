#pragma once
// The "ИЗМЕРЕНИЕ" page as plain data: every field the page shows, with its text and colour,
// the focus target of the buttons and the "ЧИТАТЬ" lamp. The display routines
// (MeasureDisplay.h) and the panel (MeasurePanel.h) paint this model; the Qt view renders it
// 1:1 after every click and every poll tick. Texts are shown as produced, trailing blanks
// included (the left-justified number formats pad with blanks).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace flowcfg {

// The page's colours. ButtonFace is the system's neutral button colour, which has no fixed
// RGB: the view takes it from its palette.
enum class ScreenColour : std::uint8_t {
    White,      // (255, 255, 255) normal
    Yellow,     // (255, 255, 0) error
    LightGreen, // (192, 220, 192) normal with the flow cut-off active
    Green,      // (0, 255, 0) an active flag (the "ЧИТАТЬ" lamp while on)
    ButtonFace, // neutral, not measured
};

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// RGB of a colour; nullopt for ButtonFace.
constexpr std::optional<Rgb> rgbOf(ScreenColour colour) {
    switch (colour) {
    case ScreenColour::White:
        return Rgb{255, 255, 255};
    case ScreenColour::Yellow:
        return Rgb{255, 255, 0};
    case ScreenColour::LightGreen:
        return Rgb{192, 220, 192};
    case ScreenColour::Green:
        return Rgb{0, 255, 0};
    case ScreenColour::ButtonFace:
        break;
    }
    return std::nullopt;
}

// One field of the page: an edit field, a label or a coloured panel.
struct ScreenField {
    std::string text;
    ScreenColour colour = ScreenColour::White;
    bool operator==(const ScreenField&) const = default;
};

// Where the input focus should go after an operation; the view moves the focus and sets
// the request back to None.
enum class MeasureFocus : std::uint8_t { None, ReadButton, StopButton };

struct MeasureScreen {
    // Flow.
    ScreenField flow;       // "Расход": formatFixed4 of the flow
    ScreenField flowUnit;   // label beside the flow: "м куб/сек", "литры/сек", ...
    ScreenField statusLine; // measurement state, or "Ошибка обмена" on yellow

    // Accumulated volumes and times.
    ScreenField volumeUnit;       // label beside each total: "м куб" or "литр"
    ScreenField volumeSum;        // "Суммарный"
    ScreenField volumeForward;    // "Прямой" (U+)
    ScreenField volumeReverse;    // "Обратный" (U-)
    ScreenField volumeModulus;    // "Модуль"
    ScreenField accumulationTime; // "Время накопления": seconds followed by " c"
    ScreenField runTime; // "Время наработки": followed by " cутки" / " cуток"
    ScreenField volumeState; // the volume error flags, empty while the totals are good

    // Flow from the primary converter (m³/h) and its two status words.
    ScreenField primaryFlow; // "Расход из первичного преобразователя"
    ScreenField primaryHi; // "HI 0x0000"
    ScreenField primaryLo; // "LO 0x0000"

    // Outputs.
    ScreenField current;       // "ТОК", mA
    ScreenField currentState;  // "Норм.", "Задан код", "Задан ток"
    ScreenField out1Mode;      // "ВЫХ 1" mode text
    ScreenField out1Frequency; // Hz, empty unless output 1 is in frequency mode
    ScreenField out2Mode;      // "ВЫХ 2" mode text
    ScreenField out2Frequency;
    // Indicators beside the two output modes: painted only, no read drives them.
    ScreenField out1Indicator{{}, ScreenColour::ButtonFace};
    ScreenField out2Indicator{{}, ScreenColour::ButtonFace};

    // Exchange counters.
    ScreenField cycles{"0", ScreenColour::White}; // "Число циклов обмена"
    ScreenField errors{"0", ScreenColour::White}; // "Число ошибок"

    // The "ЧИТАТЬ" lamp: Green while the outputs are read with every measurement, else
    // ButtonFace. Clicking it toggles (MeasurePanel::toggleOutputsRead).
    ScreenColour readOutputsLamp = ScreenColour::Green;
    // True while the cyclic poll is on (the view may use it to enable the stop button).
    bool cyclic = false;
    MeasureFocus focus = MeasureFocus::None;
};

// The fixed captions of the page.
namespace measure_caption {
inline constexpr std::string_view page = "ИЗМЕРЕНИЕ";
inline constexpr std::string_view flow = "Расход";
inline constexpr std::string_view volumeSum = "Суммарный";
inline constexpr std::string_view volumeForward = "Прямой";
inline constexpr std::string_view volumeReverse = "Обратный";
inline constexpr std::string_view volumeModulus = "Модуль";
inline constexpr std::string_view accumulationTime = "Время накопления";
inline constexpr std::string_view runTime = "Время наработки";
inline constexpr std::string_view primaryFlow = "Расход из первичного преобразователя";
inline constexpr std::string_view primaryFlowUnit = "м куб / час";
inline constexpr std::string_view current = "ТОК";
inline constexpr std::string_view currentUnit = "мА";
inline constexpr std::string_view out1 = "ВЫХ 1";
inline constexpr std::string_view out2 = "ВЫХ 2";
inline constexpr std::string_view readOutputs = "ЧИТАТЬ";
inline constexpr std::string_view cycles = "Число циклов обмена";
inline constexpr std::string_view errors = "Число ошибок";
inline constexpr std::string_view readButton = "Прочитать";
inline constexpr std::string_view cyclicButton = "Циклическое чтение";
inline constexpr std::string_view stopButton = "Остановить чтение";
inline constexpr std::string_view resetErrorsButton = "Сброс числа ошибок";
inline constexpr std::string_view resetVolumeButton = "Сброс накопленного объема";
} // namespace measure_caption

} // namespace flowcfg
