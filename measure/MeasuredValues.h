#pragma once
// The three groups the measurement page reads: the main measured-value block (49 registers
// at 0x0100), the outputs block (11 at 0x0131) and the primary converter's flow (4 at
// 0x0000). Field names are the meter's. A group's fields change only when its read
// succeeded at the transport level (a success after repeats included); every read stores
// its result as the last exchange status.

#include "link/ExchangeStatus.h"

#include <cstdint>
#include <span>

namespace flowcfg {

class ModbusMaster;

struct MeasuredBlock {
    static constexpr std::uint16_t start = 0x0100;
    static constexpr std::uint8_t count = 49;

    float IZM_FLOW_V = 0.0f;             // volume flow in the FLOW_UNIT unit; always code 0
    std::uint16_t IZM_FLOW_V_OTN = 0;    // relative flow, percent = value * 100 / 65535
    std::uint16_t IZM_FLOW_V_ERR_HI = 0; // flow status flags
    std::uint16_t IZM_FLOW_V_ERR_LO = 0; // flow error flags
    std::uint16_t FLOW_UNIT = 0;         // low byte unit code, bits 8..9 block byte order
    float IZM_FLOW_VEL = 0.0f;           // velocity, m/s
    std::uint16_t IZM_FLOW_VEL_ERR = 0;
    std::uint16_t word9 = 0; // 0x0109: read, not used
    float TEMP_PIPE = 0.0f;  // °C
    std::uint16_t TEMP_PIPE_ERR = 0;
    float TEMP_MODULE = 0.0f;
    std::uint16_t TEMP_MODULE_ERR = 0;
    float TEMP_PROC1 = 0.0f;
    std::uint16_t TEMP_PROC1_ERR = 0;
    float TEMP_PROC2 = 0.0f;
    std::uint16_t TEMP_PROC2_ERR = 0;
    float IZM_P_KPA = 0.0f; // kPa
    std::uint16_t IZM_P_KPA_ERR = 0;
    double VOL_SUM = 0.0, VOL_FWD = 0.0, VOL_REV = 0.0, VOL_ABS = 0.0;
    std::uint16_t VOL_ERR_HI = 0; // only tested for zero
    std::uint16_t VOL_ERR_LO = 0; // volume error flags (bits as IZM_FLOW_V_ERR_LO)
    std::uint16_t VOL_UNIT = 0;   // low byte unit code
    std::uint16_t CONTACTS = 0;   // keys, discrete outputs, write protection (bit 15)
    std::uint32_t ACC_TIME = 0;   // accumulation time, s
    std::uint32_t RUN_TIME = 0;   // operating time

    // Decodes the 49 words of one answer. The byte order of the seven singles after the
    // flow is bits 8..9 of FLOW_UNIT in the same answer.
    static MeasuredBlock decode(std::span<const std::uint16_t, count> words);
    bool operator==(const MeasuredBlock&) const = default;
};

struct OutputsBlock {
    static constexpr std::uint16_t start = 0x0131;
    static constexpr std::uint8_t count = 11;

    float I_OUT = 0.0f;  // current output, mA
    float F_OUT1 = 0.0f; // output 1 frequency, Hz
    float F_OUT2 = 0.0f;
    std::uint16_t I_OUT_STATE = 0;
    std::uint16_t OUT1_MODE = 0;
    std::uint16_t OUT1_FREQ_MODE = 0;
    std::uint16_t OUT2_MODE = 0;
    std::uint16_t OUT2_FREQ_MODE = 0;

    static OutputsBlock decode(std::span<const std::uint16_t, count> words);
    bool operator==(const OutputsBlock&) const = default;
};

struct PrimaryFlow {
    static constexpr std::uint16_t start = 0x0000;
    static constexpr std::uint8_t count = 4;

    float IZM_FLOW_V = 0.0f; // m³/h
    std::uint16_t IZM_FLOW_V_ERR_HI = 0;
    std::uint16_t IZM_FLOW_V_ERR_LO = 0;

    static PrimaryFlow decode(std::span<const std::uint16_t, count> words);
    bool operator==(const PrimaryFlow&) const = default;
};

// The groups as last read, with the result of each read.
struct MeasuredValues {
    MeasuredBlock measured;
    OutputsBlock outputs;
    PrimaryFlow primary;

    ExchangeResult measuredResult;
    ExchangeResult outputsResult;
    ExchangeResult primaryResult;
    // The result of the last of the three reads, whichever it was.
    ExchangeResult lastExchange;
};

// One FC3 request each. The group is replaced only when result.transportOk().
ExchangeResult readMeasuredBlock(ModbusMaster& master, MeasuredValues& values);
ExchangeResult readOutputs(ModbusMaster& master, MeasuredValues& values);
ExchangeResult readPrimaryFlow(ModbusMaster& master, MeasuredValues& values);

} // namespace flowcfg
