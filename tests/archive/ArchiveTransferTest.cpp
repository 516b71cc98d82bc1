#include "archive/ArchiveTransfer.h"

#include "ArchiveFixture.h"
#include "Frames.h"
#include "ReferenceLine.h"

#include <bit>
#include <cstdio>
#include <gtest/gtest.h>
#include <locale.h>

namespace flowcfg::test {
namespace {

using Transfer = ArchiveFixture;

TEST_F(Transfer, DownloadFromTheMeterMatchesItsOwnFramesLineByLine) {
    useMeter(meterConfig(25));
    ASSERT_TRUE(controller->start(std::nullopt));
    EXPECT_EQ(controller->screen().totalFrames, "25");
    EXPECT_EQ(controller->screen().blocks, "3");
    EXPECT_EQ(controller->transfer().blocksPlanned(), 3u);
    EXPECT_EQ(runTicks(), 3);
    EXPECT_EQ(blocksRequested(), (std::vector<std::uint32_t>{0, 1, 2}));
    EXPECT_EQ(controller->transfer().state(), TransferState::Finished);
    EXPECT_FALSE(controller->screen().transferRunning);
    EXPECT_EQ(controller->screen().status, "Чтение закончено");
    EXPECT_EQ(controller->screen().progressValue, 3u);
    EXPECT_EQ(controller->screen().progressMaximum, 3u);
    EXPECT_TRUE(dialogs.shown.empty());

    const auto files = exportedFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename(), "frames_txt_6_12_2026_17_5_3_25_frames.txt");
    const auto lines = linesOf(files[0]);
    // Block 2 holds frames 21..25 and five erased frames, which are skipped.
    ASSERT_EQ(lines.size(), 25u);
    for (std::uint32_t i = 0; i < 25; ++i)
        EXPECT_EQ(lines[i], referenceLine(meter().archive().frame(i))) << "frame " << i;
}

TEST_F(Transfer, SixHundredFramesAreBlocksZeroToFiftyNine) {
    ASSERT_TRUE(controller->start(600u));
    EXPECT_EQ(controller->screen().totalFrames, "1000");
    EXPECT_EQ(controller->screen().blocks, "100"); // what the meter holds
    EXPECT_EQ(runTicks(), 60);

    std::vector<std::uint32_t> expectedBlocks;
    std::vector<std::string> expectedStatus{"Подготовка переноса архива", "Очистка образа архива",
                                            "Перенос архива"};
    for (std::uint32_t k = 0; k < 60; ++k) {
        expectedBlocks.push_back(k);
        expectedStatus.push_back("Прочитан блок #" + std::to_string(k) + " из 60");
    }
    expectedStatus.push_back("Чтение закончено");
    EXPECT_EQ(blocksRequested(), expectedBlocks);
    // Collapsed to changes; the start's counter display repeats the preparing text.
    EXPECT_EQ(statuses, expectedStatus);

    const auto files = exportedFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename(), "frames_txt_6_12_2026_17_5_3_1000_frames.txt");
    EXPECT_EQ(linesOf(files[0]).size(), 600u);
}

TEST_F(Transfer, EmptyArchiveFetchesBlockZeroAndExportsNoLines) {
    useMeter(meterConfig(0));
    ASSERT_TRUE(controller->start(std::nullopt));
    EXPECT_EQ(controller->transfer().blocksPlanned(), 0u);
    EXPECT_EQ(controller->screen().blocks, "0");
    EXPECT_EQ(runTicks(), 1);
    EXPECT_EQ(blocksRequested(), (std::vector<std::uint32_t>{0}));
    EXPECT_EQ(controller->screen().status, "Чтение закончено");
    const auto files = exportedFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename(), "frames_txt_6_12_2026_17_5_3_0_frames.txt");
    EXPECT_EQ(std::filesystem::file_size(files[0]), 0u);
}

TEST_F(Transfer, StopAfterFiveBlocksExportsOnlyTheFramesRead) {
    ASSERT_TRUE(controller->start(600u));
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(controller->tick());
    controller->stop();
    EXPECT_EQ(controller->transfer().state(), TransferState::Stopped);
    EXPECT_EQ(controller->screen().status, "Чтение остановлено (прочитано кадров: 50 из 600)");
    EXPECT_FALSE(controller->tick()); // the timer's last tick, if any, does nothing
    EXPECT_EQ(blocksRequested().size(), 5u);

    const auto files = exportedFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename(), "frames_txt.txt_6_12_2026_17_5_3_1000_frames.txt");
    const auto lines = linesOf(files[0]);
    ASSERT_EQ(lines.size(), 50u); // no zero records for the 55 blocks never fetched
    for (std::uint32_t i = 0; i < 50; ++i)
        EXPECT_EQ(lines[i], referenceLine(meter().archive().frame(i)));
}

TEST_F(Transfer, StopBeforeAnyTransferWritesAnEmptyFile) {
    controller->stop();
    EXPECT_TRUE(slave->served().empty());
    const auto files = exportedFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename(), "frames_txt.txt_6_12_2026_17_5_3_0_frames.txt");
    EXPECT_EQ(std::filesystem::file_size(files[0]), 0u);
}

TEST_F(Transfer, BlockThatSucceedsOnTheSixthRequestIsStored) {
    ctx.settings.Reask_val = 1; // one request per attempt: the count is the tick's own
    ASSERT_TRUE(controller->start(30u));
    sim::FaultRule silent;
    silent.kind = sim::FaultKind::Silent;
    silent.remaining = 5;
    slave->faults().add(silent);
    EXPECT_TRUE(controller->tick());
    EXPECT_EQ(blocksRequested(), std::vector<std::uint32_t>(6, 0));
    EXPECT_EQ(controller->transfer().blocksRead(), 1u);
    EXPECT_EQ(controller->screen().status, "Прочитан блок #0 из 3");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(runTicks(), 2);
    const auto lines = linesOf(exportedFiles().at(0));
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[0], referenceLine(meter().archive().frame(0)));
}

TEST_F(Transfer, SixFailuresHaltAndStopStillExportsWhatWasRead) {
    ctx.settings.Reask_val = 1;
    ASSERT_TRUE(controller->start(30u));
    ASSERT_TRUE(controller->tick());
    sim::FaultRule silent;
    silent.kind = sim::FaultKind::Silent;
    silent.remaining = 6;
    slave->faults().add(silent);
    EXPECT_FALSE(controller->tick());
    EXPECT_EQ(controller->transfer().state(), TransferState::Halted);
    EXPECT_TRUE(controller->screen().transferRunning);
    EXPECT_EQ(controller->screen().status, "Прочитан блок #0 из 3");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0],
              (RecordedDialog{RecordedDialog::Kind::Message, "Результат операции",
                              "Устойчивая ошибка при чтении кадра.", DialogIcon::Exclamation}));
    EXPECT_TRUE(exportedFiles().empty());
    EXPECT_EQ(blocksRequested().size(), 7u);

    controller->stop();
    EXPECT_EQ(controller->screen().status, "Чтение остановлено (прочитано кадров: 10 из 30)");
    const auto lines = linesOf(exportedFiles().at(0));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[9], referenceLine(meter().archive().frame(9)));
}

TEST_F(Transfer, StopDuringTheExchangeKeepsTheBlockInTheImageOnly) {
    ASSERT_TRUE(controller->start(600u));
    ASSERT_TRUE(controller->tick());
    ASSERT_TRUE(controller->tick());
    int events = 0;
    pump.onEvents = [&] {
        if (++events == 3) // inside the block request, after it was sent
            controller->stop();
    };
    EXPECT_FALSE(controller->tick());
    pump.onEvents = nullptr;
    EXPECT_EQ(blocksRequested().size(), 3u);
    EXPECT_EQ(controller->screen().status, "Чтение остановлено (прочитано кадров: 20 из 600)");
    EXPECT_EQ(controller->transfer().state(), TransferState::Stopped);

    // Exported once, at Stop, with the two blocks read before it.
    const auto files = exportedFiles();
    ASSERT_EQ(files.size(), 1u);
    const auto lines = linesOf(files[0]);
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines[19], referenceLine(meter().archive().frame(19)));
    // The third block went into its slot after all.
    const auto slot = controller->image().slot(2);
    EXPECT_TRUE(std::equal(meter().archive().frame(20).begin(), meter().archive().frame(20).end(),
                           slot.begin()));
}

TEST_F(Transfer, StopBetweenRequestsOfATickSendsNoMore) {
    ctx.settings.Reask_val = 1;
    ASSERT_TRUE(controller->start(600u));
    sim::FaultRule silent;
    silent.kind = sim::FaultKind::Silent;
    silent.remaining = 2;
    slave->faults().add(silent);
    bool stopped = false;
    pump.onEvents = [&] {
        if (!stopped && blocksRequested().size() == 2) {
            stopped = true;
            controller->stop();
        }
    };
    EXPECT_FALSE(controller->tick());
    pump.onEvents = nullptr;
    EXPECT_EQ(blocksRequested().size(), 2u);
    EXPECT_TRUE(dialogs.shown.empty()); // no persistent-error box after a Stop
    EXPECT_EQ(exportedFiles().size(), 1u);
}

TEST_F(Transfer, TickWhileAnotherOperationExchangesWaitsForTheNextOne) {
    ASSERT_TRUE(controller->start(600u));
    {
        OperationGuard other(ctx);
        EXPECT_TRUE(controller->tick());        // re-armed, nothing sent
        EXPECT_FALSE(controller->start(3600u)); // a download button does nothing either
    }
    EXPECT_TRUE(blocksRequested().empty());
    EXPECT_EQ(controller->transfer().blocksPlanned(), 60u);
    EXPECT_TRUE(controller->tick());
    EXPECT_EQ(blocksRequested().size(), 1u);
}

TEST_F(Transfer, CounterReadFailureShowsTheOutcomeAndChangesNothing) {
    ASSERT_TRUE(controller->start(30u));
    ASSERT_EQ(runTicks(), 3);
    sim::FaultRule exception;
    exception.kind = sim::FaultKind::Exception;
    exception.param = 2;
    slave->faults().add(exception);
    EXPECT_FALSE(controller->start(600u));
    EXPECT_EQ(controller->transfer().state(), TransferState::Finished);
    EXPECT_EQ(controller->transfer().blocksPlanned(), 3u);
    EXPECT_EQ(controller->screen().status, "Чтение закончено");
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown.back().text, "Адрес данных выходит за допустимые границы.");
    // The image still holds the first transfer: Stop exports it.
    controller->stop();
    EXPECT_EQ(exportedFiles().size(), 2u);
}

TEST_F(Transfer, ZeroFramesPerBlockIsRefused) {
    // The meter answers 0 frames per block.
    auto meterResponder = line->responder;
    line->responder = [meterResponder](std::span<const std::uint8_t> request) {
        auto answer = meterResponder(request);
        if (request[1] == 0x03 && request[2] == 0x15 && request[3] == 0x0B && answer.size() == 9) {
            answer[3] = 0;    // frames per block, high
            answer[4] = 0;    // frames per block, low
            answer.resize(7); // without the old CRC
            answer = withCrc(std::move(answer));
        }
        return answer;
    };
    EXPECT_FALSE(controller->start(std::nullopt));
    EXPECT_EQ(controller->transfer().state(), TransferState::Idle);
    EXPECT_EQ(controller->screen().blocks, "—");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Результат операции");
    EXPECT_NE(dialogs.shown[0].text.find("0 кадров в блоке"), std::string::npos);
    EXPECT_FALSE(controller->tick());
    EXPECT_TRUE(blocksRequested().empty());
}

TEST_F(Transfer, MoreBlocksThanSlotsAreClampedAndSaid) {
    ASSERT_TRUE(controller->start(200000u));
    EXPECT_EQ(controller->transfer().blocksPlanned(), 13108u);
    EXPECT_EQ(controller->screen().progressMaximum, 13108u);
    EXPECT_EQ(controller->screen().status,
              "Перенос архива (блоков 20000, образ вмещает 13108: читаются первые 13108)");
}

TEST_F(Transfer, ExportThatCannotBeCreatedIsReportedAndCanBeRetried) {
    ASSERT_TRUE(controller->start(30u));
    ASSERT_TRUE(controller->tick());
    const auto missing = exportDir / "missing";
    controller->transfer().setExportDir(missing);
    controller->stop();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    const auto& box = dialogs.shown[0];
    EXPECT_EQ(box.caption, "Результат операции");
    EXPECT_EQ(box.icon, DialogIcon::Error);
    EXPECT_NE(box.text.find((missing / "frames_txt.txt_6_12_2026_17_5_3_1000_frames.txt").string()),
              std::string::npos);
    EXPECT_NE(box.text.find("нет такого файла или папки"), std::string::npos);
    EXPECT_FALSE(controller->transfer().lastExport()->ok);

    controller->transfer().setExportDir(exportDir);
    controller->stop();
    const auto files = exportedFiles();
    ASSERT_EQ(files.size(), 1u);
    const auto lines = linesOf(files[0]);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], referenceLine(meter().archive().frame(0)));
}

} // namespace
} // namespace flowcfg::test
