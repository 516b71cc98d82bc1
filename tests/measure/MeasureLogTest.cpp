#include "measure/MeasureLog.h"

#include "TestFiles.h"
#include "measure/MeasuredValues.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace flowcfg::test {
namespace {

MeasuredBlock knownBlock() {
    MeasuredBlock b;
    b.IZM_FLOW_V = 12.345f;
    b.IZM_FLOW_V_OTN = 327;
    b.IZM_FLOW_V_ERR_HI = 0x2001;
    b.IZM_FLOW_V_ERR_LO = 0x00AB;
    b.IZM_FLOW_VEL = -1.5f;
    b.IZM_FLOW_VEL_ERR = 0x0010;
    b.TEMP_PIPE = 21.5f;
    b.TEMP_PIPE_ERR = 0x0001;
    b.TEMP_MODULE = 40.0f; // not logged
    b.IZM_P_KPA = 101.3f;
    b.IZM_P_KPA_ERR = 0xBEEF;
    b.CONTACTS = 0x8005;
    return b;
}

constexpr LocalTime kMarch5{2026, 3, 5, 9, 7, 3, 456};

TEST(MeasureLogTest, LineForAKnownBlockByteForByte) {
    const std::string line = formatMainLogLine(mainLogRecordOf(knownBlock()), kMarch5);
    EXPECT_EQ(line, "05 03 2026 09 07 03  IZM_FLOW_V=    12.3450 IZM_FLOW_V_OTN=00327 "
                    "IZM_FLOW_V_ERR_HI=2001  IZM_FLOW_V_ERR_LO=00ab IZM_TEMP=      21.50  "
                    "IZM_TEMP_ERR=0001 IZM_P_KPA=     101.30 IZM_P_KPA_ERR=beef "
                    "IZM_FLOW_VEL=      -1.50 IZM_FLOW_VEL_ERR=0010 IZM_BT=0000 REL_FLAGS=8005 "
                    "\r\n");
}

TEST(MeasureLogTest, EmptyRecordAndWideValues) {
    EXPECT_EQ(formatMainLogLine({}, LocalTime{2027, 12, 31, 23, 59, 59, 0}),
              "31 12 2027 23 59 59  IZM_FLOW_V=     0.0000 IZM_FLOW_V_OTN=00000 "
              "IZM_FLOW_V_ERR_HI=0000  IZM_FLOW_V_ERR_LO=0000 IZM_TEMP=       0.00  "
              "IZM_TEMP_ERR=0000 IZM_P_KPA=       0.00 IZM_P_KPA_ERR=0000 "
              "IZM_FLOW_VEL=       0.00 IZM_FLOW_VEL_ERR=0000 IZM_BT=0000 REL_FLAGS=0000 \r\n");
    MainLogRecord r;
    r.IZM_FLOW_V = -9999999.0f; // wider than the field: printed whole
    r.IZM_FLOW_V_OTN = 65535;
    const std::string line = formatMainLogLine(r, kMarch5);
    EXPECT_NE(line.find("IZM_FLOW_V=-9999999.0000 IZM_FLOW_V_OTN=65535 "), std::string::npos);
}

TEST(MeasureLogTest, AppendsLinesWithCrLf) {
    TempDir dir("flowcfg-measure");
    const MeasureLogSettings log{true, dir.path() / "izm.txt"};
    const MainLogRecord record = mainLogRecordOf(knownBlock());
    ASSERT_EQ(appendMainLog(log, record, kMarch5), 0);
    ASSERT_EQ(appendMainLog(log, record, kMarch5), 0);
    const std::string line = formatMainLogLine(record, kMarch5);
    EXPECT_EQ(readFile(log.fileName), line + line);
    EXPECT_EQ(line.substr(0, 21), "05 03 2026 09 07 03  ");
}

TEST(MeasureLogTest, SwitchOffCreatesNothingAndMissingDirectoryFailsWith14) {
    TempDir dir("flowcfg-measure");
    const MeasureLogSettings off{false, dir.path() / "izm.txt"};
    EXPECT_EQ(appendMainLog(off, {}, kMarch5), 0);
    EXPECT_FALSE(std::filesystem::exists(off.fileName));

    const MeasureLogSettings missing{true, dir.path() / "no-such-dir" / "izm.txt"};
    EXPECT_EQ(appendMainLog(missing, {}, kMarch5), 14);
    EXPECT_EQ(appendMainLog(missing, {}, kMarch5), 14);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "no-such-dir"));
}

} // namespace
} // namespace flowcfg::test
