#pragma once
// The Qt view of one configuration page, generated from the page's table: a frame per
// section with its controls, its "ПРОЧИТАТЬ" / "ЗАПИСАТЬ" buttons and then its command
// buttons in the order of the row, a frame inside it per box caption. Numbers sit in fixed-width
// fields; the rows of a bit grid line their cells up under the column captions. The view holds no
// values of its own: collect() copies what the user typed and chose into the page model, render()
// paints the model (texts, selections, indicator colours, twins, visibility).

#include "config/PageModel.h"
#include "config/PageRegistry.h"

#include <QWidget>
#include <functional>
#include <vector>

class QBoxLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace flowcfg {

class PageView final : public QWidget {
    Q_OBJECT
public:
    // What the view's buttons and indicators ask for; the owner runs the operations.
    struct Actions {
        std::function<void(std::uint8_t section)> read;
        std::function<void(std::uint8_t section)> write;
        // An indicator (column 0) or the cell of a bit grid row in `column`.
        std::function<void(std::string_view id, std::size_t column)> click;
        std::function<void(CommandRef command)> command;
    };

    PageView(PageModel& model, Actions actions, QWidget* parent = nullptr);

    void collect();
    void render();

    std::string_view path() const { return model_.definition().path; }
    // The widget of a control: QLineEdit, QComboBox, QPushButton (indicator), QLabel or
    // QTableWidget.
    QWidget* control(std::string_view id) const;
    // The cell of a bit grid row in `column`, or nullptr.
    QPushButton* cell(std::string_view id, std::size_t column) const;
    // The read-only twin beside a control (the indicator's "вкл" / "выкл"), or nullptr.
    QLabel* twin(std::string_view id) const;
    // nullptr where the section has no such button.
    QPushButton* readButton(std::uint8_t section) const;
    QPushButton* writeButton(std::uint8_t section) const;
    // The button of the command of this name (CommandButton::name), or nullptr.
    QPushButton* commandButton(std::string_view name) const;

private:
    struct Row {
        QWidget* widget = nullptr;
        QLabel* caption = nullptr;
        QLabel* twin = nullptr;
        QLabel* unit = nullptr;
        std::vector<QPushButton*> cells; // BitRow; widget is the first
    };
    void build();
    Row makeRow(std::size_t index);
    QPushButton* makePanel(std::string_view id, std::size_t column);
    void addButtons(QWidget* frame, QBoxLayout* layout, std::uint8_t section);

    PageModel& model_;
    Actions actions_;
    std::vector<Row> rows_;
    std::vector<QWidget*> sectionFrames_;
    std::vector<QPushButton*> readButtons_, writeButtons_, commandButtons_;
};

// Makes a line edit accept only hexadecimal digits, upper-cased as they are typed.
void installHexInputFilter(QLineEdit* edit);

} // namespace flowcfg
