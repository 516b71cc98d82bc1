#pragma once
// The state of a configuration page's controls. The page is its table row
// (config/PageTable.h): each control bound to a DeviceImage member with its kind (float,
// integer, hexadecimal, list with its code rule, indicator bit, read-only value, label with its
// rule; numbers in their format) and the section whose buttons show and take it. PageModel holds
// the state of every control (text, selected item, colour, twin text, visibility); show copies the
// image into it, take copies it back with the parsing rules, and the Qt view only renders the
// states and copies widget edits back.
//
// A show also remembers, per edit field and list, what it put there and the exact value it
// came from. A take that finds the control as shown stores that value again instead of
// reading the text back: a float shown with four decimals keeps all its bits, and a list
// code that no item stands for (the list kept its previous item) goes back as it was. Only
// what the user changed goes through the parsing rules.
//
//   PageModel page(*findPage("НАСТРОЙКИ РАБОТЫ/ИЗМЕРЕНИЕ"));
//   page.show(image, 0);                        // after a read
//   page.state("izm_flow_v_unit").index = 2;    // the view copies a selection
//   if (page.take(image, dialogs, 0) == TakeResult::ParseFailed) ...

#include "config/PageTable.h"
#include "model/DeviceImage.h"
#include "platform/Dialogs.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace flowcfg {

// The colour of an indicator: pure green (0, 255, 0) when on, the system's button face when
// off.
enum class IndicatorColour : std::uint8_t { ButtonFace, Green };

inline constexpr std::string_view kOnText = "вкл";
inline constexpr std::string_view kOffText = "выкл";

// A member's value held apart from the image.
using MemberValue = std::variant<std::uint16_t, std::uint32_t, float, std::string>;

// What the last show put into an edit field or a list, and the value it showed.
struct ShownValue {
    std::string text;      // edit fields
    std::size_t index = 0; // lists: the item selected after the show
    MemberValue value;
};

struct ControlState {
    std::string text;      // edit fields, values, labels
    std::size_t index = 0; // List: the selected item; items.size() is otherItem
    // List with showsAnyCode: the item after the list's own that shows a code no item stands
    // for ("" when there is none), and that code.
    std::string otherItem;
    std::uint16_t otherCode = 0;
    bool on = false; // Indicator
    IndicatorColour colour = IndicatorColour::ButtonFace;
    std::string twin;        // the read-only twin's text; Indicator: "вкл" / "выкл"
    std::uint16_t cells = 0; // BitRow: the bits of the lit cells (litCells)
    bool visible = true;
    // Table: (rows + 1) x (columns + 1) texts, row by row; row 0 holds the headers (over an
    // empty corner), column 0 the row numbers.
    std::vector<std::string> tableCells;
    // Edit fields and lists after a show, until the user edits or chooses.
    std::optional<ShownValue> shown;
};

enum class TakeResult : std::uint8_t { Taken = 0, ParseFailed = 1 };

class PageModel {
public:
    explicit PageModel(const PageDefinition& definition);

    const PageDefinition& definition() const { return *def_; }
    std::span<const ControlSpec> controls() const { return def_->controls; }
    std::span<ControlState> states() { return states_; }
    std::span<const ControlState> states() const { return states_; }

    // The control of this id; std::out_of_range when the page has none.
    ControlState& state(std::string_view id);
    const ControlState& state(std::string_view id) const;
    const ControlSpec& def(std::string_view id) const;
    // Position of the control in the table, or controls().size().
    std::size_t find(std::string_view id) const;

    // Image to controls for one section; cannot fail. A list moves only to an item its code
    // stands for; otherwise it keeps its selection (or, with showsAnyCode, shows the code as
    // an item of its own). Labels are filled by their rule after the other controls, then the
    // page's afterShow runs. Remembers what it showed (ShownValue).
    void show(DeviceImage& image, std::uint8_t section);
    // Every section.
    void showAll(DeviceImage& image);
    // Controls to image for one section, in table order. A control as shown gives back the
    // value it was shown from; the others are parsed. At the first field that does not parse
    // or does not fit its member (an integer outside 0..65535 in a 16-bit field): the boxes
    // of reportBadInput, ParseFailed, and the fields before it keep their new values in the
    // image.
    TakeResult take(DeviceImage& image, Dialogs& dialogs, std::uint8_t section);

    // The user typed into an edit field / chose an item (even the one shown): from now on
    // the take parses the control, whatever it holds.
    void edit(std::string_view id, std::string text);
    void choose(std::string_view id, std::size_t index);

    // A click on an indicator, or on the cell of a bit grid row in `column`: flips its flag or
    // bit in the image (a cell of a choice selects its bit or clears the choice) and recolours
    // it. Sends nothing.
    void click(std::string_view id, DeviceImage& image, std::size_t column = 0);

private:
    void showControl(const ControlSpec& def, ControlState& state, DeviceImage& image);
    bool takeControl(const ControlSpec& def, const ControlState& state, DeviceImage& image,
                     Dialogs& dialogs);
    void showList(const ControlSpec& def, ControlState& state, DeviceImage& image);
    void fillLabel(const ControlSpec& def, ControlState& state, DeviceImage& image);
    void remember(const ControlSpec& def, ControlState& state, DeviceImage& image);
    void paintIndicator(const ControlSpec& def, ControlState& state, DeviceImage& image);

    const PageDefinition* def_;
    std::vector<ControlState> states_;
};

// Whether the take reads the control (edit fields and lists), so a show remembers it.
bool takesInput(ControlKind kind);

// The bits of a word that a bit grid row lights: each plain column's bit when set, and of a
// choice the highest of its set bits. A take stores this, so other bits are dropped.
std::uint16_t litCells(std::span<const BitColumn> columns, std::uint16_t word);

// The text of the selected item of a list, its otherItem included ("" when there is none).
std::string_view selectedItem(const ControlSpec& def, const ControlState& state);
// The number of items a list shows now: its own and its otherItem.
std::size_t itemCount(const ControlSpec& def, const ControlState& state);

// A table's cell of the grid row and column (row 0 the headers, column 0 the row numbers).
std::string_view tableCell(const ControlSpec& def, const ControlState& state, std::size_t row,
                           std::size_t column);

} // namespace flowcfg
