// flowcfg-cli: the core operations without a window.

#include "cli/Commands.h"
#include "cli/RunCli.h"
#include "report/ReportFile.h"

#include <iostream>

namespace {

void addAllCommands(CLI::App& app, flowcfg::Session& session) {
    flowcfg::addLinkCommands(app, session);
    flowcfg::addArchiveCommands(app, session);
    flowcfg::addMeasureCommands(app, session);
    flowcfg::addConfigCommands(app, session);
    flowcfg::addWholeConfigCommands(app, session);
    flowcfg::addScanCommands(app, session);
    flowcfg::addReportCommands(app, session, flowcfg::saveReport);
}

} // namespace

int main(int argc, char** argv) {
    flowcfg::Session session(std::cout, std::cerr, std::cin);
    return flowcfg::runCli(argc, argv, session, addAllCommands);
}
