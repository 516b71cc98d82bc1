#pragma once
// Message boxes, Yes/No questions and the profile file choosers as Qt dialogs.

#include "platform/Dialogs.h"

#include <QPointer>
#include <QWidget>

namespace flowcfg {

class QtDialogs final : public Dialogs {
public:
    // The parent centres the boxes; it may be set once the main window exists.
    void setParent(QWidget* parent) { parent_ = parent; }

    void message(const std::string& caption, const std::string& text, DialogIcon icon) override;
    bool askYesNo(const std::string& caption, const std::string& text, DialogIcon icon,
                  DefaultAnswer byDefault) override;
    std::optional<std::string> chooseOpenFile() override;
    std::optional<std::string> chooseSaveFile() override;
    std::optional<std::string> chooseSaveFileOf(std::string_view kind,
                                                std::string_view suffix) override;

private:
    QPointer<QWidget> parent_;
};

// The filter of the profile choosers ("Файл настроек прибора|*.prf|Все файлы|*.*") in Qt's
// notation.
inline constexpr const char* kQtProfileFilter = "Файл настроек прибора (*.prf);;Все файлы (*.*)";

} // namespace flowcfg
