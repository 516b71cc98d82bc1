#include "measure/MeasuredValues.h"

#include <array>
#include <cstdint>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

using Words49 = MeasuredWords;

// 123.456f is 0x42F6E979; the four byte orders spread it over two words differently.
constexpr std::uint16_t kAbcdHi = 0x42F6, kAbcdLo = 0xE979; // code 0
constexpr std::uint16_t kDcbaHi = 0x79E9, kDcbaLo = 0xF642; // code 3

TEST(MeasuredBlockTest, BlockByteOrderFromWord5AppliesToSevenSinglesNotToTheFlow) {
    Words49 w{};
    w[0x00] = kAbcdHi; // IZM_FLOW_V, always code 0
    w[0x01] = kAbcdLo;
    w[0x05] = 0x0302; // FLOW_UNIT: byte order 3, unit 2 "м куб/час"
    for (const std::size_t at : {0x06u, 0x0Au, 0x0Du, 0x10u, 0x13u, 0x16u}) {
        w[at] = kDcbaHi; // velocity, four temperatures, pressure: fully reversed
        w[at + 1] = kDcbaLo;
    }
    const MeasuredBlock b = MeasuredBlock::decode(w);
    EXPECT_FLOAT_EQ(b.IZM_FLOW_V, 123.456f);
    EXPECT_FLOAT_EQ(b.IZM_FLOW_VEL, 123.456f);
    EXPECT_FLOAT_EQ(b.TEMP_PIPE, 123.456f);
    EXPECT_FLOAT_EQ(b.TEMP_MODULE, 123.456f);
    EXPECT_FLOAT_EQ(b.TEMP_PROC1, 123.456f);
    EXPECT_FLOAT_EQ(b.TEMP_PROC2, 123.456f);
    EXPECT_FLOAT_EQ(b.IZM_P_KPA, 123.456f);
    EXPECT_EQ(b.FLOW_UNIT, 0x0302);

    // The flow ignores the block code: reversed words in its place are something else.
    w[0x00] = kDcbaHi;
    w[0x01] = kDcbaLo;
    EXPECT_NE(MeasuredBlock::decode(w).IZM_FLOW_V, 123.456f);
}

TEST(MeasuredBlockTest, WordsTotalsAndTimesLandInTheirFields) {
    Words49 w{};
    w[0x02] = 32767;  // IZM_FLOW_V_OTN
    w[0x03] = 0x2001; // IZM_FLOW_V_ERR_HI
    w[0x04] = 0x0011; // IZM_FLOW_V_ERR_LO
    w[0x08] = 0x0101; // IZM_FLOW_VEL_ERR
    w[0x0C] = 0x0202; // TEMP_PIPE_ERR
    w[0x0F] = 0x0303; // TEMP_MODULE_ERR
    w[0x12] = 0x0404; // TEMP_PROC1_ERR
    w[0x15] = 0x0505; // TEMP_PROC2_ERR
    w[0x18] = 0x0606; // IZM_P_KPA_ERR
    // VOL_SUM = 1234.5 (0x40934A00 00000000), VOL_ABS = -1.0 (0xBFF0...)
    w[0x19] = 0x4093;
    w[0x1A] = 0x4A00;
    w[0x25] = 0xBFF0;
    w[0x29] = 0x0001; // VOL_ERR_HI
    w[0x2A] = 0x8000; // VOL_ERR_LO
    w[0x2B] = 0x0001; // VOL_UNIT
    w[0x2C] = 0x8005; // CONTACTS
    w[0x2D] = 0x0001; // ACC_TIME high
    w[0x2E] = 0x0002; // ACC_TIME low
    w[0x2F] = 0xFFFF; // RUN_TIME high
    w[0x30] = 0xFFFF; // RUN_TIME low
    const MeasuredBlock b = MeasuredBlock::decode(w);
    EXPECT_EQ(b.IZM_FLOW_V_OTN, 32767);
    EXPECT_EQ(b.IZM_FLOW_V_ERR_HI, 0x2001);
    EXPECT_EQ(b.IZM_FLOW_V_ERR_LO, 0x0011);
    EXPECT_EQ(b.IZM_FLOW_VEL_ERR, 0x0101);
    EXPECT_EQ(b.TEMP_PIPE_ERR, 0x0202);
    EXPECT_EQ(b.TEMP_MODULE_ERR, 0x0303);
    EXPECT_EQ(b.TEMP_PROC1_ERR, 0x0404);
    EXPECT_EQ(b.TEMP_PROC2_ERR, 0x0505);
    EXPECT_EQ(b.IZM_P_KPA_ERR, 0x0606);
    EXPECT_DOUBLE_EQ(b.VOL_SUM, 1234.5);
    EXPECT_DOUBLE_EQ(b.VOL_FWD, 0.0);
    EXPECT_DOUBLE_EQ(b.VOL_ABS, -1.0);
    EXPECT_EQ(b.VOL_ERR_HI, 0x0001);
    EXPECT_EQ(b.VOL_ERR_LO, 0x8000);
    EXPECT_EQ(b.VOL_UNIT, 0x0001);
    EXPECT_EQ(b.CONTACTS, 0x8005);
    EXPECT_EQ(b.ACC_TIME, 65538u);
    EXPECT_EQ(b.RUN_TIME, 4294967295u);
}

TEST(MeasuredBlockTest, ImplausibleSinglesBecomeZero) {
    Words49 w{};
    w[0x00] = 0x7FC0; // IZM_FLOW_V: quiet NaN
    w[0x06] = 0x4B18; // IZM_FLOW_VEL: 10000001.0
    w[0x07] = 0x9681;
    const MeasuredBlock b = MeasuredBlock::decode(w);
    EXPECT_EQ(b.IZM_FLOW_V, 0.0f);
    EXPECT_EQ(b.IZM_FLOW_VEL, 0.0f);
}

TEST(OutputsBlockTest, DecodesWithCodeZero) {
    const OutputsWords w{
        0x41A0, 0x0000, // I_OUT 20.0
        0x42F6, 0xE979, // F_OUT1 123.456
        0x447A, 0x0000, // F_OUT2 1000.0
        2,              // I_OUT_STATE
        2,              // OUT1_MODE
        1,              // OUT1_FREQ_MODE
        3,              // OUT2_MODE
        0,              // OUT2_FREQ_MODE
    };
    const OutputsBlock o = OutputsBlock::decode(w);
    EXPECT_FLOAT_EQ(o.I_OUT, 20.0f);
    EXPECT_FLOAT_EQ(o.F_OUT1, 123.456f);
    EXPECT_FLOAT_EQ(o.F_OUT2, 1000.0f);
    EXPECT_EQ(o.I_OUT_STATE, 2);
    EXPECT_EQ(o.OUT1_MODE, 2);
    EXPECT_EQ(o.OUT1_FREQ_MODE, 1);
    EXPECT_EQ(o.OUT2_MODE, 3);
    EXPECT_EQ(o.OUT2_FREQ_MODE, 0);
}

TEST(PrimaryFlowTest, DecodesFlowAndBothWords) {
    const std::array<std::uint16_t, 4> w{
        0xC2F6, 0xE979, // IZM_FLOW_V -123.456
        0x0004,         // IZM_FLOW_V_ERR_HI
        0x8001,         // IZM_FLOW_V_ERR_LO
    };
    const PrimaryFlow p = PrimaryFlow::decode(w);
    EXPECT_FLOAT_EQ(p.IZM_FLOW_V, -123.456f);
    EXPECT_EQ(p.IZM_FLOW_V_ERR_HI, 0x0004);
    EXPECT_EQ(p.IZM_FLOW_V_ERR_LO, 0x8001);
}

} // namespace
} // namespace flowcfg::test
