// The meter behind the registers: dynamics, commands, locks, outputs, clock and archive.

#include "sim/Meter.h"

#include "SimFrames.h"
#include "sim/MeterWords.h"

#include <bit>
#include <cmath>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

using sim::Meter;
using sim::ModbusException;

double doubleAt(const Meter& m, std::uint16_t a) {
    std::uint64_t bits = 0;
    for (std::uint16_t i = 0; i < 4; ++i)
        bits = bits << 16 | m.reg(static_cast<std::uint16_t>(a + i));
    return std::bit_cast<double>(bits);
}

float floatIn(const Meter& m, std::uint16_t a, unsigned order) {
    // Undo the byte order: each arrangement is its own inverse.
    const auto w = sim::floatWords(sim::floatFromWords(m.reg(a), m.reg(a + 1)), order);
    return sim::floatFromWords(w[0], w[1]);
}

ModbusException unlockAndWrite(Meter& m, std::uint16_t a, std::vector<std::uint16_t> v) {
    const std::uint16_t open[] = {1, 1};
    EXPECT_EQ(m.write(0x04FE, open), ModbusException::None);
    return m.write(a, v);
}

void setFixedFlow(Meter& m, float q) {
    const auto w = sim::floatWords(q);
    ASSERT_EQ(unlockAndWrite(m, 0x103B, {1, w[0], w[1]}), ModbusException::None);
}

sim::MeterConfig quietConfig() {
    sim::MeterConfig c;
    c.archiveFrames = 0;
    c.archiveIntervalSec = 0;
    return c;
}

TEST(Meter, TotalsIntegrateTheFlowAndTheResetClearsThem) {
    Meter m(quietConfig());
    setFixedFlow(m, 36.0F);
    const double fwd0 = m.volumeForward();
    m.advance(3600 * 1000); // one hour at 36 m3/h
    EXPECT_NEAR(m.volumeForward() - fwd0, 36.0, 1e-6);
    EXPECT_NEAR(doubleAt(m, 0x011D), m.volumeForward(), 1e-9);                     // forward
    EXPECT_NEAR(doubleAt(m, 0x0119), m.volumeForward() - m.volumeReverse(), 1e-9); // sum
    EXPECT_EQ(m.reg(0x012D) << 16 | m.reg(0x012E), 3600);                          // seconds

    setFixedFlow(m, -18.0F); // reverse flow runs the reverse total
    const double rev0 = m.volumeReverse();
    m.advance(1800 * 1000);
    EXPECT_NEAR(m.volumeReverse() - rev0, 9.0, 1e-6);
    EXPECT_NEAR(doubleAt(m, 0x0125), m.volumeForward() + m.volumeReverse(), 1e-9); // modulus

    // Litres as the sum unit.
    ASSERT_EQ(unlockAndWrite(m, 0x1038, {1}), ModbusException::None);
    EXPECT_NEAR(doubleAt(m, 0x011D), m.volumeForward() * 1000, 1e-6);
    EXPECT_EQ(m.reg(0x012B), 1);

    ASSERT_EQ(unlockAndWrite(m, 0x1102, {1, 1}), ModbusException::None);
    EXPECT_EQ(m.volumeForward(), 0.0);
    EXPECT_EQ(doubleAt(m, 0x0121), 0.0);
    EXPECT_EQ(m.reg(0x012D) << 16 | m.reg(0x012E), 0);
    EXPECT_EQ(m.write(0x1102, std::vector<std::uint16_t>{1, 0}), ModbusException::IllegalDataValue);
}

TEST(Meter, FloatOrderAppliesToTheSevenBlockSinglesButNotTheFlow) {
    Meter m(quietConfig());
    setFixedFlow(m, 25.5F);
    const auto plain = m.regs(0x0100, 49);
    for (unsigned order = 0; order < 4; ++order) {
        m.setFloatOrder(static_cast<std::uint16_t>(order));
        EXPECT_EQ(m.reg(0x0105) >> 8, order);
        EXPECT_EQ(m.reg(0x0105) & 0xFF, 2); // m3/h
        EXPECT_EQ(sim::floatFromWords(m.reg(0x0100), m.reg(0x0101)), 25.5F);
        for (const std::uint16_t a : {0x0106, 0x010A, 0x010D, 0x0110, 0x0113, 0x0116})
            EXPECT_EQ(floatIn(m, a, order),
                      sim::floatFromWords(plain[a - 0x0100], plain[a - 0x0100 + 1]))
                << std::hex << a;
    }
    // 123.456 in order 3 is fully reversed on the wire.
    const auto w = sim::floatWords(123.456F, 3);
    EXPECT_EQ(w[0], 0x79E9);
    EXPECT_EQ(w[1], 0xF642);
}

TEST(Meter, EmulationDrivesTheFlowAndItsUnits) {
    Meter m(quietConfig());
    EXPECT_NEAR(m.flowM3h(), 12.5, 1.0); // normal operation
    setFixedFlow(m, 36.0F);
    EXPECT_EQ(m.flowM3h(), 36.0);
    EXPECT_EQ(sim::floatFromWords(m.reg(0x0000), m.reg(0x0001)), 36.0F); // primary flow, m3/h
    EXPECT_NEAR(m.reg(0x0102), 65535 / 2, 1);                            // half of 72 m3/h
    ASSERT_EQ(unlockAndWrite(m, 0x1007, {0}), ModbusException::None);    // m3/s
    EXPECT_FLOAT_EQ(sim::floatFromWords(m.reg(0x0100), m.reg(0x0101)), 0.01F);
    ASSERT_EQ(unlockAndWrite(m, 0x1007, {3}), ModbusException::None); // l/h
    EXPECT_FLOAT_EQ(sim::floatFromWords(m.reg(0x0100), m.reg(0x0101)), 36000.0F);

    // Swing from 10 to 20 with a half period of 1000 ms; its phase starts at the write.
    const auto lo = sim::floatWords(10.0F), hi = sim::floatWords(20.0F);
    ASSERT_EQ(unlockAndWrite(m, 0x103B, {2, 0, 0, lo[0], lo[1], hi[0], hi[1], 0, 0, 1000, 0, 0}),
              ModbusException::None);
    EXPECT_NEAR(m.flowM3h(), 10.0, 1e-6);
    m.advance(500);
    EXPECT_NEAR(m.flowM3h(), 15.0, 1e-6);
    m.advance(500);
    EXPECT_NEAR(m.flowM3h(), 20.0, 1e-6);
    m.advance(750);
    EXPECT_NEAR(m.flowM3h(), 12.5, 1e-6);

    // A mode the meter does not know is kept and runs as normal operation.
    ASSERT_EQ(unlockAndWrite(m, 0x103B, {3}), ModbusException::None);
    EXPECT_EQ(m.reg(0x103B), 3);
    EXPECT_NEAR(m.flowM3h(), 12.5, 1.0);

    // Emulated error words appear in the status words, forced bits too.
    ASSERT_EQ(unlockAndWrite(m, 0x1045, {0x0011, 0x2000}), ModbusException::None);
    ASSERT_EQ(unlockAndWrite(m, 0x103B, {1}), ModbusException::None);
    m.forceFlowStatus(0x0080, 0x0400);
    EXPECT_EQ(m.reg(0x0103) & 0x2080, 0x2080);
    EXPECT_EQ(m.reg(0x0104), 0x0411);
    EXPECT_EQ(m.reg(0x0002), m.reg(0x0103));
    EXPECT_EQ(m.reg(0x0003), m.reg(0x0104));
}

TEST(Meter, CutOffAndRangeBitsFollowTheFlow) {
    Meter m(quietConfig());
    setFixedFlow(m, 0.02F); // below 0.05 % of 72 m3/h
    EXPECT_EQ(m.flowM3h(), 0.0);
    EXPECT_EQ(m.reg(0x0103) & 0x0007, 0x0004);
    setFixedFlow(m, 0.2F); // below the range's 0.36
    EXPECT_EQ(m.reg(0x0103) & 0x0007, 0x0001);
    setFixedFlow(m, 80.0F);
    EXPECT_EQ(m.reg(0x0103) & 0x0007, 0x0002);
}

TEST(Meter, OutputsFollowTheFlowAndTheirSettings) {
    Meter m(quietConfig());
    setFixedFlow(m, 36.18F); // the middle of 0.36..72
    EXPECT_NEAR(sim::floatFromWords(m.reg(0x0131), m.reg(0x0132)), 12.0, 1e-4);
    EXPECT_EQ(m.reg(0x0137), 0); // current output normal
    // Output 1 as frequency: 0..10000 Hz over 0..72 m3/h.
    ASSERT_EQ(unlockAndWrite(m, 0x1047, {2}), ModbusException::None);
    EXPECT_NEAR(sim::floatFromWords(m.reg(0x0133), m.reg(0x0134)), 36.18 / 72 * 10000, 0.05);
    EXPECT_EQ(m.reg(0x0138), 2);
    ASSERT_EQ(unlockAndWrite(m, 0x1054, {1, 777}), ModbusException::None);
    EXPECT_EQ(sim::floatFromWords(m.reg(0x0133), m.reg(0x0134)), 777.0F);
    EXPECT_EQ(m.reg(0x0139), 1);
    // Current set directly.
    const auto ma = sim::floatWords(7.5F);
    ASSERT_EQ(unlockAndWrite(m, 0x1086, {0, ma[0], ma[1]}), ModbusException::None);
    ASSERT_EQ(unlockAndWrite(m, 0x1075, {2}), ModbusException::None);
    EXPECT_EQ(sim::floatFromWords(m.reg(0x0131), m.reg(0x0132)), 7.5F);
    EXPECT_EQ(m.reg(0x0137), 2);
    // An error puts the error current on the output.
    ASSERT_EQ(unlockAndWrite(m, 0x1075, {0}), ModbusException::None);
    m.forceFlowStatus(0, 0x0010);
    EXPECT_EQ(sim::floatFromWords(m.reg(0x0131), m.reg(0x0132)), 3.25F);
    // Output 1 under direct control shows in the contacts word.
    ASSERT_EQ(unlockAndWrite(m, 0x1047, {0}), ModbusException::None);
    ASSERT_EQ(unlockAndWrite(m, 0x104A, {1}), ModbusException::None);
    EXPECT_EQ(m.reg(0x012C) & 0x0001, 0x0001);
}

TEST(Meter, LocksCommandsAndProtection) {
    Meter m(quietConfig());
    const std::uint16_t one[] = {1};
    EXPECT_EQ(m.write(0x0416, one), ModbusException::None); // blink needs no unlock
    EXPECT_EQ(m.blinks(), 1U);
    EXPECT_EQ(m.reg(0x0416), 0);
    EXPECT_EQ(m.write(0x0419, one), ModbusException::DeviceFailure);
    EXPECT_EQ(m.restarts(), 0U);

    EXPECT_EQ(m.reg(0x0546), 4); // the cleaning command register reads the state
    ASSERT_EQ(unlockAndWrite(m, 0x0546, {2}), ModbusException::None);
    EXPECT_TRUE(m.cleaning());
    EXPECT_EQ(m.reg(0x0103) & 0x4000, 0x4000);
    EXPECT_EQ(m.reg(0x0546), 2);
    ASSERT_EQ(unlockAndWrite(m, 0x0546, {4}), ModbusException::None);
    EXPECT_EQ(m.reg(0x0103) & 0x4000, 0);
    ASSERT_EQ(unlockAndWrite(m, 0x07A3, {1}), ModbusException::None);
    EXPECT_EQ(m.reg(0x0103) & 0x4000, 0x4000);
    EXPECT_EQ(m.reg(0x0546), 2);
    ASSERT_EQ(unlockAndWrite(m, 0x07A3, {0}), ModbusException::None);
    EXPECT_FALSE(m.cleaning());
    EXPECT_EQ(unlockAndWrite(m, 0x0546, {3}), ModbusException::IllegalDataValue);

    ASSERT_EQ(unlockAndWrite(m, 0x0419, {1}), ModbusException::None);
    EXPECT_EQ(m.restarts(), 1U);
    EXPECT_FALSE(m.unlocked());
    EXPECT_EQ(m.write(0x04F0, one), ModbusException::DeviceFailure);

    EXPECT_EQ(m.reg(0x012C) & 0x8000, 0);
    m.setWriteProtected(true);
    EXPECT_EQ(m.reg(0x012C) & 0x8000, 0x8000);
}

TEST(Meter, ClockRunsAndIsSet) {
    Meter m(quietConfig()); // 2026-12-07 12:00:00 at time 0
    m.advance(61500);
    EXPECT_EQ(m.regs(0x0420, 6), (std::vector<std::uint16_t>{2026, 12, 7, 12, 1, 1}));
    ASSERT_EQ(unlockAndWrite(m, 0x0420, {2024, 2, 29, 23, 59, 59}), ModbusException::None);
    m.advance(1000);
    EXPECT_EQ(m.regs(0x0420, 6), (std::vector<std::uint16_t>{2024, 3, 1, 0, 0, 0}));
    EXPECT_EQ(unlockAndWrite(m, 0x0420, {2023, 2, 29, 0, 0, 0}), ModbusException::IllegalDataValue);
    EXPECT_EQ(unlockAndWrite(m, 0x0423, {24}), ModbusException::IllegalDataValue);
}

TEST(Meter, SettingsKeepWhatIsWrittenWithinTheMetersLimits) {
    struct Case {
        std::uint16_t start;
        std::vector<std::uint16_t> values;
        ModbusException expected;
    };
    const Case cases[] = {
        {0x0401, {0x0004, 0x93E0}, ModbusException::None},          // factory number 300000
        {0x0403, {4, 0x0107}, ModbusException::None},               // versions
        {0x0405, {1, 3, 2031}, ModbusException::None},              // date of manufacture
        {0x0405, {32, 3, 2031}, ModbusException::IllegalDataValue}, // day 32
        {0x0406, {13}, ModbusException::IllegalDataValue},          // month 13
        {0x04F0, {9999}, ModbusException::None},                    // panel password
        {0x04F0, {10000}, ModbusException::IllegalDataValue},
        {0x1100, {1, 0}, ModbusException::None},             // connector: Modbus protocol
        {0x1100, {0, 1}, ModbusException::IllegalDataValue}, // its second word must be 0
        {0x1100, {2, 0}, ModbusException::IllegalDataValue},
        {0x171A, {2}, ModbusException::None}, // pressure in MPa
        {0x171A, {3}, ModbusException::IllegalDataValue},
        {0x10C8, {0x0040}, ModbusException::None},         // one permission word alone
        {0x5506, {0x4120, 0x0000}, ModbusException::None}, // amplitude cut-off 10.0
    };
    Meter m(quietConfig());
    for (const Case& c : cases)
        EXPECT_EQ(unlockAndWrite(m, c.start, c.values), c.expected) << std::hex << c.start;
    EXPECT_EQ(m.regs(0x0400, 8),
              (std::vector<std::uint16_t>{10, 4, 0x93E0, 4, 0x0107, 1, 3, 2031}));
    EXPECT_EQ(m.reg(0x04F0), 9999);
    EXPECT_EQ(m.reg(0x1100), 1);
    EXPECT_EQ(m.reg(0x0206), 2); // the reading's unit follows the setting
    EXPECT_EQ(m.reg(0x10C8), 0x0040);
    EXPECT_EQ(m.floatAt(0x5506), 10.0F);
}

TEST(Meter, ExternalTemperatureComesThroughTheCalibration) {
    Meter m(quietConfig());
    const auto temperature = [&m] { return m.floatAt(0x0200); };
    const auto code = [&m] { return std::uint32_t{m.reg(0x0208)} << 16 | m.reg(0x0207); };
    EXPECT_NEAR(temperature(), 19.6, 0.5);
    EXPECT_EQ(m.reg(0x0202), 0);
    EXPECT_NEAR(m.floatAt(0x020C), 107.6, 0.2); // a Pt100 near 20 degrees
    const std::uint32_t code0 = code();
    const float t0 = temperature();
    m.advance(200000);
    EXPECT_NE(temperature(), t0); // readings move
    EXPECT_NE(code(), code0);

    // Shift 1.5 and adjustment 2: the code stays, the temperature follows.
    const float t1 = temperature();
    const std::uint32_t code1 = code();
    const auto shift = sim::floatWords(1.5F), adj = sim::floatWords(2.0F);
    ASSERT_EQ(unlockAndWrite(m, 0x1904, {shift[0], shift[1], adj[0], adj[1]}),
              ModbusException::None);
    EXPECT_EQ(code(), code1);
    EXPECT_NEAR(temperature(), 2 * t1 + 1.5, 1e-3);
    // An R0 the sensor does not have makes the meter read another temperature.
    const auto r0 = sim::floatWords(107.0F);
    ASSERT_EQ(unlockAndWrite(m, 0x1718, {r0[0], r0[1]}), ModbusException::None);
    const double r = m.floatAt(0x020C);
    EXPECT_NEAR(temperature(), 2 * (r / 107 - 1) / 3.9083e-3 + 1.5, 0.01);
    // Calibration points that coincide give no resistance the meter can use.
    ASSERT_EQ(unlockAndWrite(m, 0x1701, {0, 0, 0, 0}), ModbusException::None);
    EXPECT_EQ(m.reg(0x0202), 1);
}

TEST(Meter, CalibrationCoefficientsCountInTheHighByte) {
    Meter m(quietConfig());
    EXPECT_EQ(m.reg(0x7DFF), 0x0800); // 8 coefficients
    for (std::uint16_t i = 0; i < 20; ++i) {
        const float x = m.floatAt(0x7E00 + 4 * i), y = m.floatAt(0x7E00 + 4 * i + 2);
        if (i < 8) {
            EXPECT_GT(x, i == 0 ? 0.0F : m.floatAt(0x7E00 + 4 * (i - 1))) << i;
            EXPECT_NEAR(y, 1.0, 0.005) << i;
        } else {
            EXPECT_EQ(x, 0.0F) << i;
            EXPECT_EQ(y, 0.0F) << i;
        }
    }
}

TEST(Meter, ArchiveFramesHaveTheLayoutAndValidChecksums) {
    sim::MeterConfig c;
    c.archiveFrames = 25;
    c.framesPerBlock = 10;
    c.archiveIntervalSec = 60;
    Meter m(c);
    EXPECT_EQ(m.regs(0x1505, 4), (std::vector<std::uint16_t>{0, 25, 0, 25}));
    EXPECT_EQ(m.reg(0x150B), 10);

    std::array<std::uint8_t, sim::kBlockSize> block{};
    ASSERT_EQ(m.readArchiveBlock(2, block), ModbusException::None);
    for (std::size_t f = 0; f < 10; ++f) {
        const std::uint8_t* frame = block.data() + f * 102;
        std::uint8_t sum = 0;
        for (std::size_t i = 0; i < 101; ++i)
            sum = static_cast<std::uint8_t>(sum + frame[i]);
        if (f < 5)
            EXPECT_EQ(sum, frame[101]) << "frame " << f;
        else
            EXPECT_NE(sum, frame[101]) << "unused slot " << f; // erased memory
    }
    const std::uint8_t* last = block.data() + 4 * 102; // frame 25, the newest: 60 s before 12:00
    EXPECT_EQ(last[3], 25);                            // frame number, big-endian
    EXPECT_EQ(last[4], 11);                            // hour
    EXPECT_EQ(last[5], 59);                            // minute
    EXPECT_EQ(last[7], 7);                             // day
    EXPECT_EQ(last[8], 12);                            // month
    EXPECT_EQ(last[9], 26);                            // year - 2000
    const float flow = std::bit_cast<float>(std::uint32_t{last[13]} << 24 | last[12] << 16 |
                                            last[11] << 8 | last[10]); // little-endian single
    EXPECT_NEAR(flow, 12.5, 1.0);

    // Recording goes on with time; reading moves the frame number by the configured rule.
    m.advance(120 * 1000);
    EXPECT_EQ(m.reg(0x1506), 27);
    ASSERT_EQ(unlockAndWrite(m, 0x1502, {2}), ModbusException::None);
    ASSERT_EQ(m.readArchiveBlock(0, block), ModbusException::None);
    EXPECT_EQ(m.reg(0x150A), 2);
    EXPECT_EQ(m.readArchiveBlock(3, block), ModbusException::IllegalDataAddress);
}

TEST(Meter, EmptyArchiveStillHasItsFirstBlock) {
    Meter m(quietConfig());
    std::array<std::uint8_t, sim::kBlockSize> block{};
    EXPECT_EQ(m.readArchiveBlock(0, block), ModbusException::None);
    EXPECT_EQ(block[0], 0xFF);
    EXPECT_EQ(m.readArchiveBlock(1, block), ModbusException::IllegalDataAddress);
}

} // namespace
} // namespace flowcfg::test
