// ports, read, write and archive-block: the link's own commands.

#include "cli/CliNumbers.h"
#include "cli/Commands.h"
#include "link/LinkSettingsScreen.h"
#include "link/ModbusMaster.h"
#include "link/Ports.h"
#include "model/RegisterType.h"

#include <array>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace flowcfg {

namespace {

constexpr std::string_view kCliWriteDescription = "Запись из командной строки.";
// After a write refused with exception code 4: the meter takes settings only while its
// parameter locks (USERLOCK, CLBLOCK) are lifted.
constexpr std::string_view kLockedHint =
    "Параметры прибора заблокированы. Снимите блокировку: flowcfg-cli write 0x04FE 1 1, "
    "повторите запись, затем заблокируйте снова: flowcfg-cli write 0x04FE 0 0.\n";

void listPorts(Session& session) {
    LinkContext& ctx = session.link();
    enumeratePorts(ctx);
    const PortLists lists = portLists(ctx.foundPorts, ctx.settings.Number);
    if (ctx.foundPorts.empty()) {
        session.out << lists.available.front() << '\n';
        return;
    }
    for (std::size_t i = 0; i < ctx.foundPorts.size(); ++i)
        session.out << lists.available[i] << '\t'
                    << devicePathForPort(ctx.settings, ctx.foundPorts[i]) << '\n';
}

struct ReadArgs {
    std::string start;
    std::string count;
    std::string type; // empty: each register as 0x1234 (4660)
};

void readRegisters(Session& session, const ReadArgs& args) {
    const auto start = static_cast<std::uint16_t>(cliNumber(args.start, 0, 0xFFFF, "START"));
    const auto count =
        static_cast<std::uint8_t>(cliNumber(args.count, 1, kMaxReadRegisters, "COUNT"));
    std::optional<RegisterType> type;
    if (!args.type.empty()) {
        type = parseRegisterType(args.type);
        if (!type)
            throw UsageError("--type: one of " + registerTypeNames());
        if (!registerRangeProblem(*type, count).empty())
            throw UsageError("COUNT " + std::to_string(count) + ": --type " + args.type +
                             " takes two registers a value, give an even count");
    }
    if (!session.openLink())
        return;
    std::vector<std::uint16_t> values(count);
    if (!session.checkExchange(
            ModbusMaster(session.link()).readHoldingRegisters(start, count, values)))
        return;
    const auto address = [start](std::size_t k) {
        return hexAndDecimal(static_cast<std::uint32_t>(start + k));
    };
    if (type) {
        for (const TypedValue& v : decodeRegisters(*type, values))
            session.out << address(v.offset) << " = " << v.text << '\n';
        return;
    }
    for (std::size_t k = 0; k < count; ++k)
        session.out << address(k) << " = " << hexAndDecimal(values[k]) << '\n';
}

void writeRegisters(Session& session, const std::string& startText,
                    const std::vector<std::string>& valueTexts) {
    const auto start = static_cast<std::uint16_t>(cliNumber(startText, 0, 0xFFFF, "START"));
    if (valueTexts.size() > kMaxWriteRegisters)
        throw UsageError("at most " + std::to_string(kMaxWriteRegisters) +
                         " registers in one write");
    std::vector<std::uint16_t> values;
    for (const std::string& text : valueTexts)
        values.push_back(static_cast<std::uint16_t>(cliNumber(text, 0, 0xFFFF, "VALUE")));
    if (!session.openLink())
        return;
    const ExchangeResult result =
        ModbusMaster(session.link()).writeMultipleRegisters(start, values, kCliWriteDescription);
    if (!session.checkExchange(result)) {
        if ((result.status & status::Exception) && result.exceptionCode == 4)
            session.err << kLockedHint;
        return;
    }
    for (std::size_t k = 0; k < values.size(); ++k)
        session.out << hexAndDecimal(static_cast<std::uint32_t>(start + k))
                    << " := " << hexAndDecimal(values[k]) << '\n';
}

void hexDump(std::ostream& out, std::span<const std::uint8_t> bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    for (std::size_t row = 0; row < bytes.size(); row += 16) {
        std::string line = hexAndDecimal(static_cast<std::uint32_t>(row)).substr(2, 4) + ":";
        for (std::size_t i = row; i < row + 16 && i < bytes.size(); ++i) {
            line += ' ';
            line += digits[bytes[i] >> 4];
            line += digits[bytes[i] & 0x0F];
        }
        out << line << '\n';
    }
}

void readArchiveBlock(Session& session, const std::string& blockText, const std::string& outFile) {
    const auto address = static_cast<std::uint32_t>(cliNumber(blockText, 0, 0xFFFFFFFF, "N"));
    if (!session.openLink())
        return;
    std::array<std::uint8_t, 1024> block{};
    if (!session.checkExchange(ModbusMaster(session.link()).readArchiveBlock(address, block)))
        return;
    if (outFile.empty()) {
        hexDump(session.out, block);
        return;
    }
    std::ofstream file(outFile, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(block.data()),
               static_cast<std::streamsize>(block.size()));
    file.close();
    if (!file)
        session.fail(kExitUsage, "Не удалось записать файл \"" + outFile + "\"");
}

} // namespace

void addLinkCommands(CLI::App& app, Session& session) {
    auto* ports = app.add_subcommand("ports", "list the serial ports that can be opened now "
                                              "(COMn and its device)");
    ports->callback([&session] { listPorts(session); });

    auto* read = app.add_subcommand("read", "read holding registers (FC3) and print them as "
                                            "0x0100 (256) = 0x1234 (4660)");
    auto readArgs = std::make_shared<ReadArgs>();
    read->add_option("START", readArgs->start, "first register (decimal or 0x-hex)")->required();
    read->add_option("COUNT", readArgs->count, "number of registers, 1..124")->required();
    read->add_option("--type", readArgs->type,
                     "print values of this type instead: " + registerTypeNames() +
                         " (u32 and float take two registers a value, high half first for u32; "
                         "the float orders as the meter's selector: abcd 0 1 2 3, cdab 2 3 0 1, "
                         "badc 1 0 3 2, dcba 3 2 1 0; text: two characters a register)");
    read->callback([&session, readArgs] { readRegisters(session, *readArgs); });

    auto* write = app.add_subcommand(
        "write", "write holding registers (FC16). The meter takes settings only while its "
                 "parameter locks are lifted: write 0x04FE 1 1 first, 0x04FE 0 0 after (an "
                 "exception 4 says they are locked)");
    auto writeStart = std::make_shared<std::string>();
    auto writeValues = std::make_shared<std::vector<std::string>>();
    write->add_option("START", *writeStart, "first register (decimal or 0x-hex)")->required();
    write->add_option("VALUE", *writeValues, "register values, 0..0xFFFF, at most 123")->required();
    write->callback([&session, writeStart, writeValues] {
        writeRegisters(session, *writeStart, *writeValues);
    });

    auto* archive = app.add_subcommand("archive-block", "read one 1024-byte archive block "
                                                        "(FC 0x19) as a hex dump or into a file");
    auto blockArgs = std::make_shared<std::array<std::string, 2>>();
    archive->add_option("N", (*blockArgs)[0], "block address, 32 bits")->required();
    archive->add_option("--out", (*blockArgs)[1], "write the raw 1024 bytes to this file");
    archive->callback(
        [&session, blockArgs] { readArchiveBlock(session, (*blockArgs)[0], (*blockArgs)[1]); });
}

} // namespace flowcfg
