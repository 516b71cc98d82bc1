#pragma once
// The commands of flowcfg-cli, one add function per folder, each in its own file. A new group
// of commands adds its declaration here, its file to cli/CMakeLists.txt and one line to
// addAllCommands in main.cpp.

#include "cli/Session.h"
#include "config/PageRegistry.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <functional>
#include <string>

namespace flowcfg {

// ports, read, write, archive-block.
void addLinkCommands(CLI::App& app, Session& session);
// archive.
void addArchiveCommands(CLI::App& app, Session& session);
// measure.
void addMeasureCommands(CLI::App& app, Session& session);
// groups, get, set, do: over the page rows of the families.
void addConfigCommands(CLI::App& app, Session& session);
// The same over the given rows, which must outlive the run (tests use tables of their own).
void addPageCommands(CLI::App& app, Session& session, PageList pages);
// config read, config write, config diff: the whole configuration and profile files.
void addWholeConfigCommands(CLI::App& app, Session& session);
// scan: the meters on the line.
void addScanCommands(CLI::App& app, Session& session);
// Saves a report's HTML as the file (PDF unless it is named .html); empty, or why not.
using ReportSaver =
    std::function<std::string(const std::string& html, const std::filesystem::path& file)>;
// report: the commissioning report, saved by `save` (the program hands in the Qt writer).
void addReportCommands(CLI::App& app, Session& session, ReportSaver save);

} // namespace flowcfg
