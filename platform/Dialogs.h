#pragma once
// Message boxes, Yes/No questions and file choosers. The Qt implementation shows real
// dialogs, the console one prints (cli), the scripted one records and answers from a script
// (tests).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace flowcfg {

enum class DialogIcon : std::uint8_t { Information, Warning, Exclamation, Error };
// The answer a question's box takes on Enter. Questions that lead to something that cannot
// be undone (the volume reset) default to No.
enum class DefaultAnswer : std::uint8_t { Yes, No };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Modal box with an OK button.
    virtual void message(const std::string& caption, const std::string& text, DialogIcon icon) = 0;
    // Modal Yes/No question; true for Yes.
    virtual bool askYesNo(const std::string& caption, const std::string& text, DialogIcon icon,
                          DefaultAnswer byDefault) = 0;
    // File choosers with the filter "Файл настроек прибора|*.prf|Все файлы|*.*"; nullopt when
    // cancelled. The save chooser applies the ".prf" rule itself.
    virtual std::optional<std::string> chooseOpenFile() = 0;
    virtual std::optional<std::string> chooseSaveFile() = 0;
    // A save chooser for a file of another kind, e.g. "Файлы CSV" and "csv": that kind or any
    // file; the suffix is added to a name chosen without one; nullopt when cancelled. Front
    // ends without choosers keep this default.
    virtual std::optional<std::string> chooseSaveFileOf(std::string_view kind,
                                                        std::string_view suffix) {
        (void)kind;
        (void)suffix;
        return std::nullopt;
    }
};

} // namespace flowcfg
