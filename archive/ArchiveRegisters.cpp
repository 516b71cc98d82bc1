#include "archive/ArchiveRegisters.h"

#include "link/ModbusMaster.h"
#include "link/Outcome.h"

#include <array>

namespace flowcfg {

namespace {

template <std::size_t N>
ExchangeResult readWords(LinkContext& ctx, std::uint16_t start,
                         std::array<std::uint16_t, N>& words) {
    const ExchangeResult r =
        ModbusMaster(ctx).readHoldingRegisters(start, static_cast<std::uint8_t>(N), words);
    if (stepSucceeded(r))
        ctx.pump.pauseMs(kAfterReadPauseMs, PauseTimer::BeforeRead);
    return r;
}

ExchangeResult writeWords(LinkContext& ctx, std::uint16_t start,
                          std::span<const std::uint16_t> words, std::string_view description) {
    const ExchangeResult r = ModbusMaster(ctx).writeMultipleRegisters(start, words, description);
    if (stepSucceeded(r))
        ctx.pump.pauseMs(kAfterWritePauseMs, PauseTimer::AfterWrite);
    return r;
}

std::uint32_t u32(std::uint16_t hi, std::uint16_t lo) {
    return (std::uint32_t{hi} << 16) | lo;
}

} // namespace

ExchangeResult readArchiveSettings(LinkContext& ctx, DeviceImage& image) {
    std::array<std::uint16_t, 5> w{};
    const ExchangeResult r = readWords(ctx, archive_reg::Settings, w);
    if (stepSucceeded(r)) {
        image.frame_write.frame_write_interval_sec = w[0];
        image.frame_write.frame_write_type = w[1];
        image.readings.frame_number_after_read = w[2];
        image.readings.archiveSettingsTail = {w[3], w[4]};
    }
    return r;
}

ExchangeResult writeArchiveSettings(LinkContext& ctx, const DeviceImage& image) {
    const std::array<std::uint16_t, 3> w{image.frame_write.frame_write_interval_sec,
                                         image.frame_write.frame_write_type,
                                         image.readings.frame_number_after_read};
    return writeWords(ctx, archive_reg::Settings, w, kIntervalWriteDescription);
}

ExchangeResult readFrameCounters(LinkContext& ctx, DeviceImage& image) {
    std::array<std::uint16_t, 4> counters{};
    ExchangeResult r = readWords(ctx, archive_reg::FrameCounters, counters);
    if (!stepSucceeded(r))
        return r;
    std::array<std::uint16_t, 2> block{};
    r = readWords(ctx, archive_reg::FramesPerBlock, block);
    if (!stepSucceeded(r))
        return r;
    auto& rd = image.readings;
    rd.total_frames = u32(counters[0], counters[1]);
    rd.current_frame = u32(counters[2], counters[3]);
    rd.frames_per_block = block[0];
    rd.framesPerBlockWord1 = block[1];
    return r;
}

ExchangeResult readReadFrameNumber(LinkContext& ctx, DeviceImage& image) {
    std::array<std::uint16_t, 2> w{};
    const ExchangeResult r = readWords(ctx, archive_reg::ReadFrameNumber, w);
    if (stepSucceeded(r))
        image.readings.read_frame_number = u32(w[0], w[1]);
    return r;
}

ExchangeResult writeReadFrameNumber(LinkContext& ctx, const DeviceImage& image) {
    const std::uint32_t n = image.readings.read_frame_number;
    const std::array<std::uint16_t, 2> w{static_cast<std::uint16_t>(n >> 16),
                                         static_cast<std::uint16_t>(n & 0xFFFF)};
    return writeWords(ctx, archive_reg::ReadFrameNumber, w, kFrameNumberWriteDescription);
}

std::optional<std::uint64_t> archiveBlockCount(std::uint64_t frames, std::uint16_t framesPerBlock) {
    if (framesPerBlock == 0)
        return std::nullopt;
    return frames / framesPerBlock + (frames % framesPerBlock != 0 ? 1 : 0);
}

} // namespace flowcfg
