#pragma once
// The three groups the measurement page reads, decoded: the main measured-value block (the
// MeasuredValues row of the register map), the outputs block (OutputsBlock) and the primary
// converter's flow (PrimaryFlow). Field names are the meter's. The reads go through the map
// into the image's raw words; a group's fields change only when its read succeeded at the
// transport level (a success after repeats included); every read stores its result as the
// last exchange status.

#include "link/ExchangeStatus.h"
#include "link/LinkContext.h"
#include "model/DeviceImage.h"

#include <cstdint>
#include <span>

namespace flowcfg {

// The raw words of the groups as the image keeps them.
using MeasuredWords = decltype(DeviceImage::Readings::measuredValues);
using OutputsWords = decltype(DeviceImage::Readings::outputsBlock);

struct MeasuredBlock {
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
    static MeasuredBlock decode(const MeasuredWords& words);
    bool operator==(const MeasuredBlock&) const = default;
};

struct OutputsBlock {
    float I_OUT = 0.0f;  // current output, mA
    float F_OUT1 = 0.0f; // output 1 frequency, Hz
    float F_OUT2 = 0.0f;
    std::uint16_t I_OUT_STATE = 0;
    std::uint16_t OUT1_MODE = 0;
    std::uint16_t OUT1_FREQ_MODE = 0;
    std::uint16_t OUT2_MODE = 0;
    std::uint16_t OUT2_FREQ_MODE = 0;

    static OutputsBlock decode(const OutputsWords& words);
    bool operator==(const OutputsBlock&) const = default;
};

struct PrimaryFlow {
    float IZM_FLOW_V = 0.0f; // m³/h
    std::uint16_t IZM_FLOW_V_ERR_HI = 0;
    std::uint16_t IZM_FLOW_V_ERR_LO = 0;

    // The first four words of the primary-transducer block.
    static PrimaryFlow decode(std::span<const std::uint16_t> words);
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
ExchangeResult readMeasuredBlock(LinkContext& ctx, DeviceImage& image, MeasuredValues& values);
ExchangeResult readOutputs(LinkContext& ctx, DeviceImage& image, MeasuredValues& values);
ExchangeResult readPrimaryFlow(LinkContext& ctx, DeviceImage& image, MeasuredValues& values);

} // namespace flowcfg
