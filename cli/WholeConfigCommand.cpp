// config read, write and diff: the whole configuration between meters and profile files, for
// commissioning. read runs "ПРОЧ.ИЗ ПРИБ." and saves a profile; write loads a profile and
// runs "ЗАП.В ПРИБОР" for one meter or, with --addresses, for several meters of one bus in
// turn: one line per meter on stdout (address, result, time), the progress on stderr; diff
// reads the meter and prints where it differs from a profile.
//
//   flowcfg-cli --port /dev/ttyUSB0 config read --save pump7.prf
//   flowcfg-cli --port /dev/ttyUSB0 --yes config write pump7.prf --addresses 1,3-5
//   flowcfg-cli --port /dev/ttyUSB0 config diff pump7.prf

#include "cli/CliNumbers.h"
#include "cli/Commands.h"
#include "cli/ProgressBar.h"
#include "config/ProfileComparison.h"
#include "config/WholeConfiguration.h"
#include "profiles/ProfileFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

void loadInput(const std::string& file, DeviceImage& image, ToolSettings& tools,
               const fs::path& workDir, std::string_view unless = "ничего не записано",
               CarriedKeys* carried = nullptr) {
    if (const ProfileResult r = readProfileUntouched(file, image, tools, workDir, carried); !r.ok)
        throw UsageError("профиль " + file + ": " + r.message + "; " + std::string(unless));
}

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

// Characters of a UTF-8 text, for lining up columns.
std::size_t width(std::string_view text) {
    return static_cast<std::size_t>(std::ranges::count_if(
        text, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The differences as a table under a header, each column as wide as its widest text.
void printDifferences(std::ostream& out, const std::vector<Difference>& rows) {
    using Row = std::array<std::string_view, 4>;
    std::vector<Row> lines{{"страница", "параметр", "профиль", "прибор"}};
    for (const Difference& d : rows)
        lines.push_back({d.page, d.caption, d.profileText, d.meterText});
    std::array<std::size_t, 4> widths{};
    for (const Row& line : lines)
        for (std::size_t c = 0; c < widths.size(); ++c)
            widths[c] = std::max(widths[c], width(line[c]));
    for (const Row& line : lines) {
        std::string text;
        for (std::size_t c = 0; c < widths.size(); ++c) {
            text += line[c];
            if (c + 1 < widths.size())
                text += std::string(widths[c] - width(line[c]) + 2, ' ');
        }
        out << text << '\n';
    }
}

void diffWhole(Session& session, const WholeOptions& o) {
    DeviceImage profile;
    ToolSettings tools = ToolSettings::defaults(session.options.dir);
    CarriedKeys carried;
    loadInput(o.profile, profile, tools, session.options.dir, "ничего не сравнивалось", &carried);
    ProfileComparison compare(session.link(), profile, std::move(carried));
    ProgressBar bar(session.err, "");
    compare.progress = [&bar](const SequenceProgress& p) { bar.show(p); };
    const ComparisonOutcome out = compare.run();
    bar.finish();
    if (out.end != OperationEnd::Succeeded) {
        session.fail(kExitExchange, "прибор не прочитан: ничего не сравнивалось");
        return;
    }
    if (out.differences.empty()) {
        session.err << "прибор совпадает с профилем (сравнено значений: " << out.compared << ")\n";
        return;
    }
    printDifferences(session.out, out.differences);
    session.err << "различий: " << out.differences.size() << " (сравнено значений: " << out.compared
                << ")\n";
    session.exitCode = kExitDiffers;
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

    CLI::App* diff = config->add_subcommand(
        "diff", "compare the meter with a profile: read everything \"ПРОЧ.ИЗ ПРИБ.\" reads and "
                "print every value the profile carries that differs, one row each (page, field, "
                "profile, meter) as the pages show them (list items by their text, numbers in "
                "their page format). Values the read does not reach (tool settings, archive "
                "interval) are not compared. Nothing is written. Exit 0: identical; 1: they "
                "differ (also a usage error, said on stderr with no table); 2: the meter could "
                "not be read.");
    diff->add_option("PROFILE", options->profile, "the profile file (*.prf)")->required();
    diff->callback([&session, options] { diffWhole(session, *options); });
}

} // namespace flowcfg
