#include "config/PageModel.h"

#include "ScriptedDialogs.h"
#include "config/ListItems.h"
#include "config/MeasurementPages.h"
#include "config/PageRegistry.h"
#include "model/Encodings.h"

#include <bit>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

class Page : public ::testing::Test {
protected:
    PageModel measurement{*findPage(page::measurement)};
    PageModel cutoff{*findPage(page::cutoff)};
    PageModel output1{*findPage(page::output1)};
    PageModel output2{*findPage(page::output2)};
    PageModel current{*findPage(page::currentOutput)};
    DeviceImage image;
    ScriptedDialogs dialogs;
};

TEST(ListCodes, RulesBothWays) {
    EXPECT_EQ(codeOfItem(CodeRule::odd(), 9), 19);
    EXPECT_EQ(itemOfCode(CodeRule::odd(), 7, 10), 3u);
    EXPECT_EQ(itemOfCode(CodeRule::odd(), 20, 10), std::nullopt);
    EXPECT_EQ(codeOfItem(CodeRule::plus(3), 4), 7); // serial speed
    EXPECT_EQ(itemOfCode(CodeRule::plus(3), 2, 8), std::nullopt);
    EXPECT_EQ(itemOfCode(CodeRule::plus(2000), 2011, 30), 11u); // year
    EXPECT_EQ(codeOfItem(CodeRule::currentMode(), 1), 2);
    EXPECT_EQ(codeOfItem(CodeRule::currentMode(), 0), 0);
    EXPECT_EQ(itemOfCode(CodeRule::currentMode(), 2, 2), 1u);
    EXPECT_EQ(itemOfCode(CodeRule::currentMode(), 1, 2), std::nullopt);
    EXPECT_EQ(itemOfCode(CodeRule::index(), 4, 4), std::nullopt);
}

TEST_F(Page, ListsShowOnlyCodesTheyHaveItemsFor) {
    image.mediana_filtr_flow.mediana_val = 7;
    image.izm_to_comp.izm_flow_v_dsum_type = 2;
    measurement.show(image, section::Main);
    EXPECT_EQ(selectedItem(measurement.def("mediana_val"), measurement.state("mediana_val")), "7");
    EXPECT_EQ(measurement.state("izm_flow_v_dsum_type").index, 2u);

    // A code beyond the list keeps the selection.
    image.izm_to_comp.izm_flow_v_dsum_type = 4;
    image.mediana_filtr_flow.mediana_val = 21;
    measurement.show(image, section::Main);
    EXPECT_EQ(measurement.state("izm_flow_v_dsum_type").index, 2u);
    EXPECT_EQ(measurement.state("mediana_val").index, 3u);

    // Choosing "19" stores 19; the untouched list goes back with the code it was shown from.
    measurement.state("mediana_val").index = 9;
    ASSERT_EQ(measurement.take(image, dialogs, section::Main), TakeResult::Taken);
    EXPECT_EQ(image.mediana_filtr_flow.mediana_val, 19);
    EXPECT_EQ(image.izm_to_comp.izm_flow_v_dsum_type, 4);
    // Choosing the item on the screen, though it is the one shown, sends its code.
    measurement.choose("izm_flow_v_dsum_type", 2);
    ASSERT_EQ(measurement.take(image, dialogs, section::Main), TakeResult::Taken);
    EXPECT_EQ(image.izm_to_comp.izm_flow_v_dsum_type, 2);
}

TEST_F(Page, ItemTexts) {
    const auto& averages = items::averages;
    ASSERT_EQ(averages.size(), 101u);
    EXPECT_EQ(averages[0], "  0");
    EXPECT_EQ(averages[42], " 42");
    EXPECT_EQ(averages[100], "100");
    EXPECT_EQ(measurement.def("izm_flow_v_unit").items[2], "м куб/час");
    EXPECT_EQ(output1.def("diskr_out_type0").items[4], "Дискр. ош.");
    const auto& years = items::numbers<2017, 83>;
    EXPECT_EQ(years.front(), "2017");
    EXPECT_EQ(years.back(), "2099");
    EXPECT_EQ((items::numbers<0, 248>[247]), "247");
    EXPECT_EQ((items::numbers<1, 31>[8]), "9");
}

TEST_F(Page, CurrentModeSecondItemIsCodeTwo) {
    image.i_control.i_control = 2;
    current.show(image, section::CurrentDirect);
    EXPECT_EQ(current.state("i_control").index, 1u);
    image.i_control.i_control = 1; // no item: keeps "Задаем ток"
    current.show(image, section::CurrentDirect);
    EXPECT_EQ(current.state("i_control").index, 1u);
    current.choose("i_control", 0);
    ASSERT_EQ(current.take(image, dialogs, section::CurrentDirect), TakeResult::Taken);
    EXPECT_EQ(image.i_control.i_control, 0);
    current.choose("i_control", 1);
    ASSERT_EQ(current.take(image, dialogs, section::CurrentDirect), TakeResult::Taken);
    EXPECT_EQ(image.i_control.i_control, 2);
}

TEST_F(Page, TakeStopsAtTheFirstBadFieldKeepingWhatCameBefore) {
    measurement.showAll(image);
    measurement.state("izm_flow_v_unit").index = 3;
    measurement.state("izm_flow_v_min_m3_h_cmp").text = " 2.5 ";
    measurement.state("izm_flow_v_max_m3_h_cmp").text = "1,5";
    measurement.state("ind_point").index = 5;
    EXPECT_EQ(measurement.take(image, dialogs, section::Main), TakeResult::ParseFailed);
    EXPECT_EQ(image.izm_to_comp.izm_flow_v_unit, 3);
    EXPECT_EQ(image.izm_general_param.izm_flow_v_min_m3_h_cmp, 2.5f);
    EXPECT_EQ(image.izm_general_param.izm_flow_v_max_m3_h_cmp, 0.0f);
    EXPECT_EQ(image.izm_to_comp.ind_point, 3); // after the bad field: untouched
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{
                                   "Вводимые данные не получается представить плавающим числом.",
                                   "Запись данных не будет производиться."}));

    // The type and the diameter fail with the integer message.
    dialogs.shown.clear();
    measurement.state("izm_flow_v_max_m3_h_cmp").text = "10";
    measurement.state("sensor_type_cmp").text = "0xZZ";
    EXPECT_EQ(measurement.take(image, dialogs, section::Main), TakeResult::ParseFailed);
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown[0].text, "Вводимые данные не получается представить целым числом.");
}

TEST_F(Page, MeasurementTakeZeroesTheHiddenSourceSelectors) {
    image.izm_general_param.sel_sensor_type_ncmp = 1;
    image.izm_general_param.sel_cut_ncmp_mdl = 1;
    image.izm_general_param.sensor_type_cmp = 0x0200;
    measurement.showAll(image);
    EXPECT_FALSE(measurement.state("sel_sensor_type_ncmp").visible);
    EXPECT_EQ(measurement.state("sel_sensor_type_ncmp").index, 1u);
    EXPECT_EQ(measurement.state("sensor_type_cmp").text, "0x0200");
    measurement.state("sensor_type_cmp").text = "1AB";
    ASSERT_EQ(measurement.take(image, dialogs, section::Main), TakeResult::Taken);
    EXPECT_EQ(image.izm_general_param.sel_sensor_type_ncmp, 0);
    EXPECT_EQ(image.izm_general_param.sel_cut_ncmp_mdl, 0);
    EXPECT_EQ(image.izm_general_param.sensor_type_cmp, 0x01AB);
}

TEST_F(Page, UntouchedFieldsKeepTheirExactValuesEditedOnesAreParsed) {
    image.output.flow_v_for_pulse = 1e-5f;
    image.output.f_flow_v_max = 0.123456f;
    image.output.f_flow_v_min = -5.775e-7f;
    output1.showAll(image);
    EXPECT_EQ(output1.state("flow_v_for_pulse").text, "0.0000     ");
    image = DeviceImage{};
    output1.state("f_flow_v_max").text = "0.1235"; // typed: the text, not the value shown
    output1.edit("f_flow_v_min", "-0.0000     ");  // typed as shown: parsed all the same
    ASSERT_EQ(output1.take(image, dialogs, section::Frequency), TakeResult::Taken);
    ASSERT_EQ(output1.take(image, dialogs, section::Pulse), TakeResult::Taken);
    EXPECT_EQ(image.output.flow_v_for_pulse, 1e-5f);
    EXPECT_EQ(image.output.f_flow_v_max, 0.1235f);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(image.output.f_flow_v_min), 0x80000000u); // -0.0
}

// An integer that does not fit its member is refused with the field's message, not cut to
// its low bits.
TEST_F(Page, IntegersOutsideTheirFieldAreRefused) {
    constexpr ControlSpec kControls[] = {
        {.id = "f_max",
         .caption = "",
         .kind = ControlKind::Integer,
         .member = MEMBER(output.f_max)},
        {.id = "hex", .caption = "", .kind = ControlKind::Hex16, .member = MEMBER(output.f_min)},
        {.id = "number",
         .caption = "",
         .kind = ControlKind::Integer,
         .member = MEMBER(NEW_DAT.LONG_NUM),
         .message = InputMessage::FactoryNumber}};
    constexpr PageSection kSections[] = {{.caption = "S"}};
    const PageDefinition definition{.path = "P", .controls = kControls, .sections = kSections};
    const std::string generic = "Вводимые данные не получается представить целым числом.";
    const std::string own =
        "Вводимые данные заводского номера не получается представить целым числом.";
    const struct {
        std::string_view id, text;
        std::vector<std::string> boxes; // empty: taken
    } cases[] = {
        {"f_max", "65535", {}},
        {"f_max", "70000", {generic, "Запись данных не будет производиться."}},
        {"f_max", "-1", {generic, "Запись данных не будет производиться."}},
        {"hex", "FFFF", {}},
        {"hex", "1FFFF", {generic, "Запись данных не будет производиться."}},
        {"number", "4294967295", {}},
        {"number", "4294967296", {own}},
        {"number", "-1", {own}},
    };
    for (const auto& c : cases) {
        PageModel page(definition);
        DeviceImage before;
        page.showAll(before);
        page.edit(c.id, std::string(c.text));
        image = before;
        dialogs.shown.clear();
        const TakeResult result = page.take(image, dialogs, 0);
        EXPECT_EQ(result, c.boxes.empty() ? TakeResult::Taken : TakeResult::ParseFailed) << c.text;
        EXPECT_EQ(dialogs.texts(), c.boxes) << c.text;
        if (!c.boxes.empty()) { // nothing stored
            EXPECT_TRUE(image.output.f_max == before.output.f_max &&
                        image.output.f_min == before.output.f_min &&
                        image.NEW_DAT.LONG_NUM == before.NEW_DAT.LONG_NUM)
                << c.text;
        }
    }
}

// Every number format shows its text; an untouched field gives back its exact value, a typed
// text goes through the parser of the field's kind.
TEST_F(Page, NumberFormatsShowTheirTextsAndParseWhatUsersType) {
    constexpr ControlSpec kControls[] = {
        {.id = "r",
         .caption = "",
         .kind = ControlKind::Float,
         .format = NumberFormat::Fixed2,
         .member = MEMBER(izm_to_comp.r_cod_min)},
        {.id = "a",
         .caption = "",
         .kind = ControlKind::Float,
         .format = NumberFormat::Exponent,
         .member = MEMBER(izm_to_comp.ext_sens_kvd_a)},
        {.id = "code",
         .caption = "",
         .kind = ControlKind::Integer,
         .member = MEMBER(izm_to_comp.a1_cod_min),
         .message = InputMessage::LongInteger},
        {.id = "type",
         .caption = "",
         .kind = ControlKind::Value,
         .format = NumberFormat::Hex,
         .member = MEMBER(readings.primaryBlock510[0])},
        {.id = "diam",
         .caption = "",
         .kind = ControlKind::Value,
         .format = NumberFormat::WordsFloat,
         .member = MEMBER(readings.primaryBlock510[2])},
        {.id = "size",
         .caption = "",
         .kind = ControlKind::Value,
         .member = MEMBER(readings.primaryBlock510[4])},
        {.id = "adc",
         .caption = "",
         .kind = ControlKind::Value,
         .member = MEMBER(readings.adcCode1)},
    };
    constexpr PageSection kSections[] = {{.caption = "S"}};
    const PageDefinition definition{.path = "P", .controls = kControls, .sections = kSections};
    PageModel page(definition);
    image.izm_to_comp.r_cod_min = 138.456f;
    image.izm_to_comp.ext_sens_kvd_a = 0.0039083f;
    image.izm_to_comp.a1_cod_min = 70000;
    auto& words = image.readings.primaryBlock510;
    words[0] = 0x0A0B;
    words[2] = encodeFloat(80.5f).first;
    words[3] = encodeFloat(80.5f).second;
    words[4] = 100;
    image.readings.adcCode1 = 4000000000u;
    page.showAll(image);
    const std::pair<std::string_view, std::string_view> shown[] = {
        {"r", "138.46"},         {"a", "3.908300E-03"}, {"code", "70000"},    {"type", "0x0A0B"},
        {"diam", "80.5000    "}, {"size", "100"},       {"adc", "4000000000"}};
    for (const auto& [id, text] : shown)
        EXPECT_EQ(page.state(id).text, text) << id;

    image = DeviceImage{};
    ASSERT_EQ(page.take(image, dialogs, 0), TakeResult::Taken);
    EXPECT_EQ(image.izm_to_comp.r_cod_min, 138.456f);
    EXPECT_EQ(image.izm_to_comp.ext_sens_kvd_a, 0.0039083f);
    EXPECT_EQ(image.izm_to_comp.a1_cod_min, 70000u);

    const std::pair<std::string_view, float> typed[] = {
        {"1e-3", 1e-3f}, {"1.5E+02", 150.0f}, {"-0.0039083", -0.0039083f}, {" 2.5 ", 2.5f}};
    for (const auto& [text, value] : typed) {
        page.edit("a", std::string(text));
        ASSERT_EQ(page.take(image, dialogs, 0), TakeResult::Taken) << text;
        EXPECT_EQ(image.izm_to_comp.ext_sens_kvd_a, value) << text;
    }
    page.edit("code", "4294967296");
    EXPECT_EQ(page.take(image, dialogs, 0), TakeResult::ParseFailed);
    EXPECT_EQ(
        dialogs.texts(),
        (std::vector<std::string>{"Вводимые данные не получается представить длинным целым числом.",
                                  "Запись данных не будет производиться."}));
}

TEST_F(Page, LabelRulesFillFromTheImageAfterTheOtherControls) {
    static constexpr std::string_view kUnits[] = {"Па", "кПа", "МПа"};
    static constexpr BitText kPipe[] = {{0x01, " Расх.и скор=0 "}, {0x02, " Отобр. П.Т. "}};
    static constexpr ControlSpec kControls[] = {
        {.id = "interval",
         .caption = "",
         .kind = ControlKind::Integer,
         .member = MEMBER(el_clear.el_clear_time_interval_val_h)},
        {.id = "days",
         .caption = "",
         .kind = ControlKind::Label,
         .label = LabelFill::repeat("interval", " сут")},
        {.id = "unit",
         .caption = "",
         .kind = ControlKind::Label,
         .member = MEMBER(readings.pressureUnit),
         .items = kUnits,
         .label = LabelFill::item()},
        {.id = "pipe",
         .caption = "",
         .kind = ControlKind::Label,
         .member = MEMBER(izm_general_param.empty_pype_en),
         .label = LabelFill::bitTexts(kPipe)},
    };
    static constexpr PageSection kSections[] = {{.caption = "S"}};
    static constexpr PageDefinition definition{
        .path = "P", .controls = kControls, .sections = kSections};
    static_assert(wellFormed(definition));
    PageModel page(definition);
    const struct {
        std::uint16_t interval, unit, pipe;
        std::string_view days, unitText, pipeText;
    } cases[] = {
        {30, 1, 3, "30 сут", "кПа", " Расх.и скор=0  Отобр. П.Т. "},
        {0, 7, 0, "0 сут", "-", ""},
        {8760, 2, 2, "8760 сут", "МПа", " Отобр. П.Т. "},
    };
    for (const auto& c : cases) {
        image.el_clear.el_clear_time_interval_val_h = c.interval;
        image.readings.pressureUnit = c.unit;
        image.izm_general_param.empty_pype_en = c.pipe;
        page.show(image, 0);
        EXPECT_EQ(page.state("days").text, c.days);
        EXPECT_EQ(page.state("unit").text, c.unitText);
        EXPECT_EQ(page.state("pipe").text, c.pipeText);
    }
}

// With showsAnyCode a list shows a code no item stands for as its number, one item after its
// own, and sends it back unless another item is chosen.
TEST_F(Page, AListShowsACodeWithoutItemAsItsNumberAndSendsItBack) {
    constexpr ControlSpec kControls[] = {{.id = "year",
                                          .caption = "ГОД",
                                          .kind = ControlKind::List,
                                          .member = MEMBER(readings.clockYear),
                                          .items = items::numbers<2023, 8>,
                                          .rule = CodeRule::plus(2023),
                                          .twin = true,
                                          .showsAnyCode = true}};
    constexpr PageSection kSections[] = {{.caption = "S"}};
    const PageDefinition definition{.path = "P", .controls = kControls, .sections = kSections};
    PageModel page(definition);
    const ControlSpec& year = page.def("year");
    image.readings.clockYear = 2105;
    page.show(image, 0);
    EXPECT_EQ(page.state("year").index, 8u);
    EXPECT_EQ(selectedItem(year, page.state("year")), "2105");
    EXPECT_EQ(page.state("year").twin, "2105");
    EXPECT_EQ(itemCount(year, page.state("year")), 9u);

    const auto takenYear = [&] {
        image.readings.clockYear = 0;
        EXPECT_EQ(page.take(image, dialogs, 0), TakeResult::Taken);
        return image.readings.clockYear;
    };
    EXPECT_EQ(takenYear(), 2105); // untouched
    page.choose("year", 8);
    EXPECT_EQ(takenYear(), 2105); // its own item chosen
    page.choose("year", 0);
    EXPECT_EQ(takenYear(), 2023);

    image.readings.clockYear = 2030;
    page.show(image, 0);
    EXPECT_EQ(page.state("year").index, 7u);
    EXPECT_EQ(itemCount(year, page.state("year")), 8u);
}

TEST_F(Page, CutoffIndicatorsSummariesAndTwins) {
    image.izm_general_param.cut_en = 0x0005; // main and display cut-off formed in the meter
    image.izm_general_param.izm_flow_v_cut_ee = 1.5f;
    image.readings.cutoffHysteresis = 0.25f;
    cutoff.show(image, section::Main);
    EXPECT_EQ(cutoff.state("cut_main_meter").colour, IndicatorColour::Green);
    EXPECT_EQ(cutoff.state("cut_main_primary").colour, IndicatorColour::ButtonFace);
    EXPECT_EQ(cutoff.state("cut_display_meter").colour, IndicatorColour::Green);
    EXPECT_EQ(cutoff.state("cut_main_summary").text, " Прибор");
    EXPECT_EQ(cutoff.state("cut_display_summary").text, " Прибор");
    EXPECT_EQ(cutoff.state("izm_flow_v_cut_ee").text, "1.5000     ");
    EXPECT_EQ(cutoff.state("izm_flow_v_cut_ee").twin, "1.5000     ");
    EXPECT_EQ(cutoff.state("cut_hysteresis").twin, "0.2500     ");

    // A click flips the bit in the image at once; nothing else changes until the next show.
    cutoff.click("cut_main_primary", image);
    cutoff.click("cut_display_meter", image);
    EXPECT_EQ(image.izm_general_param.cut_en, 0x0003);
    EXPECT_EQ(cutoff.state("cut_main_primary").colour, IndicatorColour::Green);
    EXPECT_EQ(cutoff.state("cut_display_meter").colour, IndicatorColour::ButtonFace);
    cutoff.show(image, section::Main);
    EXPECT_EQ(cutoff.state("cut_main_summary").text, " Прибор ПП");
    EXPECT_EQ(cutoff.state("cut_display_summary").text, "");
}

TEST_F(Page, OutputModeTwinAndDirectStateIndicator) {
    image.output.diskr_out_type1 = 3;
    image.output.diskr_out_direct_val_1 = 1;
    output2.show(image, section::OutputMode);
    EXPECT_EQ(output2.state("diskr_out_type1").twin, "Импульсный");
    EXPECT_EQ(output2.state("diskr_out_direct_val_1").colour, IndicatorColour::Green);
    EXPECT_EQ(output2.state("diskr_out_direct_val_1").twin, "вкл");

    image.output.diskr_out_type1 = 9;        // no such mode: list and twin stay
    image.output.diskr_out_direct_val_1 = 5; // not 1: off
    output2.show(image, section::OutputMode);
    EXPECT_EQ(output2.state("diskr_out_type1").twin, "Импульсный");
    EXPECT_EQ(output2.state("diskr_out_direct_val_1").colour, IndicatorColour::ButtonFace);
    EXPECT_EQ(output2.state("diskr_out_direct_val_1").twin, "выкл");
    output2.click("diskr_out_direct_val_1", image);
    EXPECT_EQ(image.output.diskr_out_direct_val_1, 1);
    EXPECT_EQ(output2.state("diskr_out_direct_val_1").twin, "вкл");
}

TEST_F(Page, PulseTakeResetsTheUnitSelector) {
    image.output.flow_v_for_pulse_unit = 2;
    image.output.flow_v_for_pulse_unit_1 = 3;
    output1.showAll(image);
    ASSERT_EQ(output1.take(image, dialogs, section::Pulse), TakeResult::Taken);
    EXPECT_EQ(image.output.flow_v_for_pulse_unit, 0);
    EXPECT_EQ(image.output.flow_v_for_pulse_unit_1, 3);
}

TEST_F(Page, HiddenControlsAndTheCalibrationBlock) {
    EXPECT_FALSE(current.state("code_direct").visible);
    EXPECT_FALSE(current.state("i_ma_max_calib").visible);
    EXPECT_TRUE(current.state("i_ma_direct").visible);

    image.i_control.code_max_calib = 43690;
    current.showAll(image);
    EXPECT_EQ(current.state("code_max_calib").text, "43690");
    current.state("i_ma_max_calib").text = "20.5";
    current.state("code_max_calib").text = "x";
    EXPECT_EQ(current.take(image, dialogs, section::Calibration), TakeResult::ParseFailed);
    EXPECT_EQ(image.i_control.i_ma_max_calib, 20.5f);
    EXPECT_EQ(dialogs.texts()[0], "Вводимые данные не получается представить целым числом.");
}

} // namespace
} // namespace flowcfg::test
