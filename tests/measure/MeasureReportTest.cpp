#include "measure/MeasureReport.h"

#include "measure/MeasureDisplay.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

TEST(MeasureReportTest, OneLinePerFieldWithoutPadding) {
    MeasureScreen s;
    MeasuredBlock b;
    b.IZM_FLOW_V = 1.25f;
    b.FLOW_UNIT = 2;
    b.VOL_SUM = 10.0;
    b.VOL_UNIT = 1;
    b.ACC_TIME = 60;
    b.RUN_TIME = 1;
    showMeasured(s, b);
    showPrimaryFlow(s, PrimaryFlow{2.5f, 4, 0}, true);
    showCounters(s, PollCounters{3, 1, 1, 0});
    EXPECT_EQ(measureReport(s), "Расход: 1.2500 м куб/час\n"
                                "Состояние: Нормальное измерение\n"
                                "Суммарный: 10.0000 литр\n"
                                "Прямой: 0.0000 литр\n"
                                "Обратный: 0.0000 литр\n"
                                "Модуль: 0.0000 литр\n"
                                "Время накопления: 60 c\n"
                                "Время наработки: 1 cутки\n"
                                "Расход из первичного преобразователя: 2.5000 м куб / час "
                                "HI 0x0004 LO 0x0000\n"
                                "Число циклов обмена: 3\n"
                                "Число ошибок: 1\n");

    OutputsBlock o;
    o.I_OUT = 4.0f;
    o.OUT1_MODE = 2;
    o.F_OUT1 = 100.0f;
    o.OUT2_MODE = 4;
    showOutputs(s, o);
    b.VOL_ERR_LO = 0x0010;
    showMeasured(s, b);
    const std::string text = measureReport(s, {.outputs = true});
    EXPECT_NE(text.find("Состояние объема: АЦП\n"), std::string::npos);
    EXPECT_NE(text.find("ТОК: 4.00 мА Норм.\nВЫХ 1: Частотн. 100.00\nВЫХ 2: По ошибк.\n"),
              std::string::npos);
}

} // namespace
} // namespace flowcfg::test
