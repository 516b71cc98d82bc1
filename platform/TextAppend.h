#pragma once
// Text files opened for appending, written and closed per record, so a crash loses at most
// the record being written.

#include <filesystem>
#include <string>
#include <string_view>

namespace flowcfg {

// Appends text to the file (created if missing). Returns false when the file cannot be
// opened or written; nothing else happens then.
bool appendText(const std::filesystem::path& file, std::string_view text);

// Whether text can be appended to the file now: it is opened for appending and closed again
// (a file that did not exist is removed again). Empty when it can, else the system's reason in
// Russian.
std::string appendProblem(const std::filesystem::path& file);

} // namespace flowcfg
