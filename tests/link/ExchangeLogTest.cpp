#include "link/ExchangeLog.h"

#include "LinkFixture.h"
#include "link/ExchangeJournal.h"
#include "link/ModbusMaster.h"

#include <array>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace flowcfg::test {
namespace {

class ExchangeLogTest : public LinkFixture {
protected:
    ExchangeLogTest() {
        ctx.settings.workDir = dir.path();
        ctx.settings.UseLogFile = 1;
    }
    std::string log() const { return readFile(dir.path() / "COM.txt"); }

    TempDir dir;
};

TEST_F(ExchangeLogTest, ReadWithNoAnswer) {
    ctx.settings.Reask_val = 1;
    std::array<std::uint16_t, 2> values{};
    master().readHoldingRegisters(0x0120, 2, values);
    // The silent read waits 48 * 11 + 2000 ms (11 bytes asked).
    EXPECT_EQ(log(), "\r\n____________________________\r\n"
                     "06 12 2026 17-56-20.123 \r\n"
                     "Attempt:0\r\n"
                     "Send:\r\n"
                     " 01 03 01 20 00 02 c4 3d"
                     "\r\n"
                     "06 12 2026 17-56-22.651 \r\n"
                     "Answ:\r\n");
}

TEST_F(ExchangeLogTest, WriteAnsweredOnItsSecondAttempt) {
    answerInTurn({{}, withCrc({0x01, 0x10, 0x04, 0x16, 0x00, 0x01})});
    const std::uint16_t one = 1;
    EXPECT_EQ(
        master().writeMultipleRegisters(0x0416, std::span(&one, 1), "Команда на мигание.").status,
        0x8000);
    // 48 * 8 + 2000 ms of silence, then the 1000 ms pause before the repeat.
    EXPECT_EQ(log(), "\r\n____________________________\r\n"
                     "06 12 2026 17-56-20.123 \r\n"
                     "Команда на мигание.\r\n"
                     "\r\nSend:\r\n"
                     " 01 10 04 16 00 01 02 00 01 20 a6"
                     "\r\n\r\n"
                     "06 12 2026 17:56:22.507 \r\n"
                     "Attempt:0\r\n"
                     "Answ:\r\n"
                     "\r\n____________________________\r\n"
                     "06 12 2026 17-56-23.507 \r\n"
                     "Команда на мигание.\r\n"
                     "\r\nSend:\r\n"
                     " 01 10 04 16 00 01 02 00 01 20 a6"
                     "\r\n\r\n"
                     "06 12 2026 17:56:23.507 \r\n"
                     "Attempt:1                                        *************\r\n"
                     "Answ:\r\n"
                     " 01 10 04 16 00 01 e1 3d"
                     "\r\nout=8000\r\n");
}

TEST_F(ExchangeLogTest, FailedWriteListsItsBitsAndTheExceptionCode) {
    ctx.settings.Reask_val = 1;
    answerAlways(withCrc({0x01,    // address
                          0x90,    // function + 0x80
                          0x1A})); // exception code
    const std::uint16_t one = 1;
    EXPECT_EQ(master().writeMultipleRegisters(0x0416, std::span(&one, 1), "x"),
              (ExchangeResult{0x001A, 0x1A}));
    const std::string text = log();
    EXPECT_NE(text.find("\r\nout=1a\r\n"
                        "принято не сколько ожидалось\r\n"
                        "в ответе не номер команды\r\n"
                        "прибор отвечает с ошибкой modbus_err\r\n"
                        "modbus_err=1a\r\n"),
              std::string::npos)
        << text;
    EXPECT_TRUE(text.ends_with("modbus_err=1a\r\n"));
}

TEST_F(ExchangeLogTest, ArchiveRequestIsLoggedBeforeItIsSent) {
    ctx.settings.Reask_val = 1;
    ctx.settings.NetAdrr = 255; // logged, never checked, no failure record
    line->responder = [&](std::span<const std::uint8_t>) {
        EXPECT_NE(log().find("Send:\r\n ff 19"), std::string::npos);
        return Bytes{0xFF, 0x19};
    };
    std::array<std::uint8_t, 1024> block{};
    master().readArchiveBlock(0x10, block);
    EXPECT_TRUE(log().ends_with("Answ:\r\n ff 19"));
}

// The journal of the window's exchange view watches the line with COM.txt off: the same
// records with the same time stamps, each answer with its attempt's result, the oldest entry
// gone past its capacity.
TEST_F(ExchangeLogTest, ObserversSeeEveryExchangeWithTheFileOff) {
    ctx.settings.UseLogFile = 0;
    ExchangeJournal journal(3);
    ctx.exchangeObservers.add(journal);
    answerInTurn({{}, withCrc({0x01, 0x10, 0x04, 0x16, 0x00, 0x01})});
    const std::uint16_t one = 1;
    master().writeMultipleRegisters(0x0416, std::span(&one, 1), "Команда на мигание.");
    ctx.exchangeObservers.remove(journal);

    EXPECT_EQ(journal.first(), 1u);
    EXPECT_EQ(journal.end(), 4u);
    EXPECT_TRUE(journal.entry(1).failed());
    EXPECT_EQ(journal.copyText(),
              "Время\tНаправление\tБайты\tОписание\tСостояние\n"
              "17:56:22.507\tОтвет\t\t\t0x0042: принято не сколько ожидалось, совсем ничего не "
              "пришло\n"
              "17:56:23.507\tЗапрос, повтор 1\t01 10 04 16 00 01 02 00 01 20 a6\t"
              "Команда на мигание.\t\n"
              "17:56:23.507\tОтвет, повтор 1\t01 10 04 16 00 01 e1 3d\t\tнорма\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "COM.txt"));
}

TEST_F(ExchangeLogTest, OffMeansNoFile) {
    ctx.settings.UseLogFile = 0;
    std::array<std::uint16_t, 2> values{};
    master().readHoldingRegisters(0x0120, 2, values);
    master().writeMultipleRegisters(0x0120, values, "x");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "COM.txt"));
    ctx.settings.UseLogFile = 2; // only 1 turns it on
    master().readHoldingRegisters(0x0120, 2, values);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "COM.txt"));
}

TEST_F(ExchangeLogTest, AFullLogTurnsOverToComTxt1) {
    ctx.settings.LogFileMaxKB = 1;
    answerAlways(withCrc({0x01, 0x03, 0x04, 0x12, 0x34, 0xAB, 0xCD}));
    std::array<std::uint16_t, 2> values{};
    // Each read logs a request and an answer record of about 80 bytes each.
    for (int i = 0; i < 20; ++i)
        master().readHoldingRegisters(0x0120, 2, values);
    const std::string current = log();
    const std::string older = readFile(dir.path() / "COM.txt.1");
    EXPECT_LE(current.size(), 1024u);
    EXPECT_GT(older.size(), 1024u - 100);
    EXPECT_LE(older.size(), 1024u);
    // Whole records on both sides: the current part starts with a request record.
    EXPECT_TRUE(current.starts_with("\r\n____________________________\r\n")) << current;
    EXPECT_TRUE(older.ends_with("Answ:\r\n 01 03 04 12 34 ab cd 00 20")) << older;

    // No limit: the file grows.
    ctx.settings.LogFileMaxKB = 0;
    for (int i = 0; i < 20; ++i)
        master().readHoldingRegisters(0x0120, 2, values);
    EXPECT_GT(log().size(), 2048u);
}

TEST_F(ExchangeLogTest, UnwritableLogNeverAffectsTheExchange) {
    std::ofstream(dir.path() / "file") << "x";
    ctx.settings.workDir = dir.path() / "file" / "sub"; // a directory below a file
    answerAlways(withCrc({0x01, 0x03, 0x04, 0x12, 0x34, 0xAB, 0xCD}));
    std::array<std::uint16_t, 2> values{};
    EXPECT_EQ(master().readHoldingRegisters(0x0120, 2, values), (ExchangeResult{0, 0}));
    EXPECT_EQ(values[1], 0xABCD);
}

} // namespace
} // namespace flowcfg::test
