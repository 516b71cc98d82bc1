#include "cli/ConsoleDialogs.h"

#include <istream>
#include <ostream>
#include <string>

namespace flowcfg {

void ConsoleDialogs::message(const std::string& caption, const std::string& text, DialogIcon) {
    err_ << caption << ": " << text << '\n';
}

bool ConsoleDialogs::askYesNo(const std::string& caption, const std::string& text, DialogIcon,
                              DefaultAnswer) {
    err_ << caption << ": " << text;
    if (assumeYes_) {
        err_ << " [да: --yes]\n";
        return true;
    }
    if (!interactive_) {
        err_ << " [нет: ответить да можно ключом --yes]\n";
        return false;
    }
    err_ << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(in_, answer))
        return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "да" || answer == "Д" ||
           answer == "д";
}

} // namespace flowcfg
