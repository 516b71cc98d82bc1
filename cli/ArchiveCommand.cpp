// archive: download the meter's archive block by block like the "АРХИВ" page and write the
// text export. Ctrl-C stops like "Остановить ": the blocks read so far are still written, and
// the exit code says the download was interrupted.

#include "archive/ArchiveImage.h"
#include "archive/ArchiveTransfer.h"
#include "cli/CliNumbers.h"
#include "cli/Commands.h"
#include "cli/StatusLine.h"
#include "cli/Interrupt.h"
#include "model/DeviceImage.h"

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

namespace flowcfg {

namespace {

struct ArchiveOptions {
    std::string frames = "all";
    std::string outDir; // empty: --dir
};

// The export-failure box ends with this instead of the window's "Остановить " hint.
constexpr std::string_view kCliExportRetry =
    "Архив не сохранён: проверьте папку --out-dir (права, место на диске) и повторите команду.";

std::optional<std::uint32_t> framesOf(const std::string& text) {
    if (text == "all")
        return std::nullopt;
    return static_cast<std::uint32_t>(cliNumber(text, 1, 0xFFFFFFFF, "--frames"));
}

// The transfer's status on a StatusLine: on a terminal every change, otherwise every change
// but the block progress, which is printed every 100 blocks.
class ProgressLine {
public:
    explicit ProgressLine(std::ostream& err) : line_(err) {}

    void show(const ArchiveTransfer& t) {
        const std::string& status = t.status();
        if (status == last_)
            return;
        last_ = status;
        const bool progress = status.rfind("Прочитан блок #", 0) == 0;
        // The status names block blocksRead() (counted before it is stored).
        if (line_.terminal() || !progress || t.blocksRead() % 100 == 0 ||
            t.blocksRead() + 1 >= t.blocksPlanned())
            line_.show(status);
    }
    void finish() { line_.finish(); }

private:
    StatusLine line_;
    std::string last_;
};

void downloadArchive(Session& session, const ArchiveOptions& o) {
    const auto frames = framesOf(o.frames);
    LinkContext& ctx = session.link(); // --dir first
    const std::filesystem::path outDir = o.outDir.empty() ? session.options.dir : o.outDir;
    std::error_code ec;
    if (!std::filesystem::is_directory(outDir, ec))
        throw UsageError("--out-dir: " + outDir.string() + " не является папкой");
    if (!session.openLink())
        return;

    DeviceImage device;
    auto image = std::make_unique<ArchiveImage>();
    ArchiveTransfer transfer(ctx, device, *image, outDir);
    transfer.setExportRetryText(std::string(kCliExportRetry));
    ProgressLine progress(session.err);
    transfer.changed = [&] { progress.show(transfer); };

    InterruptFlag interrupt;
    if (!transfer.start(frames)) {
        progress.finish();
        session.exitCode = kExitExchange; // the reason has been printed
        return;
    }
    while (!interrupt.raised() && transfer.tick()) {
    }
    if (interrupt.raised() || transfer.state() == TransferState::Halted)
        transfer.stop(); // export what the image holds
    progress.finish();

    const auto& exported = transfer.lastExport();
    if (!exported || !exported->ok) {
        session.exitCode = exported ? kExitUsage : kExitExchange; // the box said why
        return;
    }
    session.out << exported->path.string() << '\n';
    session.err << exported->lines << " кадров записано\n";
    if (interrupt.raised())
        session.exitCode = kExitInterrupted;
    else if (transfer.state() == TransferState::Stopped)
        session.exitCode = kExitExchange; // halted on a block that could not be read
}

} // namespace

void addArchiveCommands(CLI::App& app, Session& session) {
    auto options = std::make_shared<ArchiveOptions>();
    CLI::App* cmd = app.add_subcommand(
        "archive", "download the meter's archive like the \"АРХИВ\" page and write the text "
                   "export (frames_txt_D_M_Y_h_m_s_TOTAL_frames.txt); prints the file's path. "
                   "Ctrl-C stops, still writes the blocks read (prefix frames_txt.txt), says how "
                   "many frames were read of how many and exits with 130. Exit 2 when the "
                   "counters or a block cannot be read (the blocks read are written), 1 when the "
                   "file cannot be written.");
    cmd->add_option("--frames", options->frames, "all, 3600, 600 or any number of frames")
        ->capture_default_str();
    cmd->add_option("--out-dir", options->outDir, "directory of the export file (default: --dir)");
    cmd->callback([&session, options] { downloadArchive(session, *options); });
}

} // namespace flowcfg
