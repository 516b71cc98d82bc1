#pragma once
// The simulated flowmeter behind the Modbus registers: 65536 holding registers, of which the
// groups listed in RegisterAreas.h exist; configuration held in registers and acted upon;
// measured values that move with time; totals that integrate the flow; an archive that
// records a frame every interval; the parameter locks, commands and network settings.
//
// The meter never reads a clock of its own: it is told the time (setTimeMs / advance) in
// milliseconds of a monotonic clock, so tests are deterministic. Moving the time forward
// runs the dynamics; the dynamic registers are rewritten each time the time moves and after
// each write.
//
// Registers that follow the state (the others hold what was last written):
//   0x0000..0x0007  flow in m3/h (single, high word first), its status words, velocity
//   0x0100..0x0130  measured values block; the seven singles after the flow use the byte
//                   order of bits 8..9 of 0x0105
//   0x012C          bit 15 = write protection; bit 0 / bit 1 = discrete output 1 / 2 active
//   0x0131..0x013B  current output, output frequencies and modes
//   0x0200..0x020D  external temperature and pressure sensors: the sensor's ADC code as the
//                   hardware gives it, turned into resistance by the calibration points
//                   0x1701..0x1708, into temperature by R0 and the characteristic (platinum
//                   385 or the user's A, B), then shift and adjustment 0x1904..0x1907
//   0x0420..0x0425  the meter's clock, running from the time last set
//   0x0546          2 while the electrodes are being cleaned, else 4
//   0x1505..0x150C  archive frame counters, frames per block
//   0x5008..0x5009  vortex signal amplitude

#include "sim/CivilTime.h"
#include "sim/MeterArchive.h"
#include "sim/RtuFrame.h"

#include <cstdint>
#include <span>
#include <vector>

namespace flowcfg::sim {

struct MeterConfig {
    std::uint8_t address = 1;
    std::uint16_t speedCode = 7;            // 3..10 = 1200..115200 baud
    std::uint16_t parity = 0;               // 0 none, 1 odd, 2 even
    std::uint32_t archiveFrames = 1000;     // frames already recorded at start
    std::uint16_t framesPerBlock = 10;      // 1..10
    std::uint16_t archiveIntervalSec = 1;   // 0 stops recording
    std::uint16_t floatOrder = 0;           // byte order of the measured block's singles, 0..3
    bool writeProtected = false;            // bit 15 of 0x012C
    std::uint16_t flowStatusHi = 0;         // bits always set in 0x0103
    std::uint16_t flowStatusLo = 0;         // bits always set in 0x0104
    CivilTime clock{2026, 12, 7, 12, 0, 0}; // the meter's clock at time 0
    // The meter's place among several on one line (0 = the first): it gives each meter its own
    // factory number (260417 + position) and its own values of the registers no profile key
    // carries (0x1700 = 0x0C05 + position; coefficient C at 0x170E = -4.183e-12 x (1 + position
    // / 10)).
    std::uint16_t position = 0;
};

// Register numbers the meter acts on.
namespace reg {
inline constexpr std::uint16_t kPrimaryFlow = 0x0000;
inline constexpr std::uint16_t kMeasured = 0x0100;
inline constexpr std::uint16_t kFlowStatusHi = 0x0103;
inline constexpr std::uint16_t kFlowStatusLo = 0x0104;
inline constexpr std::uint16_t kFlowUnit = 0x0105;
inline constexpr std::uint16_t kContacts = 0x012C;
inline constexpr std::uint16_t kOutputs = 0x0131;
inline constexpr std::uint16_t kNetAddress = 0x0408;
inline constexpr std::uint16_t kNetSpeed = 0x0409;
inline constexpr std::uint16_t kNetParity = 0x040A;
inline constexpr std::uint16_t kBlink = 0x0416;
inline constexpr std::uint16_t kRestart = 0x0419;
inline constexpr std::uint16_t kClock = 0x0420;
inline constexpr std::uint16_t kUserLock = 0x04FE;
inline constexpr std::uint16_t kClLock = 0x04FF;
inline constexpr std::uint16_t kIdentity = 0x0400;
inline constexpr std::uint16_t kManufactureDay = 0x0405;
inline constexpr std::uint16_t kManufactureMonth = 0x0406;
inline constexpr std::uint16_t kPanelPassword = 0x04F0;
inline constexpr std::uint16_t kCleaningCommand = 0x0546;
inline constexpr std::uint16_t kServiceCleaning = 0x07A3;
inline constexpr std::uint16_t kFlowUnitSetting = 0x1007;
inline constexpr std::uint16_t kRangeMin = 0x1010;
inline constexpr std::uint16_t kRangeMax = 0x1012;
inline constexpr std::uint16_t kCutOff = 0x101D;
inline constexpr std::uint16_t kCutEnable = 0x1036;
inline constexpr std::uint16_t kSumUnit = 0x1038;
inline constexpr std::uint16_t kEmulation = 0x103B;
inline constexpr std::uint16_t kEmulationMode = 0x103B;
inline constexpr std::uint16_t kEmulationFixed = 0x103C;
inline constexpr std::uint16_t kEmulationMin = 0x103E;
inline constexpr std::uint16_t kEmulationMax = 0x1040;
inline constexpr std::uint16_t kEmulationHalfPeriod = 0x1044;
inline constexpr std::uint16_t kEmulationErrLo = 0x1045;
inline constexpr std::uint16_t kEmulationErrHi = 0x1046;
inline constexpr std::uint16_t kEmptyPipe = 0x1099;
inline constexpr std::uint16_t kErrorEnables = 0x10A0;
inline constexpr std::uint16_t kConnectorProtocol = 0x1100;
inline constexpr std::uint16_t kVolumeReset = 0x1102;
inline constexpr std::uint16_t kArchiveInterval = 0x1500;
inline constexpr std::uint16_t kFrameNumberAfterRead = 0x1502;
inline constexpr std::uint16_t kFrameCounters = 0x1505;
inline constexpr std::uint16_t kReadFrameNumber = 0x1509;
inline constexpr std::uint16_t kFramesPerBlock = 0x150B;
inline constexpr std::uint16_t kTemperatureCalibration = 0x1700;
inline constexpr std::uint16_t kCharacteristic = 0x1709;
inline constexpr std::uint16_t kCoefficientC = 0x170E;
inline constexpr std::uint16_t kExternalR0 = 0x1718;
inline constexpr std::uint16_t kPressureUnit = 0x171A;
inline constexpr std::uint16_t kTemperatureShift = 0x1904;
inline constexpr std::uint16_t kTemperatureAdjustment = 0x1906;
inline constexpr std::uint16_t kSignalAmplitude = 0x5008;
inline constexpr std::uint16_t kAmplitudeCutOff = 0x5506;
inline constexpr std::uint16_t kCoefficientCount = 0x7DFF;
inline constexpr std::uint16_t kCoefficients = 0x7E00;
} // namespace reg

// The line speeds the meter has, by their codes 3..10 (1200..115200 baud): 0 for another
// code, and the code of a speed (0 for another speed).
std::uint32_t baudOfSpeedCode(std::uint16_t code);
std::uint16_t speedCodeOf(std::uint32_t baud);

// Flow in normal operation (emulation mode 0), m3/h, with a slow wobble around it.
inline constexpr double kNormalFlowM3h = 12.5;

// Flow status word bits the meter sets itself.
inline constexpr std::uint16_t kBelowRange = 0x0001;
inline constexpr std::uint16_t kAboveRange = 0x0002;
inline constexpr std::uint16_t kCutOffActive = 0x0004;
inline constexpr std::uint16_t kCleaningActive = 0x4000;

class Meter {
public:
    explicit Meter(const MeterConfig& config = {});

    // --- time ---------------------------------------------------------------------------
    // Moves the meter's time to `ms` (an earlier time is ignored: the meter's time only moves
    // forward) and runs the dynamics up to it.
    void setTimeMs(std::uint64_t ms);
    void advance(std::uint64_t ms) { setTimeMs(timeMs_ + ms); }
    std::uint64_t timeMs() const { return timeMs_; }
    void setClock(const CivilTime& now);
    CivilTime clock() const;

    // --- Modbus operations (the slave's side) --------------------------------------------
    ModbusException read(std::uint16_t start, std::uint16_t count,
                         std::vector<std::uint16_t>& out) const;
    // All or nothing: checks addresses, locks and values first, then stores and acts.
    ModbusException write(std::uint16_t start, std::span<const std::uint16_t> values);
    ModbusException readArchiveBlock(std::uint32_t block, std::span<std::uint8_t, kBlockSize> out);

    // The line the meter answers on. A network write takes effect when the slave calls
    // activateLine() after answering the request that carried it.
    std::uint8_t address() const { return address_; }
    std::uint16_t speedCode() const { return speedCode_; }
    std::uint16_t parity() const { return parity_; }
    std::uint32_t baud() const;
    bool lineChangePending() const { return linePending_; }
    void activateLine();

    // --- direct access for tests and the program ------------------------------------------
    std::uint16_t reg(std::uint16_t address) const { return regs_[address]; }
    std::vector<std::uint16_t> regs(std::uint16_t start, std::uint16_t count) const;
    // Stores without checks or actions; a dynamic register is rewritten when time moves.
    // Call refresh() to bring the dynamic registers in line with settings stored this way.
    void setReg(std::uint16_t address, std::uint16_t value) { regs_[address] = value; }
    void refresh();
    void setFloat(std::uint16_t address, float value); // byte order 0
    float floatAt(std::uint16_t address) const;        // byte order 0

    unsigned blinks() const { return blinks_; }
    unsigned restarts() const { return restarts_; }
    bool unlocked() const;
    // Whether a write of the value to the register passes the meter's value limits.
    bool valueAccepted(std::uint16_t address, std::uint16_t value) const;
    bool cleaning() const { return cleaning_; }
    // Flow after cut-off, m3/h, and the totals in m3 (forward and reverse, both positive).
    double flowM3h() const { return flow_; }
    double volumeForward() const { return fwd_; }
    double volumeReverse() const { return rev_; }

    void setFloatOrder(std::uint16_t order);
    std::uint16_t floatOrder() const { return floatOrder_; }
    void setWriteProtected(bool on);
    void forceFlowStatus(std::uint16_t hi, std::uint16_t lo);

    MeterArchive& archive() { return archive_; }
    const MeterArchive& archive() const { return archive_; }

private:
    void loadDefaults(const MeterConfig& config);
    void fillHistory(std::uint32_t frames);
    bool emulating() const;              // emulation mode 1 or 2
    double sourceFlow(double tMs) const; // before cut-off, m3/h
    bool cutOff(double q) const;
    void step(std::uint64_t toMs);
    void refreshMeasured();
    void refreshOutputs();
    void refreshSensors();
    ArchiveRecord currentRecord() const;
    std::uint16_t flowStatusHi() const;
    std::uint16_t flowStatusLo() const;
    float currentOutputMa() const;
    float frequencyOut(int output) const;
    bool discreteActive(int output) const;
    void putFloat(std::uint16_t address, float value, unsigned order = 0);
    void putDouble(std::uint16_t address, double value);
    void putU32(std::uint16_t address, std::uint32_t value);
    void act(std::uint16_t address, std::uint16_t value);

    std::vector<std::uint16_t> regs_;
    MeterArchive archive_;
    std::uint64_t timeMs_ = 0;
    std::int64_t clockBaseSec_ = 0;
    std::uint64_t clockBaseMs_ = 0;
    std::uint8_t address_;
    std::uint16_t speedCode_, parity_;
    bool linePending_ = false;
    bool restartPending_ = false;
    std::uint16_t floatOrder_ = 0;
    bool writeProtected_ = false;
    std::uint16_t forcedHi_ = 0, forcedLo_ = 0;
    unsigned blinks_ = 0, restarts_ = 0;
    bool cleaning_ = false;
    double flow_ = 0; // after cut-off, m3/h
    double fwd_ = 0, rev_ = 0;
    std::uint64_t accMs_ = 0;
    std::uint64_t swingStartMs_ = 0;
    std::uint64_t nextFrameMs_ = 0;
    double frameMin_ = 0, frameMax_ = 0, frameSum_ = 0;
    std::uint64_t frameSamples_ = 0;
};

} // namespace flowcfg::sim
