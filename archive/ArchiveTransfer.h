#pragma once
// Downloading the meter's archive block by block into the ArchiveImage, paced by a timer of
// the caller: start() prepares (reads the counters, plans B blocks, clears the image) and asks
// for the timer; every tick() fetches one block (up to six requests, each with the engine's
// own repeats) and says whether to re-arm; stop() ends the transfer and exports the blocks
// fetched so far, never the slots it did not reach (they would read as frames of zeros), and
// its status says how many frames were fetched of how many. Stop may arrive in the middle of a
// tick (from the event processing inside the exchange): it exports at once, and the tick then
// keeps at most the block it was fetching, in the image only.
//
//   Idle --start--> Preparing --counters read--> Running --all blocks--> Finished (exported)
//                        |  (failure: back where it was)  |--stop------> Stopped  (exported)
//                                                         |--6 failures-> Halted --stop--> Stopped
// A start from any state but Preparing begins a new transfer.

#include "archive/ArchiveExport.h"
#include "archive/ArchiveImage.h"
#include "link/LinkContext.h"
#include "model/DeviceImage.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace flowcfg {

enum class TransferState : std::uint8_t { Idle, Preparing, Running, Finished, Stopped, Halted };

inline constexpr std::string_view kStatusPreparing = "Подготовка переноса архива";
inline constexpr std::string_view kStatusClearing = "Очистка образа архива";
inline constexpr std::string_view kStatusTransfer = "Перенос архива";
inline constexpr std::string_view kStatusFinished = "Чтение закончено";
inline constexpr std::string_view kStatusStopped = "Чтение остановлено";
inline constexpr std::string_view kPersistentBlockError = "Устойчивая ошибка при чтении кадра.";
// Requests of one block per tick: the first and five more.
inline constexpr int kBlockAttempts = 6;

// "Прочитан блок #k из B".
std::string blockProgressText(std::uint32_t block, std::uint32_t planned);
// "Чтение остановлено (прочитано кадров: F из P)".
std::string stoppedText(std::uint64_t fetched, std::uint64_t planned);

// The last line of the box when an export cannot be written, in the window: the blocks stay in
// memory and "Остановить " writes them again.
inline constexpr std::string_view kWindowExportRetry =
    "Прочитанные блоки остаются в памяти: «Остановить » запишет файл ещё раз.";

class ArchiveTransfer {
public:
    // The image lives as long as the transfer; exports go to exportDir (empty: the working
    // directory).
    ArchiveTransfer(LinkContext& ctx, DeviceImage& device, ArchiveImage& image,
                    std::filesystem::path exportDir = {});

    // Starts a transfer of `frames` frames, or of every frame the meter holds (nullopt).
    // Returns true when the transfer runs and the timer is to be armed (interval 1 ms).
    bool start(std::optional<std::uint32_t> frames);
    // One block. Returns true when the timer is to be armed again.
    bool tick();
    // Ends the transfer (if any) and exports the blocks it fetched.
    void stop();

    TransferState state() const { return state_; }
    // True from a start until the transfer finishes or is stopped (also while Halted).
    bool transferRunning() const {
        return state_ == TransferState::Running || state_ == TransferState::Halted;
    }
    std::uint32_t totalFrames() const { return total_frames_; }
    std::uint32_t blocksPlanned() const { return blocks_planned_; }
    std::uint32_t blocksRead() const { return blocks_read_; }
    // Blocks an export writes: those fetched, at most the planned ones.
    std::uint32_t blocksFetched() const;
    std::uint32_t nextBlock() const { return next_block_; }
    // Frames asked for (the count the blocks were planned from, at most what the image holds)
    // and the frames of the blocks fetched so far.
    std::uint64_t framesPlanned() const { return frames_planned_; }
    std::uint64_t framesFetched() const;
    const std::string& status() const { return status_; }
    const std::optional<ArchiveExportResult>& lastExport() const { return lastExport_; }
    void setExportDir(std::filesystem::path dir) { exportDir_ = std::move(dir); }
    // What the export-failure box ends with: how the user can still get the file.
    void setExportRetryText(std::string text) { exportRetry_ = std::move(text); }

    // Called after every change of the status or the progress, so a window can repaint in the
    // middle of an operation.
    std::function<void()> changed;

private:
    void setStatus(std::string_view text);
    void exportImage(std::string_view prefix);

    LinkContext& ctx_;
    DeviceImage& device_;
    ArchiveImage& image_;
    std::filesystem::path exportDir_;
    std::string exportRetry_{kWindowExportRetry};

    TransferState state_ = TransferState::Idle;
    std::uint32_t total_frames_ = 0;   // as read at the start; names the export file
    std::uint32_t blocks_planned_ = 0; // B
    std::uint32_t blocks_read_ = 0;    // also the slot of the next block
    std::uint32_t next_block_ = 0;     // block number of the next request
    std::uint64_t frames_planned_ = 0; // frames asked for
    std::uint16_t frames_per_block_ = 0;
    bool startCancelled_ = false; // stop() during the preparation
    std::string status_;
    std::optional<ArchiveExportResult> lastExport_;
};

} // namespace flowcfg
