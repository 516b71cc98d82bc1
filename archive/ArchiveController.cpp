#include "archive/ArchiveController.h"

#include "archive/ArchiveRegisters.h"
#include "link/Outcome.h"
#include "model/WriteGuard.h"

#include <algorithm>
#include <charconv>

namespace flowcfg {

namespace {

constexpr std::string_view kInputErrorCaption = "Ошибка ввода";
constexpr std::string_view kNothingWritten = "Запись данных не будет производиться.";
constexpr std::string_view kMessageCaption = "Сообщение";
constexpr std::string_view kNoBlockCount = "—";

// Show rule of the selectors: a code beyond the list keeps the previous selection.
void showIndex(int& index, std::uint32_t code, std::size_t items) {
    if (code < items)
        index = static_cast<int>(code);
}

std::uint16_t takeIndex(int index, std::size_t items) {
    return static_cast<std::uint16_t>(std::clamp<int>(index, 0, static_cast<int>(items) - 1));
}

// A frame number as typed: blanks around it, decimal digits, optional '+', 32 bits.
std::optional<std::uint32_t> parseFrameNumber(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return std::nullopt;
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (text.front() == '+')
        text.remove_prefix(1);
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

} // namespace

ArchiveController::ArchiveController(LinkContext& ctx, DeviceImage& device,
                                     std::filesystem::path exportDir)
    : ctx_(ctx), device_(device), transfer_(ctx, device, image_, std::move(exportDir)) {
    transfer_.changed = [this] { refresh(); };
    show();
}

void ArchiveController::show() {
    showSettings();
    screen_.readFrameNumber = std::to_string(device_.readings.read_frame_number);
    refresh();
}

void ArchiveController::showSettings() {
    showIndex(screen_.intervalIndex, device_.frame_write.frame_write_interval_sec,
              intervalItems().size());
    showIndex(screen_.frameTypeIndex, device_.frame_write.frame_write_type,
              frameTypeItems().size());
    showIndex(screen_.frameNumberAfterReadIndex, device_.readings.frame_number_after_read,
              frameNumberAfterReadItems().size());
}

void ArchiveController::refresh() {
    const auto& rd = device_.readings;
    screen_.totalFrames = std::to_string(rd.total_frames);
    screen_.currentFrame = std::to_string(rd.current_frame);
    const auto blocks = archiveBlockCount(rd.total_frames, rd.frames_per_block);
    screen_.blocks = blocks ? std::to_string(*blocks) : std::string(kNoBlockCount);
    screen_.status = transfer_.status();
    screen_.progressValue = transfer_.blocksRead();
    screen_.progressMaximum = transfer_.blocksPlanned();
    screen_.transferRunning = transfer_.transferRunning();
    if (changed)
        changed();
}

bool ArchiveController::takeSelectors() {
    device_.frame_write.frame_write_interval_sec =
        takeIndex(screen_.intervalIndex, intervalItems().size());
    device_.frame_write.frame_write_type =
        takeIndex(screen_.frameTypeIndex, frameTypeItems().size());
    device_.readings.frame_number_after_read =
        takeIndex(screen_.frameNumberAfterReadIndex, frameNumberAfterReadItems().size());
    return true;
}

bool ArchiveController::takeFrameNumber() {
    const auto value = parseFrameNumber(screen_.readFrameNumber);
    if (!value) {
        ctx_.dialogs.message(std::string(kInputErrorCaption), std::string(kIntegerInputError),
                             DialogIcon::Exclamation);
        ctx_.dialogs.message(std::string(kMessageCaption), std::string(kNothingWritten),
                             DialogIcon::Information);
        return false;
    }
    device_.readings.read_frame_number = *value;
    return true;
}

OperationOutcome ArchiveController::readInterval() {
    ReadOperation op;
    op.steps.push_back({[this](LinkContext& c) { return readArchiveSettings(c, device_); }});
    op.success = kIntervalReadSuccess;
    op.show = [this] {
        showSettings();
        refresh();
    };
    return runReadOperation(ctx_, op);
}

OperationOutcome ArchiveController::writeInterval() {
    WriteOperation op;
    op.confirmation = kIntervalWriteQuestion;
    op.success = kIntervalWriteSuccess;
    op.take = [this] { return takeSelectors(); };
    op.steps.push_back({[this](LinkContext& c) { return writeArchiveSettings(c, device_); }});
    return runWriteOperation(ctx_, op);
}

OperationOutcome ArchiveController::readFrameData() {
    ReadOperation op;
    op.steps.push_back({[this](LinkContext& c) { return readFrameCounters(c, device_); }});
    op.success = kFrameDataReadSuccess;
    op.show = [this] { refresh(); };
    return runReadOperation(ctx_, op);
}

OperationOutcome ArchiveController::readFrameNumber() {
    ReadOperation op;
    op.steps.push_back({[this](LinkContext& c) { return readReadFrameNumber(c, device_); }});
    op.success = kIntervalReadSuccess; // the meter's tool shows the interval text here too
    op.show = [this] {
        screen_.readFrameNumber = std::to_string(device_.readings.read_frame_number);
        refresh();
    };
    return runReadOperation(ctx_, op);
}

OperationOutcome ArchiveController::writeFrameNumber() {
    WriteOperation op;
    op.confirmation = kFrameNumberWriteQuestion;
    op.success = kFrameNumberWriteSuccess;
    op.take = [this] { return takeFrameNumber(); };
    op.steps.push_back({[this](LinkContext& c) { return writeReadFrameNumber(c, device_); }});
    return runWriteOperation(ctx_, op);
}

bool ArchiveController::start(std::optional<std::uint32_t> frames) {
    return transfer_.start(frames);
}

bool ArchiveController::tick() {
    return transfer_.tick();
}

void ArchiveController::stop() {
    transfer_.stop();
}

} // namespace flowcfg
