// The master against the simulated meter on the in-process line: real answers, real faults.

#include "LinkFixture.h"
#include "SimLine.h"

#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace flowcfg::test {
namespace {

class MasterOnSimTest : public FakeLinkTest {
protected:
    MasterOnSimTest() { ctx.port = std::make_unique<FakeSerialPort>(sim.line); }

    SimLine sim{clock};
    ModbusMaster master{ctx};
};

TEST_F(MasterOnSimTest, ReadWriteAndArchiveAgreeWithTheMeter) {
    std::vector<std::uint16_t> values(49);
    ASSERT_EQ(master.readHoldingRegisters(0x0100, 49, values), (ExchangeResult{0, 0}));
    for (std::size_t k = 0; k < values.size(); ++k)
        EXPECT_EQ(values[k], sim.meter().reg(static_cast<std::uint16_t>(0x0100 + k))) << k;

    const std::array<std::uint16_t, 2> locks{1, 1};
    ASSERT_EQ(master.writeMultipleRegisters(0x04FE, locks, "Запись USERLOCK."),
              (ExchangeResult{0, 0}));
    EXPECT_EQ(sim.meter().reg(0x04FE), 1);
    EXPECT_EQ(sim.meter().reg(0x04FF), 1);

    std::array<std::uint8_t, 1024> block{};
    ASSERT_EQ(master.readArchiveBlock(2, block), (ExchangeResult{0, 0}));
    const Bytes direct = sim.slave.handle(withCrc({0x01, 0x19, 0x00, 0x00, 0x00, 0x02}));
    ASSERT_EQ(direct.size(), 1030u);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), direct.begin() + 4));
}

TEST_F(MasterOnSimTest, FaultsOnTheLineGiveTheirStatusAndAreRepeated) {
    std::array<std::uint16_t, 4> values{};
    const auto fault = [&](sim::FaultKind kind, std::uint32_t param = 0) {
        sim.faults().clear();
        sim.faults().add({kind, param, 1});
        pump.clearPauses();
        return master.readHoldingRegisters(0x0100, 4, values);
    };
    EXPECT_EQ(fault(sim::FaultKind::Silent), (ExchangeResult{0x8000, 0}));
    EXPECT_EQ(pump.pauses(), (std::vector<RecordedPause>{{1000, PauseTimer::AfterWrite}}));
    EXPECT_EQ(fault(sim::FaultKind::BadCrc), (ExchangeResult{0x8000, 0}));
    EXPECT_EQ(fault(sim::FaultKind::Truncate), (ExchangeResult{0x8000, 0}));
    EXPECT_EQ(fault(sim::FaultKind::Garbage), (ExchangeResult{0x8000, 0}));
    EXPECT_EQ(values[0], sim.meter().reg(0x0100));

    ctx.settings.Reask_val = 1;
    EXPECT_EQ(fault(sim::FaultKind::Exception, 4), (ExchangeResult{0x001A, 4}));
    EXPECT_EQ(fault(sim::FaultKind::OtherAddress).status, status::OtherAddress);
    EXPECT_EQ(fault(sim::FaultKind::BadCrc).status, status::CrcMismatch);
    EXPECT_EQ(fault(sim::FaultKind::Silent).status, 0x0042);
    // An answer later than the total read timeout is lost; the next purge drops it.
    ctx.settings.TimeOut = 100;
    EXPECT_EQ(fault(sim::FaultKind::Delay, 5000).status, 0x0042);
    EXPECT_EQ(fault(sim::FaultKind::Delay, 0).status, 0);
}

} // namespace
} // namespace flowcfg::test
