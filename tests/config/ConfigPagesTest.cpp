// The pages' buttons against the simulated meter: what a read shows, what a write leaves in
// the meter, the order of the transactions, the pauses and the boxes.

#include "config/ConfigPages.h"

#include "config/MeasurementPages.h"
#include "model/RegisterMap.h"
#include "tests/model/MeterFixture.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

constexpr std::uint8_t FC3 = 3, FC16 = 16;
using Pauses = std::vector<std::uint32_t>;
class ConfigPagesTest : public MeterFixture {
protected:
    using Requests = std::vector<Request>;
    static constexpr Request kUnlock{FC16, 0x04FE, 2}, kLock{FC16, 0x04FE, 2},
        kProtection{FC3, 0x012C, 1};

    void SetUp() override {
        ctx.settings.Reask_val = 1; // one attempt per transaction
        pages.showAll();
    }

    PagePart buttons(std::string_view name) {
        const auto b = findButtons(name);
        EXPECT_TRUE(b.has_value()) << name;
        return b.value_or(PagePart{});
    }
    OperationOutcome read(std::string_view name) { return start(), pages.read(buttons(name)); }
    OperationOutcome write(std::string_view name) { return start(), pages.write(buttons(name)); }
    // Forgets what earlier steps of a test recorded.
    void start() {
        slave->clearServed();
        pump.clearPauses();
        dialogs.shown.clear();
    }
    Pauses pauses() const {
        Pauses out;
        for (const auto& p : pump.pauses())
            out.push_back(p.ms);
        return out;
    }
    static Requests writes(std::initializer_list<std::pair<std::uint16_t, std::uint16_t>> groups) {
        Requests out{kUnlock};
        for (const auto& [start, count] : groups)
            out.push_back({FC16, start, count});
        out.push_back(kLock);
        return out;
    }
    ControlState& state(std::string_view page, std::string_view id) {
        return pages.page(page).state(id);
    }
    const std::string& text(std::string_view page, std::string_view id) {
        return state(page, id).text;
    }

    DeviceImage image;
    ConfigPages pages{ctx, image};
};

// --- ИЗМЕРЕНИЕ ------------------------------------------------------------------------------

TEST_F(ConfigPagesTest, MeasurementReadShowsTheMetersValues) {
    meter().setReg(0x1001, 10);       // averages
    meter().setReg(0x1007, 2);        // flow units: м куб/час
    meter().setReg(0x1038, 1);        // sum units: литры
    meter().setReg(0x1037, 3);        // displayed volume
    meter().setFloat(0x1010, 0.5f);   // range min
    meter().setFloat(0x1012, 80.0f);  // range max
    meter().setReg(0x1091, 0x0203);   // sensor type
    meter().setReg(0x1092, 1);        // range source
    meter().setReg(0x1096, 80);       // nominal diameter
    meter().setReg(0x108F, 2);        // digits
    meter().setReg(0x1800, 7);        // median
    meter().setFloat(0x1904, 0.125f); // temperature ADC shift
    meter().setFloat(0x1019, 0.75f);  // module cut-off
    meter().setFloat(0x101B, 0.25f);  // module hysteresis
    meter().setFloat(0x101D, 1.25f);  // cut-off
    meter().setFloat(0x101F, 0.5f);   // hysteresis
    meter().setReg(0x1035, 1);        // cut-off source
    meter().setReg(0x1036, 0x000A);   // both cut-offs from the primary transducer
    meter().setReg(0x1098, 4);        // linear scale: current output

    ASSERT_EQ(read("measurement").end, OperationEnd::Succeeded);
    EXPECT_EQ(served(), (Requests{{FC3, 0x1000, 8},
                                  {FC3, 0x1038, 1},
                                  {FC3, 0x1035, 2},
                                  {FC3, 0x1037, 1},
                                  {FC3, 0x1010, 5},
                                  {FC3, 0x1091, 2},
                                  {FC3, 0x1096, 1},
                                  {FC3, 0x108F, 1},
                                  {FC3, 0x1800, 1},
                                  {FC3, 0x1904, 4},
                                  {FC3, 0x1019, 8},
                                  {FC3, 0x1098, 1}}));
    EXPECT_EQ(pauses(), (Pauses{100, 100}));
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"Чтение параметров измерения успешно осуществлено."}));
    EXPECT_EQ(dialogs.shown[0].caption, "Результат операции");

    const std::string_view m = page::measurement;
    EXPECT_EQ(state(m, "izm_flow_v_unit").index, 2u);
    EXPECT_EQ(state(m, "izm_flow_v_sum_unit").index, 1u);
    EXPECT_EQ(state(m, "izm_flow_v_ns").index, 10u);
    EXPECT_EQ(state(m, "izm_flow_v_dsum_type").index, 3u);
    EXPECT_EQ(state(m, "mediana_val").index, 3u); // "7"
    EXPECT_EQ(text(m, "izm_flow_v_min_m3_h_cmp"), "0.5000     ");
    EXPECT_EQ(text(m, "izm_flow_v_max_m3_h_cmp"), "80.0000    ");
    EXPECT_EQ(text(m, "sensor_type_cmp"), "0x0203");
    EXPECT_EQ(text(m, "line_size_cmp"), "80");
    EXPECT_EQ(state(m, "sel_sensor_type_ncmp").index, 1u);
    EXPECT_EQ(state(m, "sel_cut_ncmp_mdl").index, 1u);
    EXPECT_EQ(state(m, "bar_type").index, 4u);
    EXPECT_EQ(state(m, "ind_point").index, 2u);
    EXPECT_EQ(image.adc_7793.shift, 0.125f);
    // The read carries the cut-off page along.
    const std::string_view c = page::cutoff;
    EXPECT_EQ(text(c, "izm_flow_v_cut_ee"), "1.2500     ");
    EXPECT_EQ(text(c, "cut_hysteresis"), "0.5000     ");
    EXPECT_EQ(text(c, "module_cutoff"), "0.7500     ");
    EXPECT_EQ(text(c, "module_hysteresis"), "0.2500     ");
    EXPECT_EQ(text(c, "cut_main_summary"), " ПП");
    EXPECT_EQ(text(c, "cut_display_summary"), " ПП");
}

TEST_F(ConfigPagesTest, MeasurementReadPassesOverTheTemperatureAdjustmentOnly) {
    image.adc_7793.shift = 3.0f;
    exceptionOn(0x1904, 0x1907, 2);
    EXPECT_EQ(read("measurement").end, OperationEnd::Succeeded);
    EXPECT_EQ(served().size(), 12u);
    EXPECT_EQ(image.adc_7793.shift, 3.0f); // kept
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"Чтение параметров измерения успешно осуществлено."}));

    // Any other failure ends the read before the page is shown.
    meter().setReg(0x1037, 1);
    exceptionOn(0x1010, 0x1014, 2);
    state(page::measurement, "izm_flow_v_dsum_type").index = 0;
    EXPECT_EQ(read("measurement").end, OperationEnd::Failed);
    EXPECT_EQ(served().size(), 5u);
    EXPECT_EQ(state(page::measurement, "izm_flow_v_dsum_type").index, 0u);
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"Адрес данных выходит за допустимые границы."}));
}

TEST_F(ConfigPagesTest, MeasurementWriteSendsCutoffThenMeasurementGroupsWithPauses) {
    const std::string_view m = page::measurement, c = page::cutoff;
    state(m, "izm_flow_v_unit").index = 1;
    state(m, "izm_flow_v_sum_unit").index = 1;
    state(m, "izm_flow_v_ns").index = 50;
    state(m, "izm_flow_v_dsum_type").index = 2;
    state(m, "mediana_val").index = 9; // "19"
    state(m, "izm_flow_v_min_m3_h_cmp").text = "1";
    state(m, "izm_flow_v_max_m3_h_cmp").text = "100";
    state(m, "sensor_type_cmp").text = "0x0300";
    state(m, "line_size_cmp").text = "65";
    state(m, "bar_type").index = 3;
    state(m, "ind_point").index = 4;
    state(c, "izm_flow_v_cut_ee").text = " 2.5 ";
    state(c, "cut_hysteresis").text = "0.75";
    image.izm_general_param.cut_en = 0;
    pages.page(c).click("cut_main_primary", image);
    pages.page(c).click("cut_display_meter", image);

    ASSERT_EQ(write("measurement").end, OperationEnd::Succeeded);
    EXPECT_EQ(served(), writes({{0x101D, 4},
                                {0x1036, 1},
                                {0x1001, 1},
                                {0x1007, 1},
                                {0x1038, 1},
                                {0x1037, 1},
                                {0x108F, 1},
                                {0x1098, 1},
                                {0x1800, 1}}));
    // unlock 400 / 100, 400 after each of the nine groups, lock 400 / 100
    EXPECT_EQ(pauses(), (Pauses{400, 100, 400, 400, 400, 400, 400, 400, 400, 400, 400, 400, 100}));
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"Данные конфигурации будут переписаны?.",
                                        "Запись параметров измерения успешно осуществлена."}));
    EXPECT_EQ(meter().floatAt(0x101D), 2.5f);
    EXPECT_EQ(meter().floatAt(0x101F), 0.75f);
    EXPECT_EQ(meter().reg(0x1036), 0x0006);
    EXPECT_EQ(meter().reg(0x1001), 50);
    EXPECT_EQ(meter().reg(0x1007), 1);
    EXPECT_EQ(meter().reg(0x1038), 1);
    EXPECT_EQ(meter().reg(0x1037), 2);
    EXPECT_EQ(meter().reg(0x108F), 4);
    EXPECT_EQ(meter().reg(0x1098), 3);
    EXPECT_EQ(meter().reg(0x1800), 19);
    EXPECT_FALSE(meter().unlocked());
    // Taken into the image, not sent.
    EXPECT_EQ(image.izm_general_param.izm_flow_v_max_m3_h_cmp, 100.0f);
    EXPECT_EQ(image.izm_general_param.sensor_type_cmp, 0x0300);
    EXPECT_EQ(image.izm_general_param.line_size_cmp, 65);
    EXPECT_NE(meter().floatAt(0x1012), 100.0f);
}

TEST_F(ConfigPagesTest, MeasurementWriteGoesOnAfterAFailedCutoffStep) {
    state(page::measurement, "ind_point").index = 5;
    exceptionOn(0x101D, 0x1020, 2);
    const OperationOutcome outcome = write("measurement");
    EXPECT_EQ(outcome.end, OperationEnd::Succeeded);
    EXPECT_EQ(served(), writes({{0x101D, 4},
                                {0x1001, 1},
                                {0x1007, 1},
                                {0x1038, 1},
                                {0x1037, 1},
                                {0x108F, 1},
                                {0x1098, 1},
                                {0x1800, 1}}));
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"Данные конфигурации будут переписаны?.",
                                        "Адрес данных выходит за допустимые границы.",
                                        "Запись параметров измерения успешно осуществлена."}));
    EXPECT_EQ(meter().reg(0x108F), 5);
}

TEST_F(ConfigPagesTest, BadFloatSendsNothing) {
    state(page::cutoff, "cut_hysteresis").text = "1,5";
    EXPECT_EQ(write("measurement").end, OperationEnd::InputRejected);
    EXPECT_TRUE(served().empty());
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{
                                   "Вводимые данные не получается представить плавающим числом.",
                                   "Запись данных не будет производиться."}));
}

TEST_F(ConfigPagesTest, NoLeavesTheMeterUntouchedButTheImageTaken) {
    const std::uint16_t before = meter().reg(0x1800);
    state(page::measurement, "mediana_val").index = 9;
    state(page::cutoff, "izm_flow_v_cut_ee").text = "7.5";
    dialogs.answers = {false};
    EXPECT_EQ(write("measurement").end, OperationEnd::Declined);
    EXPECT_TRUE(served().empty());
    EXPECT_EQ(meter().reg(0x1800), before);
    EXPECT_EQ(image.mediana_filtr_flow.mediana_val, 19);
    EXPECT_EQ(image.izm_general_param.izm_flow_v_cut_ee, 7.5f);
}

// --- УПРАВЛ. ОТСЕЧКОЙ -----------------------------------------------------------------------

TEST_F(ConfigPagesTest, CutoffPageReadsAndWritesItsGroups) {
    meter().setFloat(0x101D, 0.5f);
    meter().setFloat(0x101F, 0.125f);
    meter().setReg(0x1036, 0x0009);
    ASSERT_EQ(read("cutoff").end, OperationEnd::Succeeded);
    EXPECT_EQ(served(), (Requests{{FC3, 0x101D, 4}, {FC3, 0x1036, 1}}));
    EXPECT_EQ(pauses(), (Pauses{100, 100}));
    const std::string_view c = page::cutoff;
    EXPECT_EQ(text(c, "izm_flow_v_cut_ee"), "0.5000     ");
    EXPECT_EQ(state(c, "cut_hysteresis").twin, "0.1250     ");
    EXPECT_EQ(state(c, "cut_main_meter").colour, IndicatorColour::Green);
    EXPECT_EQ(state(c, "cut_main_primary").colour, IndicatorColour::ButtonFace);
    EXPECT_EQ(state(c, "cut_display_meter").colour, IndicatorColour::ButtonFace);
    EXPECT_EQ(state(c, "cut_display_primary").colour, IndicatorColour::Green);
    EXPECT_EQ(text(c, "cut_main_summary"), " Прибор");
    EXPECT_EQ(text(c, "cut_display_summary"), " ПП");
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"Чтение параметров отсечки успешно осуществлено."}));

    state(c, "izm_flow_v_cut_ee").text = "3";
    state(c, "cut_hysteresis").text = "-0.5";
    pages.page(c).click("cut_main_meter", image);
    pages.page(c).click("cut_display_meter", image);
    ASSERT_EQ(write("cutoff").end, OperationEnd::Succeeded);
    EXPECT_EQ(served(), writes({{0x101D, 4}, {0x1036, 1}}));
    EXPECT_EQ(pauses(), (Pauses{400, 100, 400, 400, 400, 100}));
    EXPECT_EQ(meter().floatAt(0x101D), 3.0f);
    EXPECT_EQ(meter().floatAt(0x101F), -0.5f);
    EXPECT_EQ(meter().reg(0x1036), 0x000C);
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"Данные отсечек будут переписаны?.",
                                                         "Запись отсечек успешно осуществлена."}));
}

// --- ВЫХОД 1, ВЫХОД 2 -----------------------------------------------------------------------

struct OutputRegs {
    std::uint16_t type, direct, frequency, pulse, pulseSum;
};

class OutputPages : public ConfigPagesTest, public ::testing::WithParamInterface<int> {
protected:
    int n() const { return GetParam(); }
    std::string_view page() const { return n() == 1 ? page::output1 : page::output2; }
    OutputRegs regs() const {
        return n() == 1 ? OutputRegs{0x1047, 0x104A, 0x104D, 0x1056, 0x105D}
                        : OutputRegs{0x105E, 0x1061, 0x1064, 0x106D, 0x1074};
    }
    std::string group(std::string_view part) const {
        return "output" + std::to_string(n()) + "-" + std::string(part);
    }
    // Field ids: the type, direct state and volume kind end in 0 / 1, the others add "_1".
    std::string f(std::string_view base) const {
        return std::string(base) + (n() == 1 ? "" : "_1");
    }
    std::string d(std::string_view base) const {
        return std::string(base) + (n() == 1 ? "0" : "1");
    }
};

TEST_P(OutputPages, ModeReadAndWrite) {
    const OutputRegs r = regs();
    meter().setReg(r.type, 2);
    meter().setReg(r.direct, 1);
    ASSERT_EQ(read(group("mode")).end, OperationEnd::Succeeded);
    EXPECT_EQ(served(), (Requests{{FC3, r.type, 1}, {FC3, r.direct, 1}}));
    EXPECT_EQ(pauses(), (Pauses{100, 100}));
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"Чтение параметров выходов успешно осуществлено."}));
    const std::string type = d("diskr_out_type"), direct = d("diskr_out_direct_val_");
    EXPECT_EQ(state(page(), type).index, 2u);
    EXPECT_EQ(state(page(), type).twin, "Частотный");
    EXPECT_EQ(state(page(), direct).twin, "вкл");

    state(page(), type).index = 4;
    pages.page(page()).click(direct, image);
    ASSERT_EQ(write(group("mode")).end, OperationEnd::Succeeded);
    Requests expected = writes({{r.type, 1}, {r.direct, 1}});
    if (n() == 1) // only output 1 checks the write protection
        expected.insert(expected.begin(), kProtection);
    EXPECT_EQ(served(), expected);
    EXPECT_EQ(meter().reg(r.type), 4);
    EXPECT_EQ(meter().reg(r.direct), 0);
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"Данные конфигурации будут переписаны?.",
                                        "Запись параметров выходов успешно осуществлена."}));
}

TEST_P(OutputPages, FrequencyReadAndWrite) {
    const std::uint16_t b = regs().frequency;
    meter().setReg(b, 9000);        // f_max
    meter().setReg(b + 1, 100);     // f_min
    meter().setFloat(b + 2, 50.0f); // flow for f_max
    meter().setFloat(b + 4, 0.5f);  // flow for f_min
    meter().setReg(b + 6, 11000);   // error frequency
    meter().setReg(b + 7, 1);       // frequency set directly
    meter().setReg(b + 8, 2500);    // directly set frequency
    ASSERT_EQ(read(group("frequency")).end, OperationEnd::Succeeded);
    EXPECT_EQ(served(), (Requests{{FC3, b, 9}}));
    EXPECT_EQ(text(page(), f("f_max")), "9000");
    EXPECT_EQ(text(page(), f("f_min")), "100");
    EXPECT_EQ(text(page(), f("f_flow_v_max")), "50.0000    ");
    EXPECT_EQ(text(page(), f("f_flow_v_min")), "0.5000     ");
    EXPECT_EQ(text(page(), f("f_flow_err")), "11000");
    EXPECT_EQ(state(page(), f("f_direct_control")).index, 1u);
    EXPECT_EQ(text(page(), f("f_direct_val")), "2500");
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{
                                   "Чтение параметров частотных выходов успешно осуществлено."}));

    state(page(), f("f_max")).text = "8000";
    state(page(), f("f_min")).text = "10";
    state(page(), f("f_flow_v_max")).text = "40.5";
    state(page(), f("f_flow_v_min")).text = "0.25";
    state(page(), f("f_flow_err")).text = "12500";
    state(page(), f("f_direct_control")).index = 0;
    state(page(), f("f_direct_val")).text = "1000";
    ASSERT_EQ(write(group("frequency")).end, OperationEnd::Succeeded);
    Requests expected = writes({{b, 9}});
    EXPECT_EQ(served(), expected);
    EXPECT_EQ(pauses(), (Pauses{400, 100, 400, 400, 100}));
    EXPECT_EQ(meter().regs(b, 9), (std::vector<std::uint16_t>{8000, 10, 0x4222, 0x0000, 0x3E80,
                                                              0x0000, 12500, 0, 1000}));
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{
                                   "Данные конфигурации будут переписаны?.",
                                   "Запись параметров частотных выходов успешно осуществлена."}));
}

TEST_P(OutputPages, PulseReadAndWrite) {
    const OutputRegs r = regs();
    meter().setFloat(r.pulse, 0.01f);
    meter().setReg(r.pulse + 2, 50);
    meter().setReg(r.pulse + 3, 70);
    meter().setReg(r.pulseSum, 3);
    ASSERT_EQ(read(group("pulse")).end, OperationEnd::Succeeded);
    EXPECT_EQ(served(), (Requests{{FC3, r.pulse, 4}, {FC3, r.pulseSum, 1}}));
    EXPECT_EQ(text(page(), f("flow_v_for_pulse")), "0.0100     ");
    EXPECT_EQ(text(page(), f("pulse_activ_min_t")), "50");
    EXPECT_EQ(text(page(), f("pulse_passive_min_t")), "70");
    EXPECT_EQ(state(page(), d("dsum_type_")).index, 3u);

    image.output.flow_v_for_pulse_unit = 4;
    image.output.flow_v_for_pulse_unit_1 = 4;
    state(page(), f("flow_v_for_pulse")).text = "2";
    state(page(), f("pulse_activ_min_t")).text = "20";
    state(page(), f("pulse_passive_min_t")).text = "30";
    state(page(), d("dsum_type_")).index = 1;
    ASSERT_EQ(write(group("pulse")).end, OperationEnd::Succeeded);
    EXPECT_EQ(served(), writes({{r.pulse, 4}, {r.pulseSum, 1}}));
    EXPECT_EQ(pauses(), (Pauses{400, 100, 400, 400, 400, 100}));
    EXPECT_EQ(meter().regs(r.pulse, 4), (std::vector<std::uint16_t>{0x4000, 0x0000, 20, 30}));
    EXPECT_EQ(meter().reg(r.pulseSum), 1);
    EXPECT_EQ(n() == 1 ? image.output.flow_v_for_pulse_unit : image.output.flow_v_for_pulse_unit_1,
              0);
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{
                                   "Данные конфигурации будут переписаны?.",
                                   "Запись параметров импульсных выходов успешно осуществлена."}));
}

INSTANTIATE_TEST_SUITE_P(Outputs, OutputPages, ::testing::Values(1, 2));

TEST_F(ConfigPagesTest, Output1ProtectionWarningAnsweredNoWritesNothing) {
    meter().setWriteProtected(true);
    dialogs.answers = {false};
    EXPECT_EQ(write("output1-mode").end, OperationEnd::Declined);
    EXPECT_EQ(served(), (Requests{kProtection}));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Предупреждение");
    EXPECT_EQ(dialogs.shown[0].text, "В приборе включена защита от записи.");
}

// --- ТОКОВЫЙ ВЫХ ----------------------------------------------------------------------------

TEST_F(ConfigPagesTest, CurrentScaleReadAndWriteBackToBack) {
    meter().setFloat(0x1079, 0.5f);  // flow_v_min
    meter().setFloat(0x107B, 60.0f); // flow_v_max
    meter().setFloat(0x107D, 4.0f);  // i_v_min
    meter().setFloat(0x107F, 20.0f); // i_v_max
    meter().setReg(0x1081, 1);       // i_err_num
    meter().setFloat(0x1082, 3.5f);  // i_err_0
    meter().setFloat(0x1084, 21.0f); // i_err_1
    meter().setFloat(0x1900, 0.01f); // shift
    meter().setFloat(0x1902, 1.5f);  // adj
    ASSERT_EQ(read("current-scale").end, OperationEnd::Succeeded);
    EXPECT_EQ(served(), (Requests{{FC3, 0x1079, 8}, {FC3, 0x1081, 5}, {FC3, 0x1900, 4}}));
    EXPECT_EQ(pauses(), (Pauses{100, 100, 100}));
    const std::string_view p = page::currentOutput;
    EXPECT_EQ(text(p, "flow_v_min"), "0.5000     ");
    EXPECT_EQ(text(p, "flow_v_max"), "60.0000    ");
    EXPECT_EQ(text(p, "i_v_min"), "4.0000     ");
    EXPECT_EQ(text(p, "i_v_max"), "20.0000    ");
    EXPECT_EQ(text(p, "i_err_0"), "3.5000     ");
    EXPECT_EQ(text(p, "i_err_1"), "21.0000    ");
    EXPECT_EQ(text(p, "shift"), "0.0100     ");
    EXPECT_EQ(text(p, "adj"), "1.5000     ");
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{
                                   "Чтение параметров токового выхода успешно осуществлено."}));

    state(p, "flow_v_max").text = "72";
    state(p, "i_v_max").text = "20.5";
    state(p, "flow_v_min").text = "0.25";
    state(p, "i_v_min").text = "4.5";
    state(p, "i_err_0").text = "3";
    state(p, "i_err_1").text = "22";
    state(p, "shift").text = "-0.5";
    state(p, "adj").text = "2";
    ASSERT_EQ(write("current-scale").end, OperationEnd::Succeeded);
    EXPECT_EQ(served(), writes({{0x1079, 8}, {0x1081, 5}, {0x1900, 4}}));
    EXPECT_EQ(pauses(), (Pauses{400, 100, 400, 100})); // only the locks pause
    EXPECT_EQ(meter().floatAt(0x1079), 0.25f);
    EXPECT_EQ(meter().floatAt(0x107B), 72.0f);
    EXPECT_EQ(meter().floatAt(0x107D), 4.5f);
    EXPECT_EQ(meter().floatAt(0x107F), 20.5f);
    EXPECT_EQ(meter().reg(0x1081), 1); // as read
    EXPECT_EQ(meter().floatAt(0x1082), 3.0f);
    EXPECT_EQ(meter().floatAt(0x1084), 22.0f);
    EXPECT_EQ(meter().floatAt(0x1900), -0.5f);
    EXPECT_EQ(meter().floatAt(0x1902), 2.0f);
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{
                                   "Данные конфигурации токового выхода будут переписаны?.",
                                   "Запись параметров токового выхода успешно осуществлена."}));
}

TEST_F(ConfigPagesTest, CurrentDirectControlSendsTwoWithAHundredMillisecondPause) {
    meter().setReg(0x1075, 0);
    meter().setReg(0x1086, 30000);
    meter().setFloat(0x1087, 12.0f);
    ASSERT_EQ(read("current-direct").end, OperationEnd::Succeeded);
    EXPECT_EQ(served(), (Requests{{FC3, 0x1075, 1}, {FC3, 0x1086, 3}}));
    const std::string_view p = page::currentOutput;
    EXPECT_EQ(state(p, "i_control").index, 0u);
    EXPECT_EQ(text(p, "i_ma_direct"), "12.0000    ");
    EXPECT_EQ(text(p, "code_direct"), "30000");

    state(p, "i_control").index = 1; // "Задаем ток"
    state(p, "i_ma_direct").text = "16.25";
    ASSERT_EQ(write("current-direct").end, OperationEnd::Succeeded);
    EXPECT_EQ(served(), writes({{0x1075, 1}, {0x1086, 3}}));
    EXPECT_EQ(pauses(), (Pauses{400, 100, 100, 400, 100}));
    EXPECT_EQ(meter().reg(0x1075), 2);
    EXPECT_EQ(meter().reg(0x1086), 30000);
    EXPECT_EQ(meter().floatAt(0x1087), 16.25f);
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{
                  "Задать прямое управление токовым выходом?.",
                  "Запись параметров прямого управления токового выхода успешно осуществлена."}));
}

TEST_F(ConfigPagesTest, AFailedGroupStopsTheWriteAndLeavesTheLocksLifted) {
    exceptionOn(0x1081, 0x1085, 4);
    const OperationOutcome outcome = write("current-scale");
    EXPECT_EQ(outcome.end, OperationEnd::Failed);
    EXPECT_TRUE(outcome.leftUnlocked);
    EXPECT_EQ(served(), (Requests{kUnlock, {FC16, 0x1079, 8}, {FC16, 0x1081, 5}}));
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"Данные конфигурации токового выхода будут переписаны?.",
                                        "Ошибка в работе адресуемого устройства."}));
}

TEST_F(ConfigPagesTest, ButtonsDoNothingWhileAnotherOperationExchanges) {
    const OperationGuard other(ctx);
    EXPECT_EQ(read("cutoff").end, OperationEnd::Busy);
    EXPECT_EQ(write("cutoff").end, OperationEnd::Busy);
    EXPECT_TRUE(served().empty());
    EXPECT_TRUE(dialogs.shown.empty());
}

// A read and then a write of a page the user did not touch leave every register as it was,
// though four decimals cannot show these floats and no item stands for these codes; only the
// registers that a page's own take rule rewrites change (the clamped cleaning times, the
// emulation's increment, the bits no permission cell shows), which their pages' tests hold.
// (Writes that send what the page does not show by design, the computer's date or a value no
// read brings, are not such a pair.)
TEST_F(ConfigPagesTest, ReadThenWriteOfAnUntouchedPageChangesNoRegister) {
    const struct {
        std::string_view button;
        std::uint16_t first, last;
    } rewritten[] = {{"cleaning", 0x0541, 0x0543},
                     {"emulation", 0x1042, 0x1043},
                     {"error-enables", 0x10AC, 0x10D6}};
    constexpr float kFloats[] = {1e-5f, 0.123456f, -5.775e-7f, 0.0039083f};
    std::uint16_t n = 0;
    for (const PagePart& part : allButtons())
        for (const GroupTransfer& t : buttonsOf(part).reads)
            for (const FieldDescriptor& f : group(t.group).fields) {
                const auto at = static_cast<std::uint16_t>(group(t.group).start + f.offset);
                if (f.encoding == Encoding::F32)
                    meter().setFloat(at, kFloats[n++ % 4]);
                else if (f.encoding != Encoding::RawWords)
                    for (std::uint16_t k = 0; k < f.width(); ++k)
                        if (const std::uint16_t v = 0x0F71 + n++; meter().valueAccepted(at + k, v))
                            meter().setReg(at + k, v); // beyond every list, < 9999
            }
    for (const PagePart& part : allButtons()) {
        const SectionButtons& b = buttonsOf(part);
        if (b.reads.empty() || b.beforeWrites != nullptr)
            continue;
        std::vector<std::pair<std::uint16_t, std::uint16_t>> before; // address, value
        for (const auto& writes : {b.leadingWrites, b.writes})
            for (const GroupTransfer& t : writes)
                for (std::uint16_t k = 0; k < group(t.group).writeCount; ++k) {
                    const auto at = static_cast<std::uint16_t>(group(t.group).start + k);
                    if (std::ranges::none_of(rewritten, [&](const auto& r) {
                            return r.button == b.name && at >= r.first && at <= r.last;
                        }))
                        before.emplace_back(at, meter().reg(at));
                }
        ASSERT_EQ(read(b.name).end, OperationEnd::Succeeded) << b.name;
        ASSERT_EQ(write(b.name).end, OperationEnd::Succeeded) << b.name;
        for (const auto& [at, value] : before)
            EXPECT_EQ(meter().reg(at), value) << b.name << " " << std::hex << at;
    }
}

} // namespace
} // namespace flowcfg::test
