#include "measure/MeasureDisplay.h"

#include "measure/StatusTexts.h"
#include "model/Encodings.h"

#include <optional>
#include <string>
#include <string_view>

namespace flowcfg {

namespace {

void setText(ScreenField& field, std::optional<std::string_view> text) {
    if (text)
        field.text = std::string(*text);
}

void paint(ScreenField& field, std::string text, ScreenColour colour) {
    field.text = std::move(text);
    field.colour = colour;
}

// The Latin c starts the suffixes of the two times, as the meter's panel writes them.
std::string runTimeText(std::uint32_t runTime) {
    return formatUnsigned(runTime) + (runTime == 1 ? " cутки" : " cуток");
}

void showFlow(MeasureScreen& s, const MeasuredBlock& b) {
    setText(s.flowUnit, flowUnitText(b.FLOW_UNIT));
    const std::string flow = formatFixed4(b.IZM_FLOW_V);
    if (!flowIsNormal(b.IZM_FLOW_V_ERR_HI, b.IZM_FLOW_V_ERR_LO)) {
        paint(s.flow, flow, ScreenColour::Yellow);
        paint(s.statusLine, flowStateText(b.IZM_FLOW_V_ERR_HI, b.IZM_FLOW_V_ERR_LO),
              ScreenColour::Yellow);
    } else if (flowCutOff(b.IZM_FLOW_V_ERR_HI)) {
        paint(s.flow, flow, ScreenColour::LightGreen);
        paint(s.statusLine, std::string(cutOffMeasurementText), ScreenColour::LightGreen);
    } else {
        paint(s.flow, flow, ScreenColour::White);
        paint(s.statusLine, std::string(normalMeasurementText), ScreenColour::White);
    }
}

void showVolumes(MeasureScreen& s, const MeasuredBlock& b) {
    setText(s.volumeUnit, volumeUnitText(b.VOL_UNIT));
    const bool good = b.VOL_ERR_LO == 0 && b.VOL_ERR_HI == 0;
    const ScreenColour colour = good ? ScreenColour::White : ScreenColour::Yellow;
    paint(s.volumeSum, formatTotal(b.VOL_SUM), colour);
    paint(s.volumeForward, formatTotal(b.VOL_FWD), colour);
    paint(s.volumeReverse, formatTotal(b.VOL_REV), colour);
    paint(s.volumeModulus, formatTotal(b.VOL_ABS), colour);
    if (good) {
        paint(s.accumulationTime, formatUnsigned(b.ACC_TIME) + " c", colour);
        paint(s.runTime, runTimeText(b.RUN_TIME), colour);
        s.volumeState.text.clear();
        return;
    }
    // The times keep their last good values, marked as doubtful.
    s.accumulationTime.colour = colour;
    s.runTime.colour = colour;
    s.volumeState.text = volumeStateText(b.VOL_ERR_LO);
    if (volumeNotMeasured(b.VOL_ERR_LO))
        s.volumeSum.colour = ScreenColour::ButtonFace;
}

void showFrequency(ScreenField& field, std::uint16_t mode, float frequency) {
    field.text = outputIsFrequency(mode) ? formatFixed2(frequency) : std::string();
}

} // namespace

void showMeasured(MeasureScreen& screen, const MeasuredBlock& block) {
    showFlow(screen, block);
    showVolumes(screen, block);
}

void showPrimaryFlow(MeasureScreen& screen, const PrimaryFlow& primary, bool readClean) {
    if (!readClean)
        return;
    screen.primaryFlow.text = formatFixed4(primary.IZM_FLOW_V);
    screen.primaryHi.text = "HI " + formatHex16(primary.IZM_FLOW_V_ERR_HI);
    screen.primaryLo.text = "LO " + formatHex16(primary.IZM_FLOW_V_ERR_LO);
}

void showOutputs(MeasureScreen& screen, const OutputsBlock& o) {
    screen.current.text = formatFixed2(o.I_OUT);
    showFrequency(screen.out1Frequency, o.OUT1_MODE, o.F_OUT1);
    showFrequency(screen.out2Frequency, o.OUT2_MODE, o.F_OUT2);
    setText(screen.currentState, currentStateText(o.I_OUT_STATE));
    setText(screen.out1Mode, outputModeText(o.OUT1_MODE, o.OUT1_FREQ_MODE));
    setText(screen.out2Mode, outputModeText(o.OUT2_MODE, o.OUT2_FREQ_MODE));
}

void showCounters(MeasureScreen& screen, const PollCounters& counters) {
    screen.cycles.text = formatUnsigned(counters.cycles);
    screen.errors.text = formatUnsigned(counters.exchangeErrors);
}

void showExchangeError(MeasureScreen& screen) {
    paint(screen.statusLine, std::string(exchangeErrorText), ScreenColour::Yellow);
}

} // namespace flowcfg
