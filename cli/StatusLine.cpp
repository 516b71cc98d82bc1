#include "cli/StatusLine.h"

#include <ostream>
#include <unistd.h>

namespace flowcfg {

StatusLine::StatusLine(std::ostream& err) : err_(err), terminal_(::isatty(STDERR_FILENO) == 1) {}

void StatusLine::show(std::string_view text) {
    if (!terminal_) {
        err_ << text << '\n';
        return;
    }
    err_ << '\r' << text << "\033[K" << std::flush;
    open_ = true;
}

void StatusLine::finish() {
    if (open_)
        err_ << '\n';
    open_ = false;
}

} // namespace flowcfg
