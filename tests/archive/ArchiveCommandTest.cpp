// flowcfg-cli archive on the in-process line to the simulated meter.

#include "ArchiveFixture.h"
#include "cli/Commands.h"
#include "cli/RunCli.h"

#include <gtest/gtest.h>
#include <sstream>

namespace flowcfg::test {
namespace {

class ArchiveCommand : public ArchiveFixture {
protected:
    int run(std::vector<std::string> args) {
        out.str({});
        err.str({});
        args.insert(args.begin(), {"flowcfg-cli", "--dir", exportDir.string(), "archive", "--port",
                                   "/dev/meter"});
        std::vector<const char*> argv;
        for (const auto& a : args)
            argv.push_back(a.c_str());
        Session session(out, err, in, devices, pump, clock);
        return runCli(static_cast<int>(argv.size()), argv.data(), session, addArchiveCommands);
    }

    std::vector<std::filesystem::path> exports() const {
        std::vector<std::filesystem::path> files;
        for (const auto& f : exportedFiles())
            if (f.filename().string().ends_with("_frames.txt"))
                files.push_back(f);
        return files;
    }

    std::ostringstream out, err;
    std::istringstream in;
};

TEST_F(ArchiveCommand, DownloadsAndPrintsTheFile) {
    ASSERT_EQ(run({"--frames", "30"}), 0) << err.str();
    const auto files = exports();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename(), "frames_txt_6_12_2026_17_5_3_1000_frames.txt");
    EXPECT_EQ(out.str(), files[0].string() + "\n");
    EXPECT_EQ(err.str(), "Подготовка переноса архива\nОчистка образа архива\nПеренос архива\n"
                         "Прочитан блок #0 из 3\nПрочитан блок #2 из 3\nЧтение закончено\n"
                         "30 кадров записано\n");
    EXPECT_EQ(linesOf(files[0]).size(), 30u);
}

TEST_F(ArchiveCommand, PersistentBlockErrorStillWritesWhatWasReadAndExitsWith2) {
    // The first block arrives; every block request after it goes unanswered.
    int requests = 0;
    auto meterResponder = line->responder;
    line->responder = [&, meterResponder](std::span<const std::uint8_t> request) {
        if (request[1] == 0x19 && ++requests > 1)
            return std::vector<std::uint8_t>{};
        return meterResponder(request);
    };
    EXPECT_EQ(run({"--frames", "all"}), 2);
    EXPECT_NE(err.str().find("Результат операции: Устойчивая ошибка при чтении кадра."),
              std::string::npos)
        << err.str();
    const auto files = exports();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(files[0].filename().string().starts_with("frames_txt.txt_"));
    EXPECT_EQ(linesOf(files[0]).size(), 10u); // the one block read
    EXPECT_NE(err.str().find("Чтение остановлено (прочитано кадров: 10 из 1000)\n10 кадров "
                             "записано\n"),
              std::string::npos)
        << err.str();
}

TEST_F(ArchiveCommand, ExportThatCannotBeWrittenSaysSoInTheCommandLinesTerms) {
    // A directory in the way of the export's name.
    std::filesystem::create_directory(exportDir / "frames_txt_6_12_2026_17_5_3_1000_frames.txt");
    EXPECT_EQ(run({"--frames", "30"}), 1);
    EXPECT_NE(err.str().find("Не удалось записать файл архива"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("Архив не сохранён"), std::string::npos) << err.str();
    EXPECT_EQ(err.str().find("Остановить"), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
}

TEST_F(ArchiveCommand, CounterFailureWritesNothingAndBadOptionsAreUsageErrors) {
    sim::FaultRule exception;
    exception.kind = sim::FaultKind::Exception;
    exception.param = 2;
    slave->faults().add(exception);
    EXPECT_EQ(run({}), 2);
    EXPECT_TRUE(exports().empty());
    slave->faults().clear();

    EXPECT_EQ(run({"--frames", "many"}), 1);
    EXPECT_EQ(run({"--out-dir", (exportDir / "missing").string()}), 1);
    EXPECT_NE(err.str().find("--out-dir"), std::string::npos);
    EXPECT_TRUE(exports().empty());
}

} // namespace
} // namespace flowcfg::test
