#pragma once
// The measurement page as plain text, one "caption: value" line per field, for the command
// line. The blanks around texts (the padding of the left-justified numbers, the leading
// blank of the state texts) are dropped.

#include "measure/MeasureScreen.h"

#include <string>
#include <string_view>

namespace flowcfg {

struct MeasureReportOptions {
    bool outputs = false; // include the current output and the two outputs
};

// A field's text without the blanks around it.
std::string_view trimBlanks(std::string_view text);

std::string measureReport(const MeasureScreen& screen, MeasureReportOptions options = {});

} // namespace flowcfg
