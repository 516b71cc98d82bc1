#pragma once
// The archive's holding registers and the transactions on them: the settings (0x1500, five
// words read, three written), the frame counters (0x1505 and 0x150B, read as two requests
// with a pause between them) and the number of the frame to be read (0x1509). Reads store
// into the image only when they succeed; every read is followed by 100 ms, every write by
// 400 ms.

#include "link/ExchangeStatus.h"
#include "link/LinkContext.h"
#include "model/DeviceImage.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace flowcfg {

namespace archive_reg {
inline constexpr std::uint16_t Settings = 0x1500;        // 5 read, 3 written
inline constexpr std::uint16_t FrameCounters = 0x1505;   // total_frames, current_frame (u32)
inline constexpr std::uint16_t ReadFrameNumber = 0x1509; // u32, high word first
inline constexpr std::uint16_t FramesPerBlock = 0x150B;  // [0] frames per block, [1] unused
} // namespace archive_reg

inline constexpr std::string_view kIntervalWriteDescription = "интервал архивации ";
inline constexpr std::string_view kFrameNumberWriteDescription = "номер текущего кадра ";
inline constexpr std::uint32_t kAfterReadPauseMs = 100;
inline constexpr std::uint32_t kAfterWritePauseMs = 400;

// 0x1500 x5 into frame_write and readings (interval, type, change after read, tail).
ExchangeResult readArchiveSettings(LinkContext& ctx, DeviceImage& image);
// 0x1500 x3: interval, frame variant, change after read.
ExchangeResult writeArchiveSettings(LinkContext& ctx, const DeviceImage& image);
// 0x1505 x4, pause, 0x150B x2 into readings; nothing is stored unless both succeed.
ExchangeResult readFrameCounters(LinkContext& ctx, DeviceImage& image);
// 0x1509 x2 into readings.read_frame_number.
ExchangeResult readReadFrameNumber(LinkContext& ctx, DeviceImage& image);
// 0x1509 x2 from readings.read_frame_number.
ExchangeResult writeReadFrameNumber(LinkContext& ctx, const DeviceImage& image);

// Blocks that hold `frames` frames: frames / framesPerBlock rounded up; nullopt when the
// meter reports 0 frames per block.
std::optional<std::uint64_t> archiveBlockCount(std::uint64_t frames, std::uint16_t framesPerBlock);

} // namespace flowcfg
