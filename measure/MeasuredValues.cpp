#include "measure/MeasuredValues.h"

#include "link/ModbusMaster.h"
#include "model/Encodings.h"

#include <array>

namespace flowcfg {

namespace {

float single(std::span<const std::uint16_t> w, std::size_t at, FloatByteOrder order) {
    return decodeFloat(w[at], w[at + 1], order).value;
}

double total(std::span<const std::uint16_t> w, std::size_t at) {
    return decodeDouble(w[at], w[at + 1], w[at + 2], w[at + 3]);
}

// One FC3 read into a scratch buffer; the group is decoded only from an answer that arrived.
template <typename Group>
ExchangeResult readGroup(ModbusMaster& master, Group& group, ExchangeResult& groupResult,
                         ExchangeResult& lastExchange) {
    std::array<std::uint16_t, Group::count> words{};
    const ExchangeResult result = master.readHoldingRegisters(Group::start, Group::count, words);
    if (result.transportOk())
        group = Group::decode(words);
    groupResult = result;
    lastExchange = result;
    return result;
}

} // namespace

MeasuredBlock MeasuredBlock::decode(std::span<const std::uint16_t, count> w) {
    MeasuredBlock b;
    const auto block = floatByteOrderFromCode((w[5] >> 8) & 0x3u);
    b.IZM_FLOW_V = single(w, 0x00, FloatByteOrder::Abcd);
    b.IZM_FLOW_V_OTN = w[0x02];
    b.IZM_FLOW_V_ERR_HI = w[0x03];
    b.IZM_FLOW_V_ERR_LO = w[0x04];
    b.FLOW_UNIT = w[0x05];
    b.IZM_FLOW_VEL = single(w, 0x06, block);
    b.IZM_FLOW_VEL_ERR = w[0x08];
    b.word9 = w[0x09];
    b.TEMP_PIPE = single(w, 0x0A, block);
    b.TEMP_PIPE_ERR = w[0x0C];
    b.TEMP_MODULE = single(w, 0x0D, block);
    b.TEMP_MODULE_ERR = w[0x0F];
    b.TEMP_PROC1 = single(w, 0x10, block);
    b.TEMP_PROC1_ERR = w[0x12];
    b.TEMP_PROC2 = single(w, 0x13, block);
    b.TEMP_PROC2_ERR = w[0x15];
    b.IZM_P_KPA = single(w, 0x16, block);
    b.IZM_P_KPA_ERR = w[0x18];
    b.VOL_SUM = total(w, 0x19);
    b.VOL_FWD = total(w, 0x1D);
    b.VOL_REV = total(w, 0x21);
    b.VOL_ABS = total(w, 0x25);
    b.VOL_ERR_HI = w[0x29];
    b.VOL_ERR_LO = w[0x2A];
    b.VOL_UNIT = w[0x2B];
    b.CONTACTS = w[0x2C];
    b.ACC_TIME = decodeU32(w[0x2D], w[0x2E]);
    b.RUN_TIME = decodeU32(w[0x2F], w[0x30]);
    return b;
}

OutputsBlock OutputsBlock::decode(std::span<const std::uint16_t, count> w) {
    OutputsBlock b;
    b.I_OUT = single(w, 0, FloatByteOrder::Abcd);
    b.F_OUT1 = single(w, 2, FloatByteOrder::Abcd);
    b.F_OUT2 = single(w, 4, FloatByteOrder::Abcd);
    b.I_OUT_STATE = w[6];
    b.OUT1_MODE = w[7];
    b.OUT1_FREQ_MODE = w[8];
    b.OUT2_MODE = w[9];
    b.OUT2_FREQ_MODE = w[10];
    return b;
}

PrimaryFlow PrimaryFlow::decode(std::span<const std::uint16_t, count> w) {
    PrimaryFlow p;
    p.IZM_FLOW_V = single(w, 0, FloatByteOrder::Abcd);
    p.IZM_FLOW_V_ERR_HI = w[2];
    p.IZM_FLOW_V_ERR_LO = w[3];
    return p;
}

ExchangeResult readMeasuredBlock(ModbusMaster& master, MeasuredValues& values) {
    return readGroup(master, values.measured, values.measuredResult, values.lastExchange);
}

ExchangeResult readOutputs(ModbusMaster& master, MeasuredValues& values) {
    return readGroup(master, values.outputs, values.outputsResult, values.lastExchange);
}

ExchangeResult readPrimaryFlow(ModbusMaster& master, MeasuredValues& values) {
    return readGroup(master, values.primary, values.primaryResult, values.lastExchange);
}

} // namespace flowcfg
