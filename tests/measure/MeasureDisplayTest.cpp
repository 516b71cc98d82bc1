#include "measure/MeasureDisplay.h"

#include "measure/StatusTexts.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

MeasuredBlock goodBlock() {
    MeasuredBlock b;
    b.IZM_FLOW_V = 12.5f;
    b.FLOW_UNIT = 0x0002; // "м куб/час"
    b.VOL_SUM = 1234.5;
    b.VOL_FWD = 1300.0;
    b.VOL_REV = 65.5;
    b.VOL_ABS = 1365.5;
    b.VOL_UNIT = 0x0000; // "м куб"
    b.ACC_TIME = 3600;
    b.RUN_TIME = 2;
    return b;
}

TEST(ShowMeasuredTest, NormalMeasurementIsWhite) {
    MeasureScreen s;
    showMeasured(s, goodBlock());
    EXPECT_EQ(s.flow, (ScreenField{"12.5000    ", ScreenColour::White}));
    EXPECT_EQ(s.flowUnit.text, "м куб/час");
    EXPECT_EQ(s.statusLine, (ScreenField{"Нормальное измерение", ScreenColour::White}));
    EXPECT_EQ(s.volumeUnit.text, "м куб");
    EXPECT_EQ(s.volumeSum, (ScreenField{"1234.5000               ", ScreenColour::White}));
    EXPECT_EQ(s.volumeForward.text, "1300.0000               ");
    EXPECT_EQ(s.volumeReverse.text, "65.5000                 ");
    EXPECT_EQ(s.volumeModulus.text, "1365.5000               ");
    EXPECT_EQ(s.accumulationTime, (ScreenField{"3600 c", ScreenColour::White}));
    EXPECT_EQ(s.volumeState.text, "");
}

TEST(ShowMeasuredTest, CutOffIsLightGreenAndInformationBitsStayNormal) {
    MeasureScreen s;
    MeasuredBlock b = goodBlock();
    b.IZM_FLOW_V_ERR_HI = 0x0004; // CUT
    showMeasured(s, b);
    EXPECT_EQ(s.flow.colour, ScreenColour::LightGreen);
    EXPECT_EQ(s.statusLine, (ScreenField{"Нормальное измерение, отсечка из изм модуля",
                                         ScreenColour::LightGreen}));
    EXPECT_EQ(rgbOf(s.flow.colour), (Rgb{192, 220, 192}));

    b.IZM_FLOW_V_ERR_HI = 0x0041; // bits 0 and 6: information only
    showMeasured(s, b);
    EXPECT_EQ(s.flow.colour, ScreenColour::White);
    EXPECT_EQ(s.statusLine, (ScreenField{"Нормальное измерение", ScreenColour::White}));
}

TEST(ShowMeasuredTest, StateTextListsFlagsInOrderWithTheirBlanks) {
    MeasureScreen s;
    MeasuredBlock b = goodBlock();
    b.IZM_FLOW_V_ERR_HI = 0x2001; // SERV, bit 0
    b.IZM_FLOW_V_ERR_LO = 0x0011; // ADC_ERR, SENS_ERR
    showMeasured(s, b);
    EXPECT_EQ(s.statusLine,
              (ScreenField{" Обслужив. НПИ  АЦП Сенс. SERV НПИ ", ScreenColour::Yellow}));
    EXPECT_EQ(s.flow, (ScreenField{"12.5000    ", ScreenColour::Yellow}));
    // A flow error does not touch the totals.
    EXPECT_EQ(s.volumeSum.colour, ScreenColour::White);
}

TEST(ShowMeasuredTest, EveryFlagHasItsPlaceInTheStateText) {
    EXPECT_EQ(flowStateText(0, 0), " ");
    EXPECT_EQ(flowStateText(0xFFFF, 0xFFFF),
              " Обслужив. Очист. электродов  НПИ  АЦП Сенс. НПИ ВПИ PWR Float EEPROM "
              "PGM_EEPROM BED_IZM BED_SUBST EMPTY_PIPE NOISE_ERR SENS_NO_RPL SENS_TO_TECH "
              "NOT_RDY EL_CLR SERV SYST SENS2 CUT SENS1 CUT INTERF SIGNAL STRONG SIGNAL WEAK "
              "CUT ВПИ НПИ ");
    // Bits without a text (HI 3..6, LO 7..8) add nothing.
    EXPECT_EQ(flowStateText(0x0078, 0x0180), " ");
    EXPECT_FALSE(flowIsNormal(0x0080, 0));
    EXPECT_FALSE(flowIsNormal(0, 0x0100));
}

TEST(ShowMeasuredTest, RunTimeSuffixUsesLatinC) {
    MeasureScreen s;
    MeasuredBlock b = goodBlock();
    b.RUN_TIME = 1;
    showMeasured(s, b);
    EXPECT_EQ(s.runTime.text, "1 c\xD1\x83\xD1\x82\xD0\xBA\xD0\xB8"); // "1 " Latin c, "утки"
    EXPECT_EQ(s.runTime.text, "1 cутки");
    b.RUN_TIME = 2;
    showMeasured(s, b);
    EXPECT_EQ(s.runTime.text, "2 cуток");
    b.RUN_TIME = 0;
    showMeasured(s, b);
    EXPECT_EQ(s.runTime, (ScreenField{"0 cуток", ScreenColour::White}));
    EXPECT_EQ(s.accumulationTime.text.substr(s.accumulationTime.text.size() - 2), " c");
}

TEST(ShowMeasuredTest, VolumeErrorsMarkTotalsAndKeepTimes) {
    MeasureScreen s;
    MeasuredBlock b = goodBlock();
    showMeasured(s, b);
    b.VOL_SUM = 2000.0;
    b.ACC_TIME = 9999;
    b.RUN_TIME = 7;
    b.VOL_ERR_LO = 0x0011; // ADC_ERR, SENS_ERR
    showMeasured(s, b);
    EXPECT_EQ(s.volumeSum, (ScreenField{"2000.0000               ", ScreenColour::Yellow}));
    EXPECT_EQ(s.volumeModulus.colour, ScreenColour::Yellow);
    EXPECT_EQ(s.accumulationTime, (ScreenField{"3600 c", ScreenColour::Yellow}));
    EXPECT_EQ(s.runTime, (ScreenField{"2 cуток", ScreenColour::Yellow}));
    EXPECT_EQ(s.volumeState.text, " АЦП Сенс. ");

    b.VOL_ERR_LO = 0xFFFF;
    showMeasured(s, b);
    EXPECT_EQ(s.volumeState.text, " АЦП Сенс. НПИ ВПИ PWR Float EEPROM PGM_EEPROM BED_IZM "
                                  "BED_SUBST EMPTY_PIPE NOISE_ERR Не измеряется ");
    EXPECT_EQ(s.volumeSum.colour, ScreenColour::ButtonFace);
    EXPECT_EQ(s.volumeForward.colour, ScreenColour::Yellow);

    // VOL_ERR_HI alone is enough; the state text then lists no flag.
    b.VOL_ERR_LO = 0;
    b.VOL_ERR_HI = 1;
    showMeasured(s, b);
    EXPECT_EQ(s.volumeSum.colour, ScreenColour::Yellow);
    EXPECT_EQ(s.volumeState.text, " ");

    // Good again: times refreshed, state cleared.
    b.VOL_ERR_HI = 0;
    showMeasured(s, b);
    EXPECT_EQ(s.runTime, (ScreenField{"7 cуток", ScreenColour::White}));
    EXPECT_EQ(s.volumeState.text, "");
}

TEST(ShowMeasuredTest, UnknownUnitCodesLeaveLabels) {
    MeasureScreen s;
    MeasuredBlock b = goodBlock();
    b.FLOW_UNIT = 0x0101; // order 1, "литры/сек"
    b.VOL_UNIT = 0xFF01;  // high byte ignored: "литр"
    showMeasured(s, b);
    EXPECT_EQ(s.flowUnit.text, "литры/сек");
    EXPECT_EQ(s.volumeUnit.text, "литр");
    b.FLOW_UNIT = 0x0004;
    b.VOL_UNIT = 0x0002;
    showMeasured(s, b);
    EXPECT_EQ(s.flowUnit.text, "литры/сек");
    EXPECT_EQ(s.volumeUnit.text, "литр");
    b.FLOW_UNIT = 0x0300; // byte order 3, unit 0
    showMeasured(s, b);
    EXPECT_EQ(s.flowUnit.text, "м куб/сек");
    b.FLOW_UNIT = 3;
    showMeasured(s, b);
    EXPECT_EQ(s.flowUnit.text, "литры/час");
}

TEST(ShowPrimaryFlowTest, PaintsOnlyAfterACleanRead) {
    MeasureScreen s;
    PrimaryFlow p{12.5f, 0x00AB, 0x8001};
    showPrimaryFlow(s, p, false);
    EXPECT_EQ(s.primaryFlow.text, "");
    showPrimaryFlow(s, p, true);
    EXPECT_EQ(s.primaryFlow.text, "12.5000    ");
    EXPECT_EQ(s.primaryHi.text, "HI 0x00AB");
    EXPECT_EQ(s.primaryLo.text, "LO 0x8001");
}

TEST(ShowOutputsTest, ModesFrequenciesAndCurrentState) {
    MeasureScreen s;
    OutputsBlock o;
    o.I_OUT = 12.0f;
    o.F_OUT1 = 500.0f;
    o.F_OUT2 = 250.0f;
    o.I_OUT_STATE = 1;
    o.OUT1_MODE = 2;
    o.OUT1_FREQ_MODE = 0;
    o.OUT2_MODE = 3;
    showOutputs(s, o);
    EXPECT_EQ(s.current.text, "12.00");
    EXPECT_EQ(s.currentState.text, "Задан код");
    EXPECT_EQ(s.out1Mode.text, "Частотн.");
    EXPECT_EQ(s.out1Frequency.text, "500.00");
    EXPECT_EQ(s.out2Mode.text, "Имп.");
    EXPECT_EQ(s.out2Frequency.text, "");

    // Frequency sub-mode 5 has no text: the mode stays, the frequency is shown.
    o.OUT1_FREQ_MODE = 5;
    o.F_OUT1 = 1.5f;
    o.I_OUT_STATE = 7; // no text either
    o.OUT2_MODE = 2;
    o.OUT2_FREQ_MODE = 1;
    showOutputs(s, o);
    EXPECT_EQ(s.out1Mode.text, "Частотн.");
    EXPECT_EQ(s.out1Frequency.text, "1.50 ");
    EXPECT_EQ(s.currentState.text, "Задан код");
    EXPECT_EQ(s.out2Mode.text, "Прям. упр. част.");
    EXPECT_EQ(s.out2Frequency.text, "250.00");

    o.OUT1_MODE = 0;
    o.OUT2_MODE = 1;
    o.I_OUT_STATE = 0;
    showOutputs(s, o);
    EXPECT_EQ(s.out1Mode.text, "Прям. упр.");
    EXPECT_EQ(s.out1Frequency.text, "");
    EXPECT_EQ(s.out2Mode.text, "Направл.");
    EXPECT_EQ(s.currentState.text, "Норм.");
    o.OUT1_MODE = 4;
    o.I_OUT_STATE = 2;
    showOutputs(s, o);
    EXPECT_EQ(s.out1Mode.text, "По ошибк.");
    EXPECT_EQ(s.currentState.text, "Задан ток");
    EXPECT_EQ(s.out1Indicator.colour, ScreenColour::ButtonFace);
}

} // namespace
} // namespace flowcfg::test
