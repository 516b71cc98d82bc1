#include "measure/MeasuredValues.h"

#include "model/Encodings.h"
#include "model/GroupIo.h"

namespace flowcfg {

namespace {

float single(std::span<const std::uint16_t> w, std::size_t at, FloatByteOrder order) {
    return decodeFloat(w[at], w[at + 1], order).value;
}

double total(std::span<const std::uint16_t> w, std::size_t at) {
    return decodeDouble(w[at], w[at + 1], w[at + 2], w[at + 3]);
}

// One FC3 read of the map row into the image; the group is decoded only from an answer that
// arrived (the image's words change only then too).
template <typename Group, typename Words>
ExchangeResult readDecoded(LinkContext& ctx, DeviceImage& image, GroupId id, const Words& words,
                           Group& group, ExchangeResult& groupResult,
                           ExchangeResult& lastExchange) {
    const ExchangeResult result = readGroup(ctx, image, id, Acceptance::AfterRepeats);
    if (result.transportOk())
        group = Group::decode(words);
    groupResult = result;
    lastExchange = result;
    return result;
}

} // namespace

MeasuredBlock MeasuredBlock::decode(const MeasuredWords& w) {
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

OutputsBlock OutputsBlock::decode(const OutputsWords& w) {
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

PrimaryFlow PrimaryFlow::decode(std::span<const std::uint16_t> w) {
    PrimaryFlow p;
    p.IZM_FLOW_V = single(w, 0, FloatByteOrder::Abcd);
    p.IZM_FLOW_V_ERR_HI = w[2];
    p.IZM_FLOW_V_ERR_LO = w[3];
    return p;
}

ExchangeResult readMeasuredBlock(LinkContext& ctx, DeviceImage& image, MeasuredValues& values) {
    return readDecoded(ctx, image, GroupId::MeasuredValues, image.readings.measuredValues,
                       values.measured, values.measuredResult, values.lastExchange);
}

ExchangeResult readOutputs(LinkContext& ctx, DeviceImage& image, MeasuredValues& values) {
    return readDecoded(ctx, image, GroupId::OutputsBlock, image.readings.outputsBlock,
                       values.outputs, values.outputsResult, values.lastExchange);
}

ExchangeResult readPrimaryFlow(LinkContext& ctx, DeviceImage& image, MeasuredValues& values) {
    return readDecoded(ctx, image, GroupId::PrimaryFlow,
                       std::span<const std::uint16_t>(image.readings.primaryBlock0), values.primary,
                       values.primaryResult, values.lastExchange);
}

} // namespace flowcfg
