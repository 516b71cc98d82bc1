#pragma once
// The measurement page as plain text, one "caption: value" line per field, for the command
// line. The blanks around texts (the padding of the left-justified numbers, the leading
// blank of the state texts) are dropped.

#include "measure/MeasureScreen.h"

#include <string>

namespace flowcfg {

struct MeasureReportOptions {
    bool outputs = false; // include the current output and the two outputs
};

std::string measureReport(const MeasureScreen& screen, MeasureReportOptions options = {});

} // namespace flowcfg
