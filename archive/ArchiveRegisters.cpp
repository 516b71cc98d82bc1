#include "archive/ArchiveRegisters.h"

#include "link/Outcome.h"
#include "model/GroupIo.h"

#include <memory>

namespace flowcfg {

namespace {

ExchangeResult paced(LinkContext& ctx, ExchangeResult r, std::uint32_t ms, PauseTimer timer) {
    if (stepSucceeded(r))
        ctx.pump.pauseMs(ms, timer);
    return r;
}

ExchangeResult read(LinkContext& ctx, DeviceImage& image, GroupId id) {
    return paced(ctx, readGroup(ctx, image, id), kAfterReadPauseMs, PauseTimer::BeforeRead);
}

ExchangeResult write(LinkContext& ctx, DeviceImage& image, GroupId id) {
    return paced(ctx, writeGroup(ctx, image, id), kAfterWritePauseMs, PauseTimer::AfterWrite);
}

} // namespace

ExchangeResult readArchiveSettings(LinkContext& ctx, DeviceImage& image) {
    return read(ctx, image, GroupId::ArchiveSettings);
}

ExchangeResult writeArchiveSettings(LinkContext& ctx, DeviceImage& image) {
    return write(ctx, image, GroupId::ArchiveSettings);
}

ExchangeResult readFrameCounters(LinkContext& ctx, DeviceImage& image) {
    // Both requests land in a scratch image first, so the counters and the block size on show
    // always come from the same read.
    auto scratch = std::make_unique<DeviceImage>();
    ExchangeResult r = read(ctx, *scratch, GroupId::FrameCounters);
    if (!stepSucceeded(r))
        return r;
    r = read(ctx, *scratch, GroupId::FramesPerBlock);
    if (!stepSucceeded(r))
        return r;
    auto& rd = image.readings;
    rd.total_frames = scratch->readings.total_frames;
    rd.current_frame = scratch->readings.current_frame;
    rd.frames_per_block = scratch->readings.frames_per_block;
    rd.framesPerBlockWord1 = scratch->readings.framesPerBlockWord1;
    return r;
}

ExchangeResult readReadFrameNumber(LinkContext& ctx, DeviceImage& image) {
    return read(ctx, image, GroupId::ReadFrameNumber);
}

ExchangeResult writeReadFrameNumber(LinkContext& ctx, DeviceImage& image) {
    return write(ctx, image, GroupId::ReadFrameNumber);
}

std::optional<std::uint64_t> archiveBlockCount(std::uint64_t frames, std::uint16_t framesPerBlock) {
    if (framesPerBlock == 0)
        return std::nullopt;
    return frames / framesPerBlock + (frames % framesPerBlock != 0 ? 1 : 0);
}

} // namespace flowcfg
