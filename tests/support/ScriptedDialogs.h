#pragma once
// Dialogs for tests: every box and question is recorded; questions are answered from a
// script (Yes when the script is empty), file choosers return scripted names. onShown, when
// set, runs as each box appears (a test looks at the screen behind it).

#include "platform/Dialogs.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace flowcfg::test {

struct RecordedDialog {
    enum class Kind { Message, Question };
    Kind kind;
    std::string caption;
    std::string text;
    DialogIcon icon;
    DefaultAnswer byDefault = DefaultAnswer::Yes; // questions only
    bool operator==(const RecordedDialog&) const = default;
};

class ScriptedDialogs final : public Dialogs {
public:
    void message(const std::string& caption, const std::string& text, DialogIcon icon) override {
        record({RecordedDialog::Kind::Message, caption, text, icon});
    }
    bool askYesNo(const std::string& caption, const std::string& text, DialogIcon icon,
                  DefaultAnswer byDefault) override {
        record({RecordedDialog::Kind::Question, caption, text, icon, byDefault});
        if (answers.empty())
            return true;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    std::optional<std::string> chooseOpenFile() override { return pop(openFiles); }
    std::optional<std::string> chooseSaveFile() override { return pop(saveFiles); }
    std::optional<std::string> chooseSaveFileOf(std::string_view kind, std::string_view) override {
        savedKinds.emplace_back(kind);
        return pop(saveFiles);
    }

    // Texts of the recorded dialogs, in order.
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& d : shown)
            out.push_back(d.text);
        return out;
    }

    std::vector<RecordedDialog> shown;
    std::deque<bool> answers; // true = Yes
    std::deque<std::optional<std::string>> openFiles;
    std::deque<std::optional<std::string>> saveFiles;
    std::vector<std::string> savedKinds; // the kinds chooseSaveFileOf was asked for
    std::function<void(const RecordedDialog&)> onShown;

private:
    void record(RecordedDialog dialog) {
        shown.push_back(std::move(dialog));
        if (onShown)
            onShown(shown.back());
    }
    static std::optional<std::string> pop(std::deque<std::optional<std::string>>& q) {
        if (q.empty())
            return std::nullopt;
        auto v = q.front();
        q.pop_front();
        return v;
    }
};

} // namespace flowcfg::test
