// Downloading the archive through flowsim pacing the line, at 19200 and 115200 baud, against
// the line time of the bytes exchanged (8 request and 1030 answer bytes per block). The goal
// is 1.03 or better. The download runs the tool's own transfer (as the window's timer and
// flowcfg-cli archive do); the preparation (the counter reads) is shown apart.

#include "FlowsimProcess.h"
#include "LineBench.h"
#include "archive/ArchiveImage.h"
#include "archive/ArchiveTransfer.h"
#include "model/DeviceImage.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

using namespace flowcfg;
using namespace flowcfg::bench;

constexpr double kBlockChars = 8 + 1030;
constexpr std::uint32_t kFramesPerBlock = 10;

struct Download {
    double preparationMs = 0;
    double blocksMs = 0;
    std::uint32_t blocks = 0;
};

Download download(const std::string& device, std::uint32_t baud, bool quick, std::uint32_t frames,
                  const std::filesystem::path& exportDir) {
    BenchLink link(device, baud, quick);
    DeviceImage deviceImage;
    auto image = std::make_unique<ArchiveImage>();
    ArchiveTransfer transfer(link.ctx(), deviceImage, *image, exportDir);
    Download d;
    Stopwatch::time_point blocksStart;
    transfer.changed = [&] {
        if (transfer.state() == TransferState::Finished && d.blocksMs == 0)
            d.blocksMs = msSince(blocksStart); // before the export
    };
    const auto t0 = Stopwatch::now();
    if (!transfer.start(frames))
        fail("the transfer did not start");
    d.preparationMs = msSince(t0);
    blocksStart = Stopwatch::now();
    while (transfer.tick()) {
    }
    if (transfer.state() != TransferState::Finished)
        fail("the transfer did not finish: " + transfer.status());
    d.blocks = transfer.blocksRead();
    return d;
}

} // namespace

int main() {
    char dirTemplate[] = "/tmp/flowcfg-archive-bench-XXXXXX";
    if (!mkdtemp(dirTemplate))
        fail("mkdtemp");
    const std::filesystem::path exportDir = dirTemplate;

    std::printf("archive download through flowsim --pace: block phase against the line time "
                "of 8 + 1030 bytes per block (goal <= 1.03)\n\n");
    std::printf("%-7s %-14s %7s %12s %13s %8s %15s\n", "baud", "answer end", "blocks", "blocks ms",
                "line time ms", "ratio", "preparation ms");
    for (const auto& [baud, blocks] : {std::pair{19200u, 20u}, std::pair{115200u, 60u}}) {
        test::FlowsimProcess flowsim({"--pace", "--freeze-time", "--baud", std::to_string(baud),
                                      "--archive-frames", std::to_string(blocks * kFramesPerBlock),
                                      "--frames-per-block", std::to_string(kFramesPerBlock)});
        for (const bool quick : kAnswerEnds) {
            const Download d =
                download(flowsim.device(), baud, quick, blocks * kFramesPerBlock, exportDir);
            const double line = lineTimeMs(kBlockChars * d.blocks, baud);
            std::printf("%-7u %-14s %7u %12.1f %13.1f %8.4f %15.1f\n", baud, answerEndName(quick),
                        d.blocks, d.blocksMs, line, d.blocksMs / line, d.preparationMs);
        }
    }
    std::filesystem::remove_all(exportDir);
    return 0;
}
