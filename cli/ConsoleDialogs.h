#pragma once
// Dialogs for the command line: boxes go to the error stream as "caption: text"; a question
// is answered Yes by --yes, asked on the terminal when the input is one, and answered No
// otherwise (a script never hangs on a question). There are no file choosers: commands take
// file names as arguments.

#include "platform/Dialogs.h"

#include <iosfwd>

namespace flowcfg {

class ConsoleDialogs final : public Dialogs {
public:
    ConsoleDialogs(std::ostream& err, std::istream& in, bool assumeYes, bool interactive)
        : err_(err), in_(in), assumeYes_(assumeYes), interactive_(interactive) {}

    void message(const std::string& caption, const std::string& text, DialogIcon icon) override;
    // A terminal answer other than yes is No, whatever the box's default.
    bool askYesNo(const std::string& caption, const std::string& text, DialogIcon icon,
                  DefaultAnswer byDefault) override;
    std::optional<std::string> chooseOpenFile() override { return std::nullopt; }
    std::optional<std::string> chooseSaveFile() override { return std::nullopt; }

    void setAssumeYes(bool yes) { assumeYes_ = yes; }

private:
    std::ostream& err_;
    std::istream& in_;
    bool assumeYes_;
    bool interactive_;
};

} // namespace flowcfg
