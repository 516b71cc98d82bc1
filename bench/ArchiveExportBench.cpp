// The largest export: 13108 blocks of ten valid frames (131,080 lines) written to a file.

#include "archive/ArchiveExport.h"
#include "archive/ArchiveFrame.h"
#include "archive/ArchiveImage.h"

#include <benchmark/benchmark.h>
#include <bit>
#include <filesystem>
#include <unistd.h>

namespace {

using namespace flowcfg;

void putLe(std::span<std::uint8_t> at, std::uint64_t bits, int bytes) {
    for (int i = 0; i < bytes; ++i)
        at[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (8 * i));
}

// Frames with plausible, varying values and valid checksums.
void fillImage(ArchiveImage& image) {
    std::uint32_t n = 0;
    for (std::uint32_t b = 0; b < archiveSlotCount; ++b) {
        auto block = image.slot(b);
        for (std::size_t f = 0; f < framesPerArchiveBlock; ++f, ++n) {
            auto frame = block.subspan(f * archiveFrameSize, archiveFrameSize);
            frame[0] = static_cast<std::uint8_t>(n >> 24);
            frame[1] = static_cast<std::uint8_t>(n >> 16);
            frame[2] = static_cast<std::uint8_t>(n >> 8);
            frame[3] = static_cast<std::uint8_t>(n);
            frame[4] = static_cast<std::uint8_t>(n % 24);
            frame[5] = static_cast<std::uint8_t>(n % 60);
            frame[9] = 26;
            const float flow = 12.345f + static_cast<float>(n % 1000) * 0.01f;
            for (const std::size_t at : {10u, 20u, 24u, 28u, 66u, 70u, 74u, 78u, 84u, 92u})
                putLe(frame.subspan(at), std::bit_cast<std::uint32_t>(flow), 4);
            for (const std::size_t at : {34u, 42u, 50u, 58u})
                putLe(frame.subspan(at), std::bit_cast<std::uint64_t>(n * 3.25), 8);
            unsigned sum = 0;
            for (std::size_t i = 0; i < archiveFrameSize - 1; ++i)
                sum += frame[i];
            frame[archiveFrameSize - 1] = static_cast<std::uint8_t>(sum);
        }
    }
}

void archive_export_largest(benchmark::State& state) {
    static ArchiveImage image;
    static bool filled = false;
    if (!filled) {
        fillImage(image);
        filled = true;
    }
    const auto file = std::filesystem::temp_directory_path() /
                      ("archive_export_bench_" + std::to_string(::getpid()) + ".txt");
    std::uint64_t lines = 0;
    for (auto _ : state) {
        const auto result = writeArchiveText(image, archiveSlotCount, file);
        if (!result.ok)
            state.SkipWithError(result.error.c_str());
        lines = result.lines;
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.SetBytesProcessed(static_cast<std::int64_t>(std::filesystem::file_size(file)) *
                            state.iterations());
    std::filesystem::remove(file);
}
BENCHMARK(archive_export_largest)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
