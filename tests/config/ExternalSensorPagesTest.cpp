// The external-sensor and measuring-module pages beyond their rows, against the simulated
// meter: the calibration write's order and pauses with the words it fetches first, the
// entries as they reach the registers, the adjustment write that leaves the locks lifted, and
// the coefficient table that always has twenty rows.

#include "config/ExternalSensorPages.h"

#include "config/ConfigPages.h"
#include "model/Encodings.h"
#include "tests/model/MeterFixture.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

constexpr std::uint8_t FC3 = 3, FC16 = 16;

class ExternalSensorPagesTest : public MeterFixture {
protected:
    using Requests = std::vector<Request>;
    static constexpr Request kLocks{FC16, 0x04FE, 2};

    void SetUp() override {
        ctx.settings.Reask_val = 1;
        pages.showAll();
    }
    OperationOutcome run(std::string_view name, bool write) {
        slave->clearServed();
        pump.clearPauses();
        dialogs.shown.clear();
        const PagePart part = findButtons(name).value();
        return write ? pages.write(part) : pages.read(part);
    }
    std::vector<std::uint32_t> pauses() const {
        std::vector<std::uint32_t> out;
        for (const auto& p : pump.pauses())
            out.push_back(p.ms);
        return out;
    }
    PageModel& temperature() { return pages.page(page::temperature); }

    DeviceImage image;
    ConfigPages pages{ctx, image};
};

// Right after start-up nothing has been read: word 0 and C are fetched before the unlock and
// go back as the meter holds them. Typed entries reach the registers in their encodings.
TEST_F(ExternalSensorPagesTest, CalibrationWriteSendsItsGroupsInOrderWithTheirPauses) {
    const std::vector<std::uint16_t> word0AndC = {meter().reg(0x1700), meter().reg(0x170E),
                                                  meter().reg(0x170F)};
    const struct {
        std::string_view id;
        std::string text;
        std::uint16_t reg;
        std::vector<std::uint16_t> words;
    } entries[] = {
        {"a1_cod_min", "70000", 0x1701, {0x1170, 0x0001}}, // low word first
        {"ext_sens_r0", "100.0", 0x1718, {0x42C8, 0x0000}},
        {"ext_sens_kvd_a", "1e-3", 0x170A, {0x3A83, 0x126F}},
        {"ext_sens_kvd_b", "1.5E+02", 0x170C, {0x4316, 0x0000}},
        {"ext_sens_kvd_d1", "-0.0039083", 0x1710, {0xBB80, 0x1132}},
    };
    for (const auto& e : entries)
        temperature().edit(e.id, e.text);

    ASSERT_EQ(run("temperature-calibration", true).end, OperationEnd::Succeeded);
    EXPECT_EQ(served(), (Requests{{FC3, 0x1700, 26},
                                  {FC3, 0x1709, 17},
                                  kLocks,
                                  {FC16, 0x1700, 10},
                                  {FC16, 0x1718, 2},
                                  {FC16, 0x1904, 4},
                                  {FC16, 0x1709, 15},
                                  kLocks}));
    // 100 between the reads; unlock 400 / 100; 100 before the first write, 400 after each;
    // lock 400 / 100.
    EXPECT_EQ(pauses(),
              (std::vector<std::uint32_t>{100, 400, 100, 100, 400, 400, 400, 400, 400, 100}));
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{
                  "Данные градуировки температурного датчика будут переписаны?.",
                  "Запись градуировок температурного датчика успешно осуществлена."}));
    for (const auto& e : entries)
        EXPECT_EQ(meter().regs(e.reg, 2), e.words) << e.id;
    EXPECT_EQ(
        (std::vector<std::uint16_t>{meter().reg(0x1700), meter().reg(0x170E), meter().reg(0x170F)}),
        word0AndC);
    EXPECT_FALSE(meter().unlocked());

    // Kept from that fetch: the next write goes straight to the unlock.
    ASSERT_EQ(run("temperature-calibration", true).end, OperationEnd::Succeeded);
    EXPECT_EQ(served().front(), kLocks);
}

// The adjustment read shows the points and R0 it read on "ТЕМПЕРАТУРА", which its write sends
// with the adjustment; the locks stay lifted.
TEST_F(ExternalSensorPagesTest, AdjustmentWriteSendsThePointsShownAndLeavesTheLocksLifted) {
    meter().setFloat(0x1705, 99.5f);
    ASSERT_EQ(run("temperature-adjustment", false).end, OperationEnd::Succeeded);
    EXPECT_EQ(temperature().state("r_cod_min").text, "99.50");
    pages.page(page::temperatureAdjustment).edit("shift", "0.25");

    const OperationOutcome outcome = run("temperature-adjustment", true);
    EXPECT_EQ(outcome, (OperationOutcome{OperationEnd::Succeeded, {}, true}));
    EXPECT_EQ(served(),
              (Requests{kLocks, {FC16, 0x1700, 10}, {FC16, 0x1718, 2}, {FC16, 0x1904, 4}}));
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{
                  "Данные подстроек температурного датчика будут переписаны?.",
                  "Запись подстроек температурного датчика успешно осуществлена."}));
    EXPECT_EQ(meter().floatAt(0x1705), 99.5f);
    EXPECT_EQ(meter().floatAt(0x1904), 0.25f);
    EXPECT_TRUE(meter().unlocked());
}

TEST_F(ExternalSensorPagesTest, CoefficientTableShowsTwentyRowsWhateverTheCount) {
    meter().setReg(0x7DFF, 0x00FF); // count byte 0
    meter().setFloat(0x7E4C, 12.5f);
    meter().setFloat(0x7E4E, 0.999f);
    ASSERT_EQ(run("coefficients", false).end, OperationEnd::Succeeded);
    PageModel& p = pages.page(page::coefficients);
    EXPECT_EQ(p.state("coefficient_count").text, "0");
    const ControlSpec& table = p.def("coefficients");
    const ControlState& cells = p.state("coefficients");
    ASSERT_EQ(cells.tableCells.size(), 21u * 3u);
    const struct {
        std::size_t row;
        std::vector<std::string_view> cells;
    } rows[] = {{0, {"", "Gi", "Gv"}},
                {1, {" 1", " 0.0500", "  0.9968"}},
                {20, {"20", "12.5000", "  0.9990"}}};
    for (const auto& r : rows)
        for (std::size_t column = 0; column < 3; ++column)
            EXPECT_EQ(tableCell(table, cells, r.row, column), r.cells[column]) << r.row;
}

} // namespace
} // namespace flowcfg::test
