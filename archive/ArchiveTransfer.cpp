#include "archive/ArchiveTransfer.h"

#include "archive/ArchiveRegisters.h"
#include "link/ModbusMaster.h"
#include "link/Outcome.h"
#include "link/Ports.h"

#include <algorithm>

namespace flowcfg {

namespace {

constexpr std::string_view kNoFramesPerBlock =
    "Прибор сообщает 0 кадров в блоке: число блоков не вычислить, перенос архива не выполняется.";
constexpr std::string_view kNoFramesPerBlockStatus = "Перенос архива невозможен: 0 кадров в блоке";

std::string clampedTransferText(std::uint64_t blocks) {
    return std::string(kStatusTransfer) + " (блоков " + std::to_string(blocks) +
           ", образ вмещает " + std::to_string(archiveSlotCount) + ": читаются первые " +
           std::to_string(archiveSlotCount) + ")";
}

std::string exportFailureText(const ArchiveExportResult& r, const std::string& retry) {
    std::string text = "Не удалось записать файл архива\n" + r.path.string() + "\n" + r.error;
    if (!retry.empty())
        text += "\n" + retry;
    return text;
}

} // namespace

std::string blockProgressText(std::uint32_t block, std::uint32_t planned) {
    return "Прочитан блок #" + std::to_string(block) + " из " + std::to_string(planned);
}

std::string stoppedText(std::uint64_t fetched, std::uint64_t planned) {
    return std::string(kStatusStopped) + " (прочитано кадров: " + std::to_string(fetched) + " из " +
           std::to_string(planned) + ")";
}

ArchiveTransfer::ArchiveTransfer(LinkContext& ctx, DeviceImage& device, ArchiveImage& image,
                                 std::filesystem::path exportDir)
    : ctx_(ctx), device_(device), image_(image), exportDir_(std::move(exportDir)) {}

void ArchiveTransfer::setStatus(std::string_view text) {
    status_ = text;
    if (changed)
        changed();
}

bool ArchiveTransfer::start(std::optional<std::uint32_t> frames) {
    if (state_ == TransferState::Preparing)
        return false;
    OperationGuard guard(ctx_);
    if (!guard)
        return false;
    if (!openPort(ctx_))
        return false;

    const TransferState before = state_;
    const std::string statusBefore = status_;
    state_ = TransferState::Preparing;
    startCancelled_ = false;
    setStatus(kStatusPreparing);
    const ExchangeResult counters = readFrameCounters(ctx_, device_);
    if (startCancelled_) // stopped while the counters were read: stop() has exported
        return false;
    if (!stepSucceeded(counters)) {
        state_ = before;
        setStatus(statusBefore);
        showExchangeFailure(ctx_, counters);
        return false;
    }
    if (changed)
        changed(); // the counters and the block count are on show now

    const auto& rd = device_.readings;
    const auto blocks = archiveBlockCount(frames.value_or(rd.total_frames), rd.frames_per_block);
    if (!blocks) {
        state_ = before;
        setStatus(kNoFramesPerBlockStatus);
        ctx_.dialogs.message(std::string(kResultCaption), std::string(kNoFramesPerBlock),
                             DialogIcon::Warning);
        return false;
    }
    total_frames_ = rd.total_frames;
    blocks_planned_ =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(*blocks, archiveSlotCount));
    frames_per_block_ = rd.frames_per_block;
    frames_planned_ = std::min<std::uint64_t>(frames.value_or(rd.total_frames),
                                              std::uint64_t{blocks_planned_} * frames_per_block_);
    blocks_read_ = 0;
    next_block_ = 0;

    setStatus(kStatusClearing);
    image_.clearSlots();

    state_ = TransferState::Running;
    setStatus(*blocks > archiveSlotCount ? clampedTransferText(*blocks)
                                         : std::string(kStatusTransfer));
    return true;
}

bool ArchiveTransfer::tick() {
    if (state_ != TransferState::Running)
        return false;
    OperationGuard guard(ctx_);
    if (!guard)
        return true; // another operation is exchanging: try again on the next tick

    ModbusMaster master(ctx_);
    bool fetched = false;
    for (int attempt = 0; attempt < kBlockAttempts && state_ == TransferState::Running; ++attempt) {
        ctx_.pump.processEvents();
        if (state_ != TransferState::Running)
            break;
        if (stepSucceeded(master.readArchiveBlock(next_block_, image_.receiveBuffer()))) {
            fetched = true;
            break;
        }
        if (ctx_.port && ctx_.port->lost())
            break; // no use asking again: the blocks read so far stay in the image
    }
    const bool stoppedMeanwhile = state_ != TransferState::Running;
    if (!fetched) {
        if (!stoppedMeanwhile) {
            state_ = TransferState::Halted;
            if (!reportLostPort(ctx_))
                ctx_.dialogs.message(std::string(kResultCaption),
                                     std::string(kPersistentBlockError), DialogIcon::Exclamation);
        }
        return false;
    }
    if (stoppedMeanwhile) {
        // Stop has exported already; the block goes into the image only.
        image_.storeReceived(blocks_read_++);
        return false;
    }

    image_.storeReceived(blocks_read_);
    setStatus(blockProgressText(blocks_read_, blocks_planned_));
    ++blocks_read_;
    if (blocks_read_ >= blocks_planned_) {
        state_ = TransferState::Finished;
        setStatus(kStatusFinished);
        exportImage(exportPrefixFinished);
        return false;
    }
    ++next_block_;
    ctx_.pump.processEvents();
    return state_ == TransferState::Running;
}

std::uint64_t ArchiveTransfer::framesFetched() const {
    return std::min(std::uint64_t{blocksFetched()} * frames_per_block_, frames_planned_);
}

std::uint32_t ArchiveTransfer::blocksFetched() const {
    return std::min(blocks_read_, blocks_planned_);
}

void ArchiveTransfer::stop() {
    if (state_ == TransferState::Preparing)
        startCancelled_ = true;
    const bool started = state_ != TransferState::Idle;
    state_ = TransferState::Stopped;
    setStatus(started ? stoppedText(framesFetched(), frames_planned_)
                      : std::string(kStatusStopped));
    exportImage(exportPrefixStopped);
}

void ArchiveTransfer::exportImage(std::string_view prefix) {
    lastExport_ =
        exportArchive(image_, blocksFetched(), total_frames_, prefix, ctx_.clock, exportDir_);
    if (!lastExport_->ok)
        ctx_.dialogs.message(std::string(kResultCaption),
                             exportFailureText(*lastExport_, exportRetry_), DialogIcon::Error);
    if (changed)
        changed();
}

} // namespace flowcfg
