#include "../link/LinkFixture.h"
#include "SimLine.h"
#include "cli/CliNumbers.h"
#include "cli/Commands.h"
#include "cli/RunCli.h"
#include "platform/IniFile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace flowcfg::test {
namespace {

// flowcfg-cli with its link commands on in-process lines: "/dev/sim" is the simulated meter
// at address 1, "/dev/scripted" answers with `scripted`.
class CliTest : public ::testing::Test {
protected:
    CliTest() {
        auto simLine = devices.add("/dev/sim");
        simLine->clock = &clock;
        attachMeter(*simLine, slave, clock);
        auto scriptedLine = devices.add("/dev/scripted");
        scriptedLine->clock = &clock;
        scriptedLine->responder = [this](std::span<const std::uint8_t>) { return scripted; };
    }

    int run(std::vector<std::string> args) {
        out.str({});
        err.str({});
        args.insert(args.begin(), {"flowcfg-cli", "--dir", dir.path().string()});
        std::vector<const char*> argv;
        for (const auto& a : args)
            argv.push_back(a.c_str());
        Session session(out, err, in, devices, pump, clock);
        return runCli(static_cast<int>(argv.size()), argv.data(), session, addLinkCommands);
    }

    TempDir dir;
    FakeClock clock;
    FakeEventPump pump{clock};
    FakeSerialDevices devices;
    sim::MeterSlave slave;
    Bytes scripted;
    std::ostringstream out, err;
    std::istringstream in;
};

TEST_F(CliTest, ReadAndWriteAgainstTheSimulatedMeter) {
    ASSERT_EQ(run({"--port", "/dev/sim", "write", "0x04FE", "1", "0x0001"}), 0) << err.str();
    EXPECT_EQ(out.str(), "0x04FE (1278) := 0x0001 (1)\n"
                         "0x04FF (1279) := 0x0001 (1)\n");
    EXPECT_EQ(slave.meter().reg(0x04FF), 1);

    slave.meter().setReg(0x0102, 0xABCD);
    ASSERT_EQ(run({"read", "256", "3", "--port", "/dev/sim"}), 0) << err.str();
    EXPECT_EQ(out.str(), "0x0100 (256) = " + hexAndDecimal(slave.meter().reg(0x0100)) + "\n" +
                             "0x0101 (257) = " + hexAndDecimal(slave.meter().reg(0x0101)) + "\n" +
                             "0x0102 (258) = 0xABCD (43981)\n");
    EXPECT_EQ(err.str(), "");

    // Both files were created and normalised; the per-run options are not written back.
    const std::string dev = readFile(dir.path() / "dev.dat");
    EXPECT_NE(dev.find("NetAdrr=1"), std::string::npos);
    EXPECT_EQ(dev.find("/dev/sim"), std::string::npos);
    EXPECT_NE(readFile(dir.path() / "to.dat").find("RITDF=192"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "COM.txt"));
}

TEST_F(CliTest, ReadPrintsTypedValues) {
    scripted = withCrc({0x01, 0x03, 0x04,         // address, function, byte count
                        0x42, 0xF6, 0xE9, 0x79,   // 123.456 in the order 0 1 2 3
                        0x41, 0x42, 0x43, 0x00}); // "ABC"
    const auto typed = [&](const char* type) {
        EXPECT_EQ(run({"--port", "/dev/scripted", "read", "0x1000", "4", "--type", type}), 0)
            << err.str();
        return out.str();
    };
    EXPECT_EQ(typed("float"), "0x1000 (4096) = 123.456\n0x1002 (4098) = 12.141357\n");
    EXPECT_EQ(typed("u32"), "0x1000 (4096) = 1123477881\n0x1002 (4098) = 1094861568\n");
    EXPECT_EQ(typed("s16"), "0x1000 (4096) = 17142\n0x1001 (4097) = -5767\n"
                            "0x1002 (4098) = 16706\n0x1003 (4099) = 17152\n");
    EXPECT_EQ(typed("text"), "0x1000 (4096) = B..yABC\n");
    EXPECT_EQ(run({"--port", "/dev/scripted", "read", "0x1000", "3", "--type", "u32"}), 1);
    EXPECT_EQ(run({"--port", "/dev/scripted", "read", "0x1000", "2", "--type", "double"}), 1);
}

TEST_F(CliTest, ExchangeFailuresSayWhatTheBoxSaysThenTheStatusWordAndExitWith2) {
    EXPECT_EQ(run({"--port", "/dev/sim", "--address", "9", "read", "0x0100", "2"}), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "Ошибка в обмене.: Ответа не было.\n"
                         "Запрос: COM1 (/dev/sim), 19200 бод, без паритета, адрес 9. Проверьте "
                         "сетевой адрес и настройки связи прибора, кабель и провода A/B адаптера "
                         "(не перепутаны ли).\n"
                         "Ошибка обмена: status 0x8042 (32834), exception code 0x00 (0)\n"
                         "  0x0002 (2) принято не сколько ожидалось\n"
                         "  0x0040 (64) совсем ничего не пришло\n"
                         "  0x8000 (32768) был повтор запроса\n");

    scripted = withCrc({0x01,   // address
                        0x83,   // function + 0x80
                        0x02}); // exception code
    EXPECT_EQ(run({"--port", "/dev/scripted", "read", "0x0100", "2"}), 2);
    EXPECT_EQ(err.str(), "Устройство сообщает об ошибке: Адрес данных выходит за допустимые "
                         "границы.\n"
                         "Ошибка обмена: status 0x801A (32794), exception code 0x02 (2)\n"
                         "  0x0002 (2) принято не сколько ожидалось\n"
                         "  0x0008 (8) в ответе не номер команды\n"
                         "  0x0010 (16) прибор отвечает с ошибкой modbus_err\n"
                         "  0x8000 (32768) был повтор запроса\n");

    // A write refused with code 4: the parameters are locked, and how to lift the lock.
    scripted = withCrc({0x01,   // address
                        0x90,   // function + 0x80
                        0x04}); // exception code
    EXPECT_EQ(run({"--port", "/dev/scripted", "write", "0x0400", "1"}), 2);
    EXPECT_TRUE(err.str().starts_with("Устройство сообщает об ошибке: Ошибка в работе "
                                      "адресуемого устройства.\n"))
        << err.str();
    EXPECT_TRUE(err.str().ends_with(
        "Параметры прибора заблокированы. Снимите блокировку: flowcfg-cli write 0x04FE 1 1, "
        "повторите запись, затем заблокируйте снова: flowcfg-cli write 0x04FE 0 0.\n"))
        << err.str();
}

TEST_F(CliTest, UsageErrorsAndUnopenablePortsExitWith1) {
    EXPECT_EQ(run({"--port", "/dev/sim", "read", "0x", "2"}), 1);
    EXPECT_NE(err.str().find("START"), std::string::npos);
    EXPECT_EQ(run({"--port", "/dev/sim", "read", "0", "125"}), 1);
    EXPECT_EQ(run({"--port", "/dev/sim", "write", "0", "65536"}), 1);
    EXPECT_EQ(run({"--port", "/dev/sim", "--baud", "1234", "read", "0", "1"}), 1);
    EXPECT_EQ(run({"--port", "/dev/sim", "--parity", "X", "read", "0", "1"}), 1);
    EXPECT_EQ(run({"--port", "ttyS0", "read", "0", "1"}), 1);
    EXPECT_EQ(run({"frobnicate"}), 1);
    EXPECT_EQ(run({}), 1);
    EXPECT_TRUE(slave.served().empty());

    EXPECT_EQ(run({"--port", "/dev/nothing", "read", "0", "1"}), 1);
    EXPECT_EQ(err.str(), "Ошибка: Невозможно открыть последовательный порт\n"
                         "Нет такого устройства: /dev/nothing.\n");
    devices.refuse("/dev/ttyS4", OpenError::NoPermission);
    EXPECT_EQ(run({"--port", "COM5", "read", "0", "1"}), 1);
    EXPECT_NE(err.str().find("dialout"), std::string::npos);

    EXPECT_EQ(run({"read", "--help"}), 0);
    EXPECT_NE(out.str().find("START"), std::string::npos);
}

TEST_F(CliTest, RunOptionsForTimeoutRepeatsAndTheQuickEnd) {
    const auto msFor = [&](std::vector<std::string> args, int exitCode) {
        const std::uint64_t t0 = clock.monotonicMs();
        EXPECT_EQ(run(std::move(args)), exitCode) << err.str();
        return clock.monotonicMs() - t0;
    };
    // Nobody at address 9: one 300 ms wait, no repeat; then two repeats 1000 ms apart.
    EXPECT_EQ(msFor({"--port", "/dev/sim", "--address", "9", "--timeout", "300", "--retries", "0",
                     "read", "0x0100", "2"},
                    2),
              300u);
    EXPECT_NE(err.str().find("status 0x0042"), std::string::npos) << err.str();
    EXPECT_EQ(msFor({"--port", "/dev/sim", "--address", "9", "--timeout", "300", "--retries", "2",
                     "read", "0x0100", "2"},
                    2),
              3 * 300u + 2 * 1000u);
    // A whole answer: the interval timeout (48 ms) or 3.5 characters (2 ms at 19200).
    EXPECT_EQ(msFor({"--port", "/dev/sim", "read", "0x0100", "2"}, 0), 48u);
    EXPECT_EQ(msFor({"--port", "/dev/sim", "--quick", "read", "0x0100", "2"}, 0), 2u);
    EXPECT_EQ(readFile(dir.path() / "dev.dat").find("Quick"), std::string::npos);

    EXPECT_EQ(run({"--port", "/dev/sim", "--timeout", "0", "read", "0", "1"}), 1);
    EXPECT_EQ(run({"--port", "/dev/sim", "--retries", "x", "read", "0", "1"}), 1);
    EXPECT_EQ(run({"--help"}), 0);
    for (const char* option : {"--timeout", "--retries", "--quick"})
        EXPECT_NE(out.str().find(option), std::string::npos) << option;
}

TEST_F(CliTest, ArchiveBlockAsHexDumpOrRawFile) {
    Bytes answer{0x01, 0x19, 0x04, 0x00}; // address, function, two bytes not examined
    for (int i = 0; i < 1024; ++i)
        answer.push_back(static_cast<std::uint8_t>(i));
    scripted = withCrc(answer);
    ASSERT_EQ(run({"--port", "/dev/scripted", "archive-block", "0x10"}), 0) << err.str();
    const std::string dump = out.str();
    EXPECT_TRUE(dump.starts_with("0000: 00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f\n"));
    EXPECT_NE(dump.find("\n03F0: f0 f1 f2 f3 f4 f5 f6 f7 f8 f9 fa fb fc fd fe ff\n"),
              std::string::npos);

    const auto file = dir.path() / "block.bin";
    ASSERT_EQ(run({"--port", "/dev/scripted", "archive-block", "16", "--out", file.string()}), 0);
    EXPECT_EQ(readFile(file), std::string(answer.begin() + 4, answer.end()));
    EXPECT_EQ(run({"--port", "/dev/scripted", "archive-block", "16", "--out",
                   (dir.path() / "no" / "such" / "dir").string()}),
              1);
}

TEST_F(CliTest, SettingsFilesInTheWayAreSaidOnceAndTheDefaultsServe) {
    std::filesystem::create_directory(dir.path() / "dev.dat");
    std::filesystem::create_directory(dir.path() / "to.dat");
    ASSERT_EQ(run({"--port", "/dev/sim", "read", "0x0100", "1"}), 0) << err.str();
    const std::string d = dir.path().string();
    EXPECT_EQ(err.str(), "flowcfg-cli: Не удалось прочитать файл \"" + d +
                             "/dev.dat\" (это папка, а не файл): действуют значения по "
                             "умолчанию\n"
                             "flowcfg-cli: Не удалось прочитать файл \"" +
                             d +
                             "/to.dat\" (это папка, а не файл): действуют значения по "
                             "умолчанию\n");
    // A file the command cannot write is said in Russian too.
    Bytes answer{0x01, 0x19, 0x04, 0x00}; // address, function, two bytes not examined
    answer.resize(1028, 0x55);            // the block
    scripted = withCrc(answer);
    EXPECT_EQ(run({"--port", "/dev/scripted", "archive-block", "0", "--out", d}), 1);
    EXPECT_NE(err.str().find("Не удалось записать файл \"" + d + "\"\n"), std::string::npos)
        << err.str();
}

TEST_F(CliTest, LogsWhenDevDatSaysSo) {
    { std::ofstream(dir.path() / "dev.dat") << "[LOG]\nUseLogFile=1\n[PORTS]\nCOM3=/dev/sim\n"; }
    ASSERT_EQ(run({"--port", "COM3", "read", "0x0100", "1"}), 0) << err.str();
    const std::string log = readFile(dir.path() / "COM.txt");
    EXPECT_NE(log.find("Send:\r\n 01 03 01 00 00 01"), std::string::npos) << log;
    EXPECT_NE(log.find("Answ:\r\n 01 03 02"), std::string::npos) << log;
}

TEST_F(CliTest, PortsListsWhatCanBeOpened) {
    devices.add("/dev/ttyS2");
    { std::ofstream(dir.path() / "dev.dat") << "[PORTS]\nCOM40=/dev/sim\n"; }
    ASSERT_EQ(run({"ports"}), 0);
    EXPECT_EQ(out.str(), "COM3\t/dev/ttyS2\nCOM40\t/dev/sim\n");
}

} // namespace
} // namespace flowcfg::test
