#pragma once
// The progress of a whole-configuration sequence on stderr, for the commands that read or
// write the whole configuration (config read, write, diff; report).

#include "cli/StatusLine.h"
#include "config/WholeConfiguration.h"

#include <ostream>
#include <string>

namespace flowcfg {

// The bar on a StatusLine: drawn on a terminal, one line per step otherwise.
class ProgressBar {
public:
    ProgressBar(std::ostream& err, std::string prefix) : line_(err), prefix_(std::move(prefix)) {}

    void show(const SequenceProgress& p) {
        if (!p.shown || p.steps == 0 || p.done == last_)
            return;
        last_ = p.done;
        std::string text = prefix_;
        if (line_.terminal()) {
            constexpr int kWidth = 17;
            const int filled = kWidth * p.done / p.steps;
            text += "[" + std::string(static_cast<std::size_t>(filled), '#') +
                    std::string(static_cast<std::size_t>(kWidth - filled), '.') + "] ";
        } else if (p.done == 0) {
            return; // the cleared bar says nothing yet
        }
        text += std::to_string(p.done) + "/" + std::to_string(p.steps) + " " +
                (p.done == p.steps ? "готово" : std::string(p.line));
        line_.show(text);
    }
    void finish() { line_.finish(); }

private:
    StatusLine line_;
    std::string prefix_;
    int last_ = -1;
};

} // namespace flowcfg
