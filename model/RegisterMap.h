#pragma once
// The meter's register groups: one static table of GroupDescriptor rows. A row names the
// start register, how many registers a read takes and a write sends, the description the
// write hands to the exchange log, and its fields (word offset, encoding, DeviceImage
// member). Generic code (model/GroupIo.h) reads a group into the image and writes it back.
//
// Parameter groups keep 32-bit values and singles high half first in the lower register;
// the external-sensor ADC codes are the exception, low half first (U32LowFirst).

#include "model/DeviceImage.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace flowcfg {

enum class Encoding : std::uint8_t {
    U16,         // one register, unsigned
    Code,        // one register holding an enumeration code
    Bits,        // one register used as 16 flags
    F32,         // IEEE single, high half first, no plausibility check
    U32,         // high half first
    U32LowFirst, // low half first
    RawWords,    // `width` registers kept as read, into consecutive uint16_t from the member
    Cmd,         // one register written with `constant`; never read back
};

// Registers a field occupies.
constexpr std::uint8_t fieldWidth(Encoding e, std::uint8_t rawWidth) {
    switch (e) {
    case Encoding::F32:
    case Encoding::U32:
    case Encoding::U32LowFirst:
        return 2;
    case Encoding::RawWords:
        return rawWidth;
    default:
        return 1;
    }
}

struct FieldDescriptor {
    std::uint8_t offset; // word of the group, 0 = start register
    Encoding encoding;
    ImageMember member;      // null for Cmd
    std::uint16_t extra = 0; // Cmd: the value written; RawWords: the number of registers
    std::uint8_t width() const { return fieldWidth(encoding, static_cast<std::uint8_t>(extra)); }
};

// Stable names of the groups, for pages, whole-configuration operations and the command line.
enum class GroupId : std::uint8_t {
    PrimaryFlow,         // 0x0000 x4  R   primary-transducer flow and status words
    PrimaryBlock0,       // 0x0000 x8  R
    MeasuredValues,      // 0x0100 x49 R
    DeviceStatus,        // 0x012C x1  R   write-protection word
    OutputsBlock,        // 0x0131 x11 R
    ExternalSensors,     // 0x0200 x14 R
    ExternalAdcCodes,    // 0x0207 x7  R
    Identity,            // 0x0400 x8  R
    FactoryNumber,       // 0x0401 x2  W
    Versions,            // 0x0403 x2  R
    ManufactureDate,     // 0x0405 x3  W
    Network,             // 0x0408 x3  W
    Blink,               // 0x0416 x1  W   cmd 1
    Restart,             // 0x0419 x1  W   cmd 1 (logged with the previous write's text)
    Clock,               // 0x0420 x6  RW
    PanelPassword,       // 0x04F0 x1  RW
    Unlock,              // 0x04FE x2  W   cmd 1, 1: the write guard lifts the locks
    Lock,                // 0x04FE x2  W   cmd 0, 0: the write guard sets them again
    UnlockForCommand,    // 0x04FE x2  W   cmd 1, 1 before a command: cleaning on/off, volume reset
    UnlockSpare,         // 0x04FE x2  W   cmd 1, 1 with the index's fourth text; nothing sends it
    PrimaryBlock500,     // 0x0500 x9  R
    PrimaryBlock510,     // 0x0510 x42 R
    ElectrodeCleaning,   // 0x0540 x8  R
    CleaningInterval,    // 0x0541 x1  W
    CleaningOnTime,      // 0x0543 x1  W
    CleaningOn,          // 0x0546 x1  W   cmd 2
    CleaningOff,         // 0x0546 x1  W   cmd 4
    ServiceCleaningOn,   // 0x07A3 x1  W   cmd 1
    ServiceCleaningOff,  // 0x07A3 x1  W   cmd 0
    MeasurementSettings, // 0x1000 x8  R
    Averages,            // 0x1001 x1  W
    FlowUnit,            // 0x1007 x1  W
    FlowRange,           // 0x1010 x5  R
    CutoffValues,        // 0x1019 x8  R
    Cutoff,              // 0x101D x4  RW
    CutoffSource,        // 0x1035 x2  R
    CutoffFlags,         // 0x1036 x1  RW
    DisplayedSumType,    // 0x1037 x1  RW
    SumUnit,             // 0x1038 x1  RW
    Emulation,           // 0x103B x12 RW
    Output1Type,         // 0x1047 x1  RW
    Output1DirectValue,  // 0x104A x1  RW
    Output1Frequency,    // 0x104D x9  RW
    Output1Pulse,        // 0x1056 x4  RW
    Output1PulseSumType, // 0x105D x1  RW
    Output2Type,         // 0x105E x1  RW
    Output2DirectValue,  // 0x1061 x1  RW
    Output2Frequency,    // 0x1064 x9  RW
    Output2Pulse,        // 0x106D x4  RW
    Output2PulseSumType, // 0x1074 x1  RW
    CurrentMode,         // 0x1075 x1  RW
    CurrentScale,        // 0x1079 x8  RW
    CurrentError,        // 0x1081 x5  RW
    CurrentDirect,       // 0x1086 x3  RW
    CurrentCalibration,  // 0x1089 x6  RW
    DecimalDigits,       // 0x108F x1  RW
    SensorType,          // 0x1091 x2  R
    NominalDiameter,     // 0x1096 x1  R
    LinearScale,         // 0x1098 x1  RW
    EmptyPipe,           // 0x1099 x1  RW
    ErrorEnables,        // 0x10A0 x58 R
    ErrEnOvld,           // 0x10AC x1  W   the eleven permission words with a grid row
    ErrEnUdld,           // 0x10AE
    ErrEnEmptyPipe,      // 0x10B6
    ErrEnNotReady,       // 0x10BE
    ErrEnService,        // 0x10C2
    ErrEnSens2Cut,       // 0x10C6
    ErrEnSens1Cut,       // 0x10C8
    ErrEnSignalStrong,   // 0x10CC
    ErrEnSignalWeak,     // 0x10CE
    ErrEnCutoff,         // 0x10D0
    ErrEnSensModbus,     // 0x10D6
    TechConnector,       // 0x1100 x1  R   "Prot sel"
    TechConnectorInternal,  // 0x1100 x2 W   cmd 0, 0
    TechConnectorModbus,    // 0x1100 x2  W   cmd 1, 0
    VolumeReset,            // 0x1102 x2  W   cmd 1, 1
    ArchiveSettings,        // 0x1500 5 R, 3 W
    FrameCounters,          // 0x1505 x4  R
    ReadFrameNumber,        // 0x1509 x2  RW
    FramesPerBlock,         // 0x150B x2  R
    TemperatureCalibration, // 0x1700 26 R, 10 W
    UserCoefficients,       // 0x1709 17 R, 15 W
    ExternalR0,             // 0x1718 x2  W
    PressureUnit,           // 0x171A x1  RW
    MedianFilter,           // 0x1800 x1  RW
    CurrentShift,           // 0x1900 x4  RW
    TemperatureAdjustment,  // 0x1904 x4 RW
    SignalAmplitude,        // 0x5008 x2  R
    AmplitudeCutoff,        // 0x5506 x2  RW
    CoefficientCount,       // 0x7DFF x1  R
    CoefficientBlock0,      // 0x7E00 x16 R  coefficient pairs 0..3
    CoefficientBlock1,      // 0x7E10 x16 R  4..7
    CoefficientBlock2,      // 0x7E20 x16 R  8..11
    CoefficientBlock3,      // 0x7E30 x16 R  12..15
    CoefficientBlock4,      // 0x7E40 x16 R  16..19
    Count_
};

inline constexpr std::size_t kGroupCount = static_cast<std::size_t>(GroupId::Count_);

struct GroupDescriptor {
    GroupId id;
    std::string_view name; // the identifier, for the command line and messages
    std::uint16_t start;
    std::uint8_t readCount;       // 0: not read
    std::uint8_t writeCount;      // 0: not written; words 0..writeCount-1 are sent
    std::string_view description; // exchange-log text of the write, exactly as sent
    std::span<const FieldDescriptor> fields;

    bool readable() const { return readCount != 0; }
    bool writable() const { return writeCount != 0; }
};

// All rows, in GroupId order.
std::span<const GroupDescriptor> registerMap();
const GroupDescriptor& group(GroupId id);
// The row with this start and read or write count; the first in table order on ties.
const GroupDescriptor* findGroup(std::uint16_t start, std::uint8_t count);
// The row of this name (GroupDescriptor::name), case-sensitive.
const GroupDescriptor* findGroup(std::string_view name);

// Whether a read of the group fills the member / a write sends it (a field within the
// registers the read takes / the write sends).
bool readFills(const GroupDescriptor& g, ImageMember member);
bool writeSends(const GroupDescriptor& g, ImageMember member);

} // namespace flowcfg
