#include "link/ModbusMaster.h"

#include "LinkFixture.h"

#include <array>
#include <gtest/gtest.h>
#include <random>
#include <regex>
#include <stdexcept>

namespace flowcfg::test {
namespace {

const std::uint8_t kAscii[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};

TEST(Crc16, CheckValueOfTheModbusCrc) {
    EXPECT_EQ(crc16(kAscii), 0x4B37);
}

using ModbusMasterTest = LinkFixture;

// Answer to FC3 of two registers at address 1: 0x1234, 0xABCD.
Bytes twoRegisters(std::uint8_t address = 0x01) {
    return withCrc({address,                  // address
                    0x03,                     // function
                    0x04,                     // byte count
                    0x12, 0x34, 0xAB, 0xCD}); // two registers
}

TEST_F(ModbusMasterTest, RequestFramesByteForByte) {
    std::array<std::uint16_t, 2> values{};
    master().readHoldingRegisters(0x0120, 2, values);
    const std::uint16_t one = 1;
    master().writeMultipleRegisters(0x0416, std::span(&one, 1), "Команда на мигание.");
    std::array<std::uint8_t, 1024> block{};
    master().readArchiveBlock(0x01020304, block);

    ASSERT_GE(line->requests.size(), 5u);              // every transaction repeated once: no answer
    EXPECT_EQ(line->requests[0], (Bytes{0x01,          // address
                                        0x03,          // function
                                        0x01, 0x20,    // start 0x0120
                                        0x00, 0x02,    // count
                                        0xC4, 0x3D})); // CRC
    EXPECT_EQ(line->requests[2], (Bytes{0x01,          // address
                                        0x10,          // function
                                        0x04, 0x16,    // start 0x0416
                                        0x00, 0x01,    // count
                                        0x02,          // byte count
                                        0x00, 0x01,    // value 1
                                        0x20, 0xA6})); // CRC
    EXPECT_EQ(line->requests[4], withCrc({0x01,        // address
                                          0x19,        // function
                                          0x01, 0x02, 0x03, 0x04})); // block address
    EXPECT_EQ(ctx.lastWriteDescription, "Команда на мигание.");
}

TEST_F(ModbusMasterTest, GoodAnswerStoresValuesWithoutRepeat) {
    answerAlways(twoRegisters());
    std::array<std::uint16_t, 2> values{};
    const ExchangeResult r = master().readHoldingRegisters(0x0120, 2, values);
    EXPECT_EQ(r, (ExchangeResult{0, 0}));
    EXPECT_EQ(values, (std::array<std::uint16_t, 2>{0x1234, 0xABCD}));
    EXPECT_EQ(line->requests.size(), 1u);
    EXPECT_TRUE(pump.pauses().empty());
    EXPECT_EQ(line->purges, 1);
}

TEST_F(ModbusMasterTest, ExceptionAnswerIsRepeatedAndCarriesItsCode) {
    answerAlways(withCrc({0x01,    // address
                          0x83,    // function + 0x80
                          0x02})); // exception code
    std::array<std::uint16_t, 2> values{};
    ctx.settings.Reask_val = 1;
    EXPECT_EQ(master().readHoldingRegisters(0x0120, 2, values), (ExchangeResult{0x001A, 2}));

    ctx.settings.Reask_val = 2;
    EXPECT_EQ(master().readHoldingRegisters(0x0120, 2, values), (ExchangeResult{0x801A, 2}));
    EXPECT_EQ(line->requests.size(), 3u);
    EXPECT_EQ(pump.pauses(), (std::vector<RecordedPause>{{1000, PauseTimer::AfterWrite}}));

    // With N = 0 the exception answer has the expected length.
    ctx.settings.Reask_val = 1;
    EXPECT_EQ(master().readHoldingRegisters(0x0120, 0, values), (ExchangeResult{0x0018, 2}));
}

TEST_F(ModbusMasterTest, AnswerChecksGiveTheirBits) {
    ctx.settings.Reask_val = 1;
    std::array<std::uint16_t, 2> values{};
    const auto read = [&](Bytes answer) {
        answerAlways(std::move(answer));
        return master().readHoldingRegisters(0x0120, 2, values).status;
    };
    EXPECT_EQ(read(twoRegisters(5)), status::OtherAddress);
    ctx.settings.NetAdrr = 0; // address 0 accepts an answer from any address
    EXPECT_EQ(read(twoRegisters(5)), 0);
    EXPECT_EQ(values[0], 0x1234);
    ctx.settings.NetAdrr = 1;

    Bytes badCrc = twoRegisters();
    badCrc.back() ^= 0xFF;
    EXPECT_EQ(read(badCrc), status::CrcMismatch);
    EXPECT_EQ(values[1], 0xABCD) << "values are kept from a failed last attempt";

    Bytes shortAnswer = twoRegisters();
    shortAnswer.resize(6);
    EXPECT_EQ(read(shortAnswer), status::WrongLength | status::CrcMismatch);
    EXPECT_EQ(values, (std::array<std::uint16_t, 2>{0x1234, 0xAB00}));

    Bytes wrongFunction = withCrc({0x01, 0x04, 0x04, 0x12, 0x34, 0xAB, 0xCD});
    EXPECT_EQ(read(wrongFunction), status::NotFunction);

    EXPECT_EQ(read({}), status::WrongLength | status::NothingReceived);
    EXPECT_EQ(values, (std::array<std::uint16_t, 2>{0, 0}));
}

TEST_F(ModbusMasterTest, LineErrorsCountOnlyWithParity) {
    answerAlways(twoRegisters());
    pump.onEvents = [&] { line->pendingErrors.parity = 1; };
    ctx.settings.Reask_val = 1;
    std::array<std::uint16_t, 2> values{};
    EXPECT_EQ(master().readHoldingRegisters(0x0120, 2, values).status, 0);
    ctx.settings.parity = 2;
    EXPECT_EQ(master().readHoldingRegisters(0x0120, 2, values).status, status::LineError);
}

TEST_F(ModbusMasterTest, Address255SendsButTakesNothing) {
    ctx.settings.NetAdrr = 255;
    answerAlways(twoRegisters(255));
    std::array<std::uint16_t, 2> values{7, 7};
    EXPECT_EQ(master().readHoldingRegisters(0x0120, 2, values), (ExchangeResult{0, 0}));
    EXPECT_EQ(values, (std::array<std::uint16_t, 2>{7, 7}));
    line->responder = nullptr;
    std::array<std::uint8_t, 1024> block{};
    block.fill(0x55);
    EXPECT_EQ(master().readArchiveBlock(1, block), (ExchangeResult{0, 0}));
    EXPECT_EQ(block[0], 0x55);
    EXPECT_EQ(line->requests.size(), 2u);
    EXPECT_EQ(line->requests[0][0], 255);
    EXPECT_TRUE(pump.pauses().empty());
}

TEST_F(ModbusMasterTest, RepeatRuleFollowsReaskValAndMask) {
    std::array<std::uint16_t, 2> values{};
    answerInTurn({{}, twoRegisters()});
    EXPECT_EQ(master().readHoldingRegisters(0x0120, 2, values), (ExchangeResult{0x8000, 0}));
    EXPECT_EQ(values[0], 0x1234);
    EXPECT_EQ(pump.pauses(), (std::vector<RecordedPause>{{1000, PauseTimer::AfterWrite}}));

    line->requests.clear();
    pump.clearPauses();
    answerAlways({});
    ctx.settings.Reask_val = 3;
    EXPECT_EQ(master().readHoldingRegisters(0x0120, 2, values).status, 0x8042);
    EXPECT_EQ(line->requests.size(), 3u);
    EXPECT_EQ(pump.pauses().size(), 2u);

    line->requests.clear();
    ctx.settings.read_hold_reg_err_msk = 0;
    EXPECT_EQ(master().readHoldingRegisters(0x0120, 2, values).status, 0x0042);
    EXPECT_EQ(line->requests.size(), 1u);

    // Only the masked bits repeat: a CRC fault is not repeated under mask 0x40.
    line->requests.clear();
    ctx.settings.read_hold_reg_err_msk = status::NothingReceived;
    Bytes badCrc = twoRegisters();
    badCrc[6] ^= 1;
    answerAlways(badCrc);
    EXPECT_EQ(master().readHoldingRegisters(0x0120, 2, values).status, status::CrcMismatch);
    EXPECT_EQ(line->requests.size(), 1u);

    line->requests.clear();
    ctx.settings.read_hold_reg_err_msk = 127;
    ctx.settings.Reask_val = 1;
    answerAlways({});
    EXPECT_EQ(master().writeMultipleRegisters(0x0416, values, "x").status, 0x0042);
    EXPECT_EQ(line->requests.size(), 1u);
}

TEST_F(ModbusMasterTest, MessagesRunDuringReadsButNotDuringWrites) {
    answerAlways(withCrc({0x01, 0x10, 0x04, 0x16, 0x00, 0x01}));
    const std::uint16_t one = 1;
    EXPECT_EQ(master().writeMultipleRegisters(0x0416, std::span(&one, 1), "x").status, 0);
    EXPECT_EQ(pump.processEventsCalls(), 0u);

    answerAlways(twoRegisters());
    std::array<std::uint16_t, 2> values{};
    master().readHoldingRegisters(0x0120, 2, values);
    EXPECT_EQ(pump.processEventsCalls(), 9u);
}

TEST_F(ModbusMasterTest, AHandlerThatClosesThePortDuringAReadIsSurvived) {
    answerAlways(twoRegisters());
    pump.onEvents = [&] { ctx.port.reset(); };
    ctx.settings.Reask_val = 1;
    std::array<std::uint16_t, 2> values{};
    EXPECT_EQ(master().readHoldingRegisters(0x0120, 2, values).status, 0x0042);
}

TEST_F(ModbusMasterTest, TimeoutsPerSpeedPlusProgramGap) {
    answerAlways(twoRegisters());
    ctx.settings.speedIndex = 4;
    ctx.settings.TimeGapPrg = 5;
    ctx.settings.TimeOut = 300;
    ctx.timeouts.RIT[1] = 90;
    ctx.timeouts.RTTM[1] = 91;
    std::array<std::uint16_t, 2> values{};
    master().readHoldingRegisters(0x0120, 2, values);
    EXPECT_EQ(line->timeouts.readInterval, 95u);
    EXPECT_EQ(line->timeouts.readTotalMultiplier, 96u);
    EXPECT_EQ(line->timeouts.readTotalConstant, 305u);
    EXPECT_EQ(line->timeouts.writeTotalMultiplier, 0u);
    EXPECT_EQ(line->timeouts.writeTotalConstant, 0u);

    ctx.settings.speedIndex = 2; // not in the table: the DF keys
    ctx.timeouts.RIT[8] = 150;
    ctx.timeouts.RTTM[8] = 151;
    master().readHoldingRegisters(0x0120, 2, values);
    EXPECT_EQ(line->timeouts.readInterval, 155u);
    EXPECT_EQ(line->timeouts.readTotalMultiplier, 156u);

    std::array<std::uint8_t, 1024> block{};
    master().readArchiveBlock(0, block);
    EXPECT_EQ(line->timeouts.readInterval, 200u);
    EXPECT_EQ(line->timeouts.readTotalMultiplier, 200u);
    EXPECT_EQ(line->timeouts.readTotalConstant, 4005u);
    EXPECT_EQ(line->timeouts.writeTotalMultiplier, 100u);
    EXPECT_EQ(line->timeouts.writeTotalConstant, 100u);
}

TEST_F(ModbusMasterTest, ArchiveBlockTakesBytesFourTo1027) {
    Bytes answer{0x01,        // address
                 0x19,        // function
                 0xAA, 0xBB}; // not examined
    for (int i = 0; i < 1024; ++i)
        answer.push_back(static_cast<std::uint8_t>(i * 7));
    answer = withCrc(answer);
    answerAlways(answer);
    std::array<std::uint8_t, 1024> block{};
    EXPECT_EQ(master().readArchiveBlock(7, block), (ExchangeResult{0, 0}));
    EXPECT_EQ(block[0], 0);
    EXPECT_EQ(block[1], 7);
    EXPECT_EQ(block[1023], static_cast<std::uint8_t>(1023 * 7));

    // A short answer fails on its length, also one that ends in its own good CRC (which the
    // CRC over the zero-filled positions lets through); the bytes that came are still handed
    // back.
    ctx.settings.Reask_val = 1;
    answer.resize(100);
    answerAlways(answer);
    EXPECT_EQ(master().readArchiveBlock(7, block).status,
              status::WrongLength | status::CrcMismatch);
    EXPECT_EQ(block[95], static_cast<std::uint8_t>(95 * 7));
    EXPECT_EQ(block[96], 0);
    answerAlways(withCrc({0x01, 0x19, 0xAA, 0xBB})); // address, function, two bytes, CRC
    EXPECT_EQ(master().readArchiveBlock(7, block).status, status::WrongLength);
    answerAlways({});
    EXPECT_EQ(master().readArchiveBlock(7, block).status,
              status::NothingReceived | status::WrongLength);
}

TEST_F(ModbusMasterTest, NoPortFailsWithNothingReceived) {
    ctx.port.reset();
    std::array<std::uint16_t, 2> values{};
    EXPECT_EQ(master().readHoldingRegisters(0x0120, 2, values).status, 0x8042);
    EXPECT_EQ(master().writeMultipleRegisters(0x0120, values, "x").status, 0x8042);
    std::array<std::uint8_t, 1024> block{};
    EXPECT_EQ(master().readArchiveBlock(7, block).status, 0x8042);
    EXPECT_TRUE(line->requests.empty());
}

TEST_F(ModbusMasterTest, HostileAnswersNeverOverrunTheBuffers) {
    ctx.settings.Reask_val = 1;
    std::mt19937 random(12345);
    std::array<std::uint16_t, 124> values{};
    std::array<std::uint8_t, 1024> block{};
    for (int round = 0; round < 200; ++round) {
        Bytes noise(random() % 2100);
        for (auto& b : noise)
            b = static_cast<std::uint8_t>(random());
        answerAlways(noise);
        const auto count = static_cast<std::uint8_t>(random() % 125);
        const ExchangeResult r = master().readHoldingRegisters(0, count, values);
        EXPECT_EQ(r.status & 0x7F80, 0);
        master().readArchiveBlock(0, block);
        master().writeMultipleRegisters(0, std::span(values).first(count % 124), "x");
    }

    // A correct answer followed by garbage: only the asked 2N+7 bytes are read.
    Bytes longAnswer = twoRegisters();
    longAnswer.resize(5000, 0xEE);
    answerAlways(longAnswer);
    std::array<std::uint16_t, 2> two{};
    EXPECT_EQ(master().readHoldingRegisters(0x0120, 2, two).status, status::WrongLength);
    EXPECT_EQ(two, (std::array<std::uint16_t, 2>{0x1234, 0xABCD}));
}

enum class Fc : std::uint8_t { Read, Write, Archive };

TEST_F(ModbusMasterTest, QuickEndStopsWaitingAtAWholeAnswerOnly) {
    ctx.settings.Reask_val = 1;
    const Bytes exception3 = withCrc({0x01,   // address
                                      0x83,   // function + 0x80
                                      0x02}); // exception code
    Bytes badCrc = twoRegisters();
    badCrc.back() ^= 0xFF;
    Bytes shortAnswer = twoRegisters();
    shortAnswer.resize(6);
    struct Case {
        const char* what;
        Fc fc;
        Bytes answer;
        ExchangeStatus status;
        std::uint64_t specifiedMs, quickMs; // time spent reading
    } cases[] = {
        // A whole answer: quick ends at its last byte, then 3.5 characters (2 ms at 19200).
        {"FC3 answer", Fc::Read, twoRegisters(), 0, 48, 2},
        {"FC3 exception", Fc::Read, exception3, 0x001A, 48, 2},
        {"FC16 exception", Fc::Write, withCrc({0x01, 0x90, 0x04}), 0x001A, 48, 2},
        {"FC25 exception", Fc::Archive, withCrc({0x01, 0x99, 0x04}), 0x001A, 200, 2},
        // Anything else waits as before.
        {"FC3 short", Fc::Read, shortAnswer, status::WrongLength | status::CrcMismatch, 48, 48},
        {"FC3 bad CRC", Fc::Read, badCrc, status::CrcMismatch, 48, 48},
        // FC16's whole answer ends the read by its count anyway.
        {"FC16 answer", Fc::Write, withCrc({0x01, 0x10, 0x04, 0x16, 0x00, 0x01}), 0, 0, 0},
    };
    ctx.settings.UseLogFile = 1;
    const auto withoutTimes = [](const std::string& log) {
        static const std::regex stamp(R"(\d\d \d\d \d{4} \d\d.\d\d.\d\d\.\d{3} )");
        return std::regex_replace(log, stamp, "T");
    };
    for (const Case& c : cases) {
        answerAlways(c.answer);
        std::string logs[2];
        for (const std::uint16_t quick : {0, 1}) {
            TempDir dir;
            ctx.settings.workDir = dir.path();
            ctx.settings.QuickAnswerEnd = quick;
            std::array<std::uint16_t, 2> values{};
            std::array<std::uint8_t, 1024> block{};
            const std::uint64_t t0 = clock.monotonicMs();
            const ExchangeResult r =
                c.fc == Fc::Read    ? master().readHoldingRegisters(0x0120, 2, values)
                : c.fc == Fc::Write ? master().writeMultipleRegisters(0x0416, values, "x")
                                    : master().readArchiveBlock(1, block);
            EXPECT_EQ(r.status, c.status) << c.what << " quick " << quick;
            EXPECT_EQ(clock.monotonicMs() - t0, quick ? c.quickMs : c.specifiedMs)
                << c.what << " quick " << quick;
            if (c.fc == Fc::Read && c.status == 0) {
                EXPECT_EQ(values, (std::array<std::uint16_t, 2>{0x1234, 0xABCD}));
            }
            logs[quick] = withoutTimes(readFile(dir.path() / "COM.txt"));
        }
        EXPECT_EQ(logs[0], logs[1]) << c.what << ": the same exchange log";
    }
}

TEST_F(ModbusMasterTest, QuickEndKeepsStrayBytesOutOfTheNextExchange) {
    ctx.settings.QuickAnswerEnd = 1;
    ctx.settings.Reask_val = 1;
    // Two bytes of noise still on their way after each whole answer.
    line->responder = [this](std::span<const std::uint8_t>) {
        line->late = {0x00, 0xFF};
        return twoRegisters();
    };
    std::array<std::uint16_t, 2> values{};
    for (int exchange = 0; exchange < 3; ++exchange)
        EXPECT_EQ(master().readHoldingRegisters(0x0120, 2, values).status, 0) << exchange;
    EXPECT_TRUE(line->rx.empty() && line->late.empty());
}

TEST_F(ModbusMasterTest, MisuseIsRefused) {
    std::array<std::uint16_t, 200> values{};
    EXPECT_THROW(master().readHoldingRegisters(0, 3, std::span(values).first(2)),
                 std::invalid_argument);
    EXPECT_THROW(master().writeMultipleRegisters(0, std::span(values).first(124), "x"),
                 std::invalid_argument);
}

} // namespace
} // namespace flowcfg::test
