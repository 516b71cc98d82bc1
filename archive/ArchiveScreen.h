#pragma once
// The "АРХИВ" page as plain data: what its controls show. The controller fills it after every
// change; a view renders it and copies the user's selections and the frame-number field back
// before an operation that takes them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg {

namespace archive_text {
inline constexpr std::string_view PageTitle = "АРХИВ";
inline constexpr std::string_view IntervalOff = "выкл.";
inline constexpr std::string_view IntervalUnit = "СЕК";
inline constexpr std::string_view FrameTypeCaption = "ВАРИАНТ ПАРАМЕТРОВ КАДРА";
inline constexpr std::string_view FrameNumberAfterReadCaption = "НОМЕР КАДРА ПОСЛЕ ЧТЕНИЯ";
inline constexpr std::string_view TotalFramesCaption = "ОБЩ. ЧИСЛО КАДРОВ";
inline constexpr std::string_view CurrentFrameCaption = "ТЕКУЩИЙ КАДР";
inline constexpr std::string_view BlocksCaption = "БЛОКОВ";
inline constexpr std::string_view ReadFrameNumberCaption = "НОМЕР ЧИТАЕМОГО КАДРА";
inline constexpr std::string_view Read = "ПРОЧИТАТЬ";
inline constexpr std::string_view Write = "ЗАПИСАТЬ";
inline constexpr std::string_view DownloadAll = "Выкачать всё";
inline constexpr std::string_view Download3600 = "Выкачать 3600 кадров";
inline constexpr std::string_view Download600 = "Выкачать 600 кадров";
inline constexpr std::string_view Stop = "Остановить ";
} // namespace archive_text

// The interval selector: "выкл." and then 1..3600, item index = seconds.
inline constexpr int kIntervalItems = 3601;

struct ArchiveScreen {
    // Selectors (item index = register value).
    int intervalIndex = 1;
    int frameTypeIndex = 1;
    int frameNumberAfterReadIndex = 0;
    bool hiddenSelectorsVisible = false;

    // Counters, as shown beside their captions.
    std::string totalFrames;
    std::string currentFrame;
    std::string blocks;

    // The edit field under "НОМЕР ЧИТАЕМОГО КАДРА".
    std::string readFrameNumber;

    // Status line and the progress beside it (blocks read of planned).
    std::string status;
    std::uint32_t progressValue = 0;
    std::uint32_t progressMaximum = 0;
    bool transferRunning = false;
};

// Items of the three selectors.
const std::vector<std::string>& intervalItems();
const std::vector<std::string>& frameTypeItems(); // "Расширенный", "Сокращенный"
const std::vector<std::string>& frameNumberAfterReadItems(); // "Не меняется", ...
// The selected interval text, which the summary page shows next to "АРХИВ ИНТ ЗАП".
std::string intervalText(const ArchiveScreen& screen);

} // namespace flowcfg
