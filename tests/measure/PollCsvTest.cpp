#include "measure/PollCsv.h"

#include "TestFiles.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace flowcfg::test {
namespace {

PollRecord poll(ExchangeResult result, std::uint16_t flowHi = 0, std::uint16_t flowLo = 0) {
    PollRecord p;
    p.time = {2026, 3, 5, 9, 7, 3, 45};
    p.utcOffsetMinutes = 180;
    p.measuredResult = result;
    if (!result.transportOk())
        return p;
    MeasuredBlock m;
    m.IZM_FLOW_V = 12.345f;
    m.IZM_FLOW_V_ERR_HI = flowHi;
    m.IZM_FLOW_V_ERR_LO = flowLo;
    m.FLOW_UNIT = 0x0002; // м куб/час
    m.VOL_SUM = 15221.66;
    m.VOL_FWD = 15234.16;
    m.VOL_REV = 12.5;
    m.VOL_ABS = 15246.66;
    p.measured = m;
    p.primary = PrimaryFlow{32.9f, 0, 0};
    return p;
}

TEST(PollCsvTest, LinesOfPollsByteForByte) {
    EXPECT_EQ(pollCsvHeader(),
              "time,flow,flow_unit,state,volume_sum,volume_forward,volume_reverse,volume_modulus,"
              "volume_unit,primary_flow_m3_h,current_mA,out1_Hz,out2_Hz,status,exchange\n");

    PollRecord withOutputs = poll({});
    withOutputs.outputs = OutputsBlock{11.29f, 500.25f, 0.0f, 0, 2, 0, 1, 0};
    PollRecord west = poll({0x0040, 0});
    west.utcOffsetMinutes = -330;
    PollRecord noPrimary = poll({});
    noPrimary.primary.reset();

    const struct {
        PollRecord poll;
        std::string line;
    } cases[] = {
        {withOutputs, "2026-03-05T09:07:03.045+03:00,12.345,м куб/час,Нормальное измерение,"
                      "15221.66,15234.16,12.5,15246.66,м куб,32.9,11.29,500.25,0,0x0000,\n"},
        // The cut-off state has a comma: quoted.
        {poll({}, 0x0004), "2026-03-05T09:07:03.045+03:00,12.345,м куб/час,\"Нормальное "
                           "измерение, отсечка из изм модуля\",15221.66,15234.16,12.5,"
                           "15246.66,м куб,32.9,,,,0x0000,\n"},
        // Intact after a repeat: the values count, the status says so.
        {poll({0x8000, 0}, 0, 0x0001), "2026-03-05T09:07:03.045+03:00,12.345,м куб/час,"
                                       "Сенс.,15221.66,15234.16,12.5,15246.66,м куб,"
                                       "32.9,,,,0x8000,\n"},
        {noPrimary, "2026-03-05T09:07:03.045+03:00,12.345,м куб/час,Нормальное измерение,"
                    "15221.66,15234.16,12.5,15246.66,м куб,,,,,0x0000,\n"},
        // Failed polls: every value empty, the status and its words.
        {west, "2026-03-05T09:07:03.045-05:30,,,,,,,,,,,,,0x0040,Ответа не было.\n"},
        {poll({0x0010, 2}), "2026-03-05T09:07:03.045+03:00,,,,,,,,,,,,,0x0010,"
                            "Адрес данных выходит за допустимые границы.\n"},
        {poll({0x8022, 0}), "2026-03-05T09:07:03.045+03:00,,,,,,,,,,,,,0x8022,\"При приеме "
                            "принято не ожидаемое число символов. Возможно, ответа просто не "
                            "было.\"\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pollCsvLine(c.poll), c.line);
}

TEST(PollCsvTest, EveryLineIsInTheFileAtOnceAndAFileThatCannotBeMadeSaysWhy) {
    TempDir dir("flowcfg-csv");
    const auto file = dir.path() / "polls.csv";
    std::ofstream(file) << "old contents\n";
    PollCsv csv(file);
    ASSERT_TRUE(csv.ok());
    EXPECT_EQ(readFile(file), pollCsvHeader());
    ASSERT_TRUE(csv.append(poll({0x0040, 0})));
    EXPECT_EQ(readFile(file), pollCsvHeader() + pollCsvLine(poll({0x0040, 0})));

    std::ostringstream out;
    PollCsv toStream(out);
    ASSERT_TRUE(toStream.append(poll({})));
    EXPECT_EQ(out.str(), pollCsvHeader() + pollCsvLine(poll({})));

    PollCsv missing(dir.path() / "no such folder" / "polls.csv");
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.problem(), "нет такого файла или папки");
    EXPECT_FALSE(missing.append(poll({})));
}

} // namespace
} // namespace flowcfg::test
