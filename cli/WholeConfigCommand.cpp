// config read and config write: the whole configuration between meters and profile files,
// for commissioning. read runs "ПРОЧ.ИЗ ПРИБ." and saves a profile; write loads a profile and
// runs "ЗАП.В ПРИБОР" for one meter or, with --addresses, for several meters of one bus in
// turn: one line per meter on stdout (address, result, time), the progress on stderr.
//
//   flowcfg-cli --port /dev/ttyUSB0 config read --save pump7.prf
//   flowcfg-cli --port /dev/ttyUSB0 --yes config write pump7.prf --addresses 1,3-5

#include "cli/CliNumbers.h"
#include "cli/Commands.h"
#include "cli/StatusLine.h"
#include "config/WholeConfiguration.h"
#include "platform/IniFile.h"
#include "profiles/ProfileFile.h"
#include "profiles/ProfileTables.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace flowcfg {

namespace fs = std::filesystem;

namespace {

struct WholeOptions {
    std::string save;      // read: the profile to write
    std::string profile;   // write: the profile to send
    std::string addresses; // write: the meters; empty: --address or NetAdrr of dev.dat
};

// Why the file cannot serve as a profile: missing, unreadable, or no section of device values
// in it. Empty when it can.
std::string profileProblem(const fs::path& file) {
    std::error_code ec;
    if (!fs::exists(file, ec))
        return "файла нет";
    if (!fs::is_regular_file(file, ec))
        return "это не файл";
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return "файл не открывается для чтения (права?)";
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (bytes.find('\0') != std::string::npos)
        return "это не текстовый файл настроек";
    IniFile ini(file);
    if (!ini.load())
        return "файл не читается";
    for (const ProfileSection& section : profileSections())
        if (!section.toolSettings && ini.hasSection(section.name))
            return {};
    return "в нём нет ни одного раздела с параметрами прибора: это не профиль настроек";
}

// Loads the profile without touching it: the load completes missing keys in a scratch copy.
void loadUntouched(const fs::path& file, DeviceImage& image, ToolSettings& tools,
                   const fs::path& workDir) {
    char dirTemplate[] = "/tmp/flowcfg-profile-XXXXXX";
    const char* dir = ::mkdtemp(dirTemplate);
    if (dir == nullptr)
        throw UsageError("no scratch directory for loading " + file.string());
    const fs::path copy = fs::path(dir) / "copy.prf";
    std::error_code ec;
    fs::copy_file(file, copy, ec);
    if (!ec)
        loadProfile(copy, image, tools, workDir);
    fs::remove_all(dir, ec);
}

void loadInput(const std::string& file, DeviceImage& image, ToolSettings& tools,
               const fs::path& workDir) {
    if (const std::string why = profileProblem(file); !why.empty())
        throw UsageError("профиль " + file + ": " + why + "; ничего не записано");
    loadUntouched(file, image, tools, workDir);
}

// The bar on a StatusLine: drawn on a terminal, one line per step otherwise.
class ProgressBar {
public:
    ProgressBar(std::ostream& err, std::string prefix) : line_(err), prefix_(std::move(prefix)) {}

    void show(const SequenceProgress& p) {
        if (!p.shown || p.steps == 0 || p.done == last_)
            return;
        last_ = p.done;
        std::string text = prefix_;
        if (line_.terminal()) {
            constexpr int kWidth = 17;
            const int filled = kWidth * p.done / p.steps;
            text += "[" + std::string(static_cast<std::size_t>(filled), '#') +
                    std::string(static_cast<std::size_t>(kWidth - filled), '.') + "] ";
        } else if (p.done == 0) {
            return; // the cleared bar says nothing yet
        }
        text += std::to_string(p.done) + "/" + std::to_string(p.steps) + " " +
                (p.done == p.steps ? "готово" : std::string(p.line));
        line_.show(text);
    }
    void finish() { line_.finish(); }

private:
    StatusLine line_;
    std::string prefix_;
    int last_ = -1;
};

std::string seconds(std::uint64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f с", static_cast<double>(ms) / 1000.0);
    return text;
}

std::string groupList(const std::vector<GroupId>& groups) {
    if (groups.empty())
        return "нет";
    std::string text;
    for (const GroupId id : groups) {
        char start[8];
        std::snprintf(start, sizeof start, "0x%04X", group(id).start);
        text += (text.empty() ? "" : ", ") + std::string(group(id).name) + " " + start;
    }
    return text;
}

// The result column of a meter's line.
std::string resultText(const WholeOutcome& w, const LinkSettings& settings) {
    switch (w.outcome.end) {
    case OperationEnd::Succeeded:
        return w.passedOverFailures == 0 ? "записано" : "записано, отсечка не записана";
    case OperationEnd::PortFailed:
        return "порт не открылся";
    case OperationEnd::Declined:
        return "отказ";
    case OperationEnd::Busy:
    case OperationEnd::InputRejected:
    case OperationEnd::Failed:
        break;
    }
    const auto why = outcomeText(w.outcome.failure, settings);
    std::string first = why ? why->text.substr(0, why->text.find('\n')) : "ошибка обмена";
    return "ошибка (" + std::string(w.failedLine) + ": " + first + ")";
}

void readWhole(Session& session, const WholeOptions& o) {
    LinkContext& ctx = session.link();
    DeviceImage image;
    ToolSettings tools = ToolSettings::defaults(session.options.dir);
    std::error_code ec;
    if (fs::exists(o.save, ec)) // the keys the read does not fill stay as the file has them
        loadInput(o.save, image, tools, session.options.dir);
    ConfigPages pages(ctx, image);
    WholeConfiguration whole(pages);
    ProgressBar bar(session.err, "");
    whole.progress = [&bar](const SequenceProgress& p) { bar.show(p); };
    const WholeOutcome w = whole.readAll();
    bar.finish();
    if (w.outcome.end != OperationEnd::Succeeded) {
        session.exitCode = w.outcome.end == OperationEnd::PortFailed ? kExitUsage : kExitExchange;
        session.err << "профиль не записан\n";
        return;
    }
    if (const ProfileResult r = saveProfile(o.save, image, tools); !r.ok) {
        session.fail(kExitUsage, r.message);
        return;
    }
    session.out << o.save << '\n';
}

void writeWhole(Session& session, const WholeOptions& o) {
    LinkContext& ctx = session.link();
    std::vector<std::uint16_t> addresses{ctx.settings.NetAdrr};
    if (!o.addresses.empty())
        addresses = addressList(o.addresses);
    DeviceImage profile;
    ToolSettings tools = ToolSettings::defaults(session.options.dir);
    loadInput(o.profile, profile, tools, session.options.dir);

    std::string names;
    for (const std::uint16_t a : addresses)
        names += (names.empty() ? "" : ", ") + std::to_string(a);
    session.err << "профиль " << o.profile << " → адрес" << (addresses.size() > 1 ? "а " : " ")
                << names << '\n';
    if (!confirm(session.dialogs(), kConfigurationOverwrite)) {
        session.fail(kExitDeclined, "nothing written");
        return;
    }
    int worst = kExitOk;
    for (const std::uint16_t address : addresses) {
        ctx.settings.NetAdrr = address;
        DeviceImage image = profile; // every meter gets the profile, not the last one's reads
        ConfigPages pages(ctx, image);
        WholeConfiguration whole(pages);
        const std::string prefix = "адрес " + std::to_string(address) + ": ";
        ProgressBar bar(session.err, prefix);
        whole.progress = [&bar](const SequenceProgress& p) { bar.show(p); };
        const std::uint64_t start = ctx.clock.monotonicMs();
        const WholeOutcome w = whole.writeAll(false);
        bar.finish();
        const std::uint64_t ms = ctx.clock.monotonicMs() - start;
        session.out << prefix << resultText(w, ctx.settings) << ", " << seconds(ms);
        if (w.outcome.end == OperationEnd::Failed)
            session.out << "; получены группы: " << groupList(w.written);
        session.out << std::endl;
        if (w.outcome.end == OperationEnd::PortFailed)
            worst = kExitUsage;
        else if (w.outcome.end != OperationEnd::Succeeded && worst == kExitOk)
            worst = kExitExchange;
    }
    session.exitCode = worst;
}

} // namespace

void addWholeConfigCommands(CLI::App& app, Session& session) {
    auto options = std::make_shared<WholeOptions>();
    CLI::App* config = app.add_subcommand(
        "config", "the whole configuration between the meter and a profile file (\"ВСЕ "
                  "НАСТРОЙКИ\": \"ПРОЧ.ИЗ ПРИБ.\", \"ЗАП.В ПРИБОР\")");
    config->require_subcommand(1);

    CLI::App* read = config->add_subcommand(
        "read", "read every configuration group from the meter and save them in a profile; an "
                "existing profile keeps the keys the read does not fill (tool settings, archive "
                "interval, network settings to write); nothing is saved when a read fails");
    read->add_option("--save", options->save, "the profile file to write (*.prf)")->required();
    read->callback([&session, options] { readWhole(session, *options); });

    CLI::App* write = config->add_subcommand(
        "write", "write a profile into the meter (asks unless --yes; No exits 3). The "
                 "measurement settings and the registers no profile key carries (0x1700, "
                 "0x1709, coefficient C, cut-off hysteresis, frame number after read) keep the "
                 "meter's own values. With --addresses, meter after meter on one bus: one line "
                 "each (address, result, time); a failed meter does not stop the others; exit 2 "
                 "when any failed. The parameter locks stay lifted, as the window leaves them.");
    write->add_option("PROFILE", options->profile, "the profile file (*.prf)")->required();
    write->add_option("--addresses", options->addresses,
                      "the meters' addresses, e.g. 1,3-5 (default: --address)");
    write->callback([&session, options] { writeWhole(session, *options); });
}

} // namespace flowcfg
