#pragma once
// The report saved as a file: HTML as it is when the name ends in ".html" or ".htm", else a PDF
// (A4) of the same document printed by Qt's own writer. Written to a temporary file beside the
// target and renamed over it, so a failed save leaves an older file as it was. Works without
// a window: when the process has no Qt application (the command line), one is made for the
// call on the offscreen platform.

#include <filesystem>
#include <string>

namespace flowcfg {

// Empty when saved; otherwise why not, in Russian.
std::string saveReport(const std::string& html, const std::filesystem::path& file);

// Whether the file gets HTML rather than PDF.
bool isHtmlName(const std::filesystem::path& file);

} // namespace flowcfg
