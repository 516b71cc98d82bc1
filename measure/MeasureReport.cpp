#include "measure/MeasureReport.h"

#include "model/Encodings.h"

#include <initializer_list>
#include <string_view>

namespace flowcfg {

namespace {

// "caption: part part ...", empty parts skipped.
void line(std::string& out, std::string_view caption,
          std::initializer_list<std::string_view> parts) {
    out += caption;
    out += ':';
    for (const std::string_view part : parts) {
        const std::string_view p = trimBlanks(part);
        if (p.empty())
            continue;
        out += ' ';
        out += p;
    }
    out += '\n';
}

} // namespace

std::string measureReport(const MeasureScreen& s, MeasureReportOptions options) {
    namespace c = measure_caption;
    std::string out;
    line(out, c::flow, {s.flow.text, s.flowUnit.text});
    line(out, "Состояние", {s.statusLine.text});
    line(out, c::volumeSum, {s.volumeSum.text, s.volumeUnit.text});
    line(out, c::volumeForward, {s.volumeForward.text, s.volumeUnit.text});
    line(out, c::volumeReverse, {s.volumeReverse.text, s.volumeUnit.text});
    line(out, c::volumeModulus, {s.volumeModulus.text, s.volumeUnit.text});
    if (!trimBlanks(s.volumeState.text).empty())
        line(out, "Состояние объема", {s.volumeState.text});
    line(out, c::accumulationTime, {s.accumulationTime.text});
    line(out, c::runTime, {s.runTime.text});
    line(out, c::primaryFlow,
         {s.primaryFlow.text, s.primaryFlow.text.empty() ? "" : c::primaryFlowUnit,
          s.primaryHi.text, s.primaryLo.text});
    if (options.outputs) {
        line(out, c::current,
             {s.current.text, s.current.text.empty() ? "" : c::currentUnit, s.currentState.text});
        line(out, c::out1, {s.out1Mode.text, s.out1Frequency.text});
        line(out, c::out2, {s.out2Mode.text, s.out2Frequency.text});
    }
    line(out, c::cycles, {s.cycles.text});
    line(out, c::errors, {s.errors.text});
    return out;
}

} // namespace flowcfg
