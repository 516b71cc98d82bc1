#pragma once
// Parses the command line, runs the chosen command and returns the exit code: 0 success, 1
// usage error or a port that cannot be opened, 2 exchange failure. --help works on every
// command.

#include "cli/Session.h"

#include <CLI/CLI.hpp>
#include <functional>

namespace flowcfg {

using AddCommands = std::function<void(CLI::App&, Session&)>;

int runCli(int argc, const char* const* argv, Session& session, const AddCommands& addCommands);

} // namespace flowcfg
