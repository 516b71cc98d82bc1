// The sensor pages beyond their rows, against the simulated meter: the take rules that
// rewrite what is sent, the chains of single-register writes that stop at their first unclean
// write, and the amplitude reads that stop the poll and log.

#include "config/SensorPages.h"

#include "config/ConfigPages.h"
#include "tests/model/MeterFixture.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

constexpr std::uint8_t FC16 = 16;
using Words = std::vector<std::pair<std::uint16_t, std::uint16_t>>; // register, value
using Typed = std::vector<std::pair<std::string_view, std::string>>;

class SensorPagesTest : public MeterFixture {
protected:
    void SetUp() override {
        ctx.settings.Reask_val = 1; // one attempt per transaction
        pages.showAll();
    }
    PagePart part(std::string_view name) { return findButtons(name).value(); }
    void start() {
        slave->clearServed();
        pump.clearPauses();
        dialogs.shown.clear();
    }
    OperationOutcome read(std::string_view name) { return start(), pages.read(part(name)); }
    OperationOutcome write(std::string_view name) { return start(), pages.write(part(name)); }
    ControlState& state(std::string_view page, std::string_view id) {
        return pages.page(page).state(id);
    }

    DeviceImage image;
    ConfigPages pages{ctx, image};
};

TEST_F(SensorPagesTest, TakeRulesRewriteWhatIsSent) {
    const struct {
        std::string_view button;
        Words meter;
        Typed typed;
        Words written;
    } cases[] = {
        {"cleaning",
         {},
         {{"el_clear_time_interval_val_h", "0"}, {"el_clear_time_on_val_s", "5"}},
         {{0x0541, 1}, {0x0543, 0}}},
        {"cleaning",
         {},
         {{"el_clear_time_interval_val_h", "8760"}, {"el_clear_time_on_val_s", "6"}},
         {{0x0541, 1095}, {0x0543, 6}}},
        {"cleaning",
         {},
         {{"el_clear_time_interval_val_h", "8759"}, {"el_clear_time_on_val_s", "601"}},
         {{0x0541, 8759}, {0x0543, 600}}},
        // Both current errors set: current error 2 alone; bits 7..15 have no cell.
        {"error-enables",
         {{0x10AC, 0x0060}, {0x10D6, 0xFF9F}},
         {},
         {{0x10AC, 0x0040}, {0x10D6, 0x001F}}},
        // The increment read as 3.5 goes as 0.0; LO takes "$" hexadecimal, HI hexadecimal.
        {"emulation",
         {{0x1042, 0x4060}, {0x1043, 0x0000}},
         {{"flow_v_err_raw_lo_sym", "$1F"}, {"flow_v_err_raw_hi_sym", "a0"}},
         {{0x1042, 0}, {0x1043, 0}, {0x1045, 0x001F}, {0x1046, 0x00A0}}},
    };
    for (const auto& c : cases) {
        for (const auto& [at, value] : c.meter)
            meter().setReg(at, value);
        ASSERT_EQ(read(c.button).end, OperationEnd::Succeeded) << c.button;
        for (const auto& [id, text] : c.typed)
            pages.page(part(c.button).page).edit(id, text);
        ASSERT_EQ(write(c.button).end, OperationEnd::Succeeded) << c.button;
        for (const auto& [at, value] : c.written)
            EXPECT_EQ(meter().reg(at), value) << c.button << " " << std::hex << at;
        if (c.button == "cleaning") { // the on-time 300 ms after the interval
            std::vector<std::uint32_t> pauses;
            for (const RecordedPause& p : pump.pauses())
                pauses.push_back(p.ms);
            EXPECT_EQ(pauses, (std::vector<std::uint32_t>{400, 100, 300, 400, 100}));
        }
    }

    // 0x0060 lights current error 2 alone; empty-pipe word 3 lights both indicators and
    // names both bits.
    meter().setReg(0x10AC, 0x0060);
    meter().setReg(0x1099, 3);
    ASSERT_EQ(read("error-enables").end, OperationEnd::Succeeded);
    ASSERT_EQ(read("empty-pipe").end, OperationEnd::Succeeded);
    EXPECT_EQ(state(page::errorEnables, "ovld_en").cells, 0x0040);
    EXPECT_EQ(state(page::emptyPipe, "empty_pype_zero_flow").colour, IndicatorColour::Green);
    EXPECT_EQ(state(page::emptyPipe, "empty_pype_show_pt").colour, IndicatorColour::Green);
    EXPECT_EQ(state(page::emptyPipe, "empty_pype_summary").text, " Расх.и скор=0  Отобр. П.Т. ");
}

// A write of single registers stops at the first one that does not go through: the ones
// before stay written, none after is sent, the locks stay lifted and the box says why.
TEST_F(SensorPagesTest, ChainsStopAtTheirFirstUncleanWrite) {
    const struct {
        std::string_view button;
        std::uint16_t failing;
        std::vector<std::uint16_t> sent; // after the unlock
    } cases[] = {
        {"error-enables", 0x10C2, {0x10AC, 0x10AE, 0x10B6, 0x10BE, 0x10C2}},
        {"cleaning", 0x0541, {0x0541}},
    };
    for (const auto& c : cases) {
        slave->faults().clear();
        ASSERT_EQ(read(c.button).end, OperationEnd::Succeeded) << c.button;
        exceptionOn(c.failing, c.failing, 3);
        const OperationOutcome outcome = write(c.button);
        EXPECT_EQ(outcome.end, OperationEnd::Failed) << c.button;
        EXPECT_TRUE(outcome.leftUnlocked) << c.button;
        std::vector<Request> expected{{FC16, 0x04FE, 2}};
        for (const std::uint16_t at : c.sent)
            expected.push_back({FC16, at, 1});
        EXPECT_EQ(served(), expected) << c.button;
        EXPECT_EQ(dialogs.texts().back(), "Величина данных превышает допустимое значение.");
    }
}

TEST_F(SensorPagesTest, AmplitudeReadsStopThePollAndLogWhenTheyWentThrough) {
    int stops = 0, logs = 0;
    pages.stopPolling = [&] { ++stops; };
    pages.logMeasurement = [&] { ++logs; };
    meter().setFloat(0x5008, 12.5f);
    ASSERT_EQ(read("amplitude").end, OperationEnd::Succeeded);
    EXPECT_EQ(state(page::amplitudeCutoff, "signal_amplitude").text, "12.5000    ");
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Прочитана амплитуда сигнала."});
    exceptionOn(0x5506, 0x5507, 2);
    EXPECT_EQ(read("amplitude-cut").end, OperationEnd::Failed);
    EXPECT_EQ(stops, 2);
    EXPECT_EQ(logs, 1);
}

} // namespace
} // namespace flowcfg::test
