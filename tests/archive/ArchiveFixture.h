#pragma once
// The archive page's controller on a link whose COM1 leads to the simulated meter (in-process
// line, fake clock, scripted dialogs). The meter records no frames of its own during a test,
// so its archive holds exactly the frames it started with. Exports go to a fresh directory.

#include "MeterOnLine.h"
#include "TestFiles.h"
#include "archive/ArchiveController.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace flowcfg::test {

class ArchiveFixture : public MeterOnLine {
protected:
    ArchiveFixture() : MeterOnLine(meterConfig(1000)) {
        clock.setLocalTime({2026, 12, 6, 17, 5, 3, 0});
        makeController();
    }

    static sim::MeterConfig meterConfig(std::uint32_t frames, std::uint16_t perBlock = 10) {
        sim::MeterConfig c;
        c.archiveFrames = frames;
        c.framesPerBlock = perBlock;
        c.archiveIntervalSec = 0;
        return c;
    }

    // Replaces the meter (and the controller, which reads the image at construction).
    void useMeter(const sim::MeterConfig& config) {
        controller.reset();
        MeterOnLine::useMeter(config);
        makeController();
    }

    void makeController() {
        controller = std::make_unique<ArchiveController>(ctx, device, exportDir);
        controller->changed = [this] {
            const auto& status = controller->screen().status;
            if (statuses.empty() || statuses.back() != status)
                statuses.push_back(status);
        };
    }

    // Ticks as the timer would until the controller stops asking; returns the tick count.
    int runTicks(int limit = 20000) {
        int ticks = 0;
        while (ticks < limit && controller->tick())
            ++ticks;
        return ticks + 1;
    }

    // Archive blocks requested, in order.
    std::vector<std::uint32_t> blocksRequested() const {
        std::vector<std::uint32_t> out;
        for (const auto& r : slave->served())
            if (r.function == 0x19)
                out.push_back(r.block);
        return out;
    }

    std::vector<std::filesystem::path> exportedFiles() const {
        std::vector<std::filesystem::path> out;
        for (const auto& e : std::filesystem::directory_iterator(exportDir))
            out.push_back(e.path());
        return out;
    }

    // The file's lines, each with its " \r\n".
    static std::vector<std::string> linesOf(const std::filesystem::path& p) {
        const std::string text = readFile(p);
        std::vector<std::string> lines;
        std::size_t begin = 0;
        for (std::size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1)
            lines.push_back(text.substr(begin, end + 1 - begin));
        EXPECT_EQ(begin, text.size()) << "text after the last line end";
        return lines;
    }

    DeviceImage device;
    TempDir exportTemp{"flowcfg-archive"};
    const std::filesystem::path exportDir = exportTemp.path();
    std::unique_ptr<ArchiveController> controller;
    std::vector<std::string> statuses;
};

} // namespace flowcfg::test
