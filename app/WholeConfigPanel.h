#pragma once
// The whole configuration in the window: the four buttons of "ВСЕ НАСТРОЙКИ" ("ЗАГР.ИЗ
// ФАЙЛА", "СОХР.В ФАЙЛ", "ПРОЧ.ИЗ ПРИБ.", "ЗАП.В ПРИБОР") below its summary tabs, and the
// progress panel ("ИДЕТ ЧТЕНИЕ ДАННЫХ" / "ИДЕТ ЗАПИСЬ ДАННЫХ" with its bar) that the window
// places under its tabs, shown while a sequence runs and repainted after every bar step. The
// main menu reaches the same operations (the tab is hidden). While another operation
// exchanges, the buttons do nothing.
//
// The menu's comparison with a profile and the commissioning report run here too: both read
// the whole configuration into images of their own with this progress panel.

#include "config/WholeConfiguration.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <string_view>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

namespace flowcfg {

class ProfileCompareDialog;
class ScreenTree;

inline constexpr std::string_view kLoadFileCaption = "ЗАГР.ИЗ ФАЙЛА";
inline constexpr std::string_view kSaveFileCaption = "СОХР.В ФАЙЛ";
inline constexpr std::string_view kReadAllCaption = "ПРОЧ.ИЗ ПРИБ.";
inline constexpr std::string_view kWriteAllCaption = "ЗАП.В ПРИБОР";
inline constexpr std::string_view kLoadedFromFile = "Данные конфигурации прочитаны из файла.";
inline constexpr std::string_view kSavedToFile = "Данные конфигурации сохранены в файле.";
inline constexpr std::string_view kProfileMatches = "Настройки прибора совпадают с профилем.";

class WholeConfigPanel final : public QObject {
    Q_OBJECT
public:
    struct Actions {
        std::function<bool()> loadFile; // the menu's profile load; false when nothing loaded
        std::function<bool()> saveFile; // the menu's profile save; false when nothing saved
        std::function<void()> linkStatusChanged;
    };
    // The buttons go into the page "ВСЕ НАСТРОЙКИ" of the tree; the pages must outlive the
    // panel.
    WholeConfigPanel(ConfigPages& pages, ScreenTree& tree, Actions actions,
                     QObject* parent = nullptr);

    // The progress panel, for the window to place; hidden until a sequence runs.
    QFrame* progressPanel() const { return panel_; }
    QProgressBar* bar() const { return bar_; }
    QLabel* caption() const { return caption_; }
    // nullptr for another caption.
    QPushButton* button(std::string_view caption) const;

    void readAll();
    void writeAll();
    void loadFile();
    void saveFile();
    // "Сравнить с профилем…": chooses a profile, reads the meter and opens the table of
    // differences (a box instead when there are none).
    void compareWithProfile();
    // "Отчет о настройке…": asks for the note and the file, reads the meter, saves the report.
    void makeReport();
    // The open table of differences, nullptr when none is open.
    ProfileCompareDialog* compareDialog() const;

private:
    void paint(const SequenceProgress& p);
    bool busy() const;

    ConfigPages& pages_;
    WholeConfiguration whole_;
    Actions actions_;
    QFrame* panel_ = nullptr;
    QLabel* caption_ = nullptr;
    QProgressBar* bar_ = nullptr;
    std::vector<QPushButton*> buttons_;
    QPointer<ProfileCompareDialog> compareDialog_;
};

} // namespace flowcfg
