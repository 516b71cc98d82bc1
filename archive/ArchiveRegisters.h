#pragma once
// The transactions on the archive's register groups (model/RegisterMap.h): the settings
// (0x1500, five words read, three written), the frame counters (0x1505 and 0x150B, read as
// two requests with a pause between them) and the number of the frame to be read (0x1509).
// Reads store into the image only when they succeed; every successful read is followed by
// 100 ms, every successful write by 400 ms.

#include "link/ExchangeStatus.h"
#include "link/LinkContext.h"
#include "model/DeviceImage.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace flowcfg {

inline constexpr std::uint32_t kAfterReadPauseMs = 100;
inline constexpr std::uint32_t kAfterWritePauseMs = 400;

// 0x1500 x5 into frame_write and readings (interval, type, change after read, tail).
ExchangeResult readArchiveSettings(LinkContext& ctx, DeviceImage& image);
// 0x1500 x3: interval, frame variant, change after read.
ExchangeResult writeArchiveSettings(LinkContext& ctx, DeviceImage& image);
// 0x1505 x4, pause, 0x150B x2 into readings; nothing is stored unless both succeed.
ExchangeResult readFrameCounters(LinkContext& ctx, DeviceImage& image);
// 0x1509 x2 into readings.read_frame_number.
ExchangeResult readReadFrameNumber(LinkContext& ctx, DeviceImage& image);
// 0x1509 x2 from readings.read_frame_number.
ExchangeResult writeReadFrameNumber(LinkContext& ctx, DeviceImage& image);

// Blocks that hold `frames` frames: frames / framesPerBlock rounded up; nullopt when the
// meter reports 0 frames per block.
std::optional<std::uint64_t> archiveBlockCount(std::uint64_t frames, std::uint16_t framesPerBlock);

} // namespace flowcfg
