#pragma once
// The logic of the "АРХИВ" page: the settings operations (interval, frame counters, frame to
// be read) and the archive download, over one ArchiveImage allocated for the controller's
// life. The view calls the operations, arms its timer as start()/tick() say, and renders
// screen() whenever `changed` fires (also in the middle of an operation).

#include "archive/ArchiveImage.h"
#include "archive/ArchiveScreen.h"
#include "archive/ArchiveTransfer.h"
#include "link/LinkContext.h"
#include "model/DeviceImage.h"
#include "model/WriteGuard.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace flowcfg {

inline constexpr std::string_view kIntervalReadSuccess =
    "Чтение интервала записи в архив успешно осуществлено.";
inline constexpr std::string_view kIntervalWriteQuestion = "Интервал архивации будет переписан?.";
inline constexpr std::string_view kIntervalWriteSuccess =
    "Запись интервала архивации успешно осуществлена.";
inline constexpr std::string_view kFrameDataReadSuccess =
    "Чтение данных о кадрах успешно осуществлено.";
inline constexpr std::string_view kFrameNumberWriteQuestion =
    "Номер читаемого кадра будет переписан?.";
inline constexpr std::string_view kFrameNumberWriteSuccess =
    "Запись номера читаемого кадра успешно осуществлена.";
inline constexpr std::string_view kIntegerInputError =
    "Вводимые данные не получается представить целым числом.";

// Timer interval of the transfer while it runs.
inline constexpr int kTransferTickMs = 1;

class ArchiveController {
public:
    ArchiveController(LinkContext& ctx, DeviceImage& device, std::filesystem::path exportDir = {});

    // "ПРОЧИТАТЬ" / "ЗАПИСАТЬ" of the interval (with the two hidden selectors).
    OperationOutcome readInterval();
    OperationOutcome writeInterval();
    // "ПРОЧИТАТЬ" of the frame data: the counters and the block count.
    OperationOutcome readFrameData();
    // "ПРОЧИТАТЬ" / "ЗАПИСАТЬ" under "НОМЕР ЧИТАЕМОГО КАДРА".
    OperationOutcome readFrameNumber();
    OperationOutcome writeFrameNumber();

    // The three download buttons (nullopt: every frame) and "Остановить ". start and tick
    // return whether the transfer timer is to be armed (kTransferTickMs).
    bool start(std::optional<std::uint32_t> frames);
    bool tick();
    void stop();

    // Copies the image's archive values into the screen (start-up and after reads).
    void show();

    ArchiveScreen& screen() { return screen_; }
    const ArchiveScreen& screen() const { return screen_; }
    const ArchiveTransfer& transfer() const { return transfer_; }
    ArchiveTransfer& transfer() { return transfer_; }
    const ArchiveImage& image() const { return image_; }

    // Fires after every change of the screen.
    std::function<void()> changed;

private:
    void showSettings();
    void refresh();
    bool takeSelectors();
    bool takeFrameNumber();

    LinkContext& ctx_;
    DeviceImage& device_;
    ArchiveImage image_;
    ArchiveTransfer transfer_;
    ArchiveScreen screen_;
};

} // namespace flowcfg
