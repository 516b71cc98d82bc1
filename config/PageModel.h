#pragma once
// A configuration page as plain data. The page is its table of controls: each row binds one
// control to a DeviceImage member with its kind (float, integer, hexadecimal, list with its
// code rule, indicator bit, read-only value) and the section of the page whose buttons show
// and take it. PageModel holds the state of every control (text, selected item, colour,
// twin text, visibility); show copies the image into it, take copies it back with the
// parsing rules, and the Qt view only renders the states and copies widget edits back.
//
//   PageModel page(measurementPage());
//   page.show(image, 0);                        // after a read
//   page.state("izm_flow_v_unit").index = 2;    // the view copies a selection
//   if (page.take(image, dialogs, 0) == TakeResult::ParseFailed) ...

#include "config/ListCodes.h"
#include "config/NumberInput.h"
#include "model/DeviceImage.h"
#include "platform/Dialogs.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg {

enum class ControlKind : std::uint8_t {
    Float,     // edit field, "%-11.4f"; a single
    Integer,   // edit field, "%u"; a 16-bit member keeps the low 16 bits, a 32-bit one all 32
    Hex16,     // edit field, "0x%04X", typing filtered by filterHexInput
    List,      // selector; the member holds the register code of the item (CodeRule)
    Indicator, // clickable panel bound to a flag (bit 0: the member is 1 or not) or a bit
    Value,     // read-only number, "%-11.4f": shown, never taken
    Label,     // read-only text filled by the page's own rule
};

// The colour of an indicator: pure green (0, 255, 0) when on, the system's button face when
// off.
enum class IndicatorColour : std::uint8_t { ButtonFace, Green };

inline constexpr std::string_view kOnText = "вкл";
inline constexpr std::string_view kOffText = "выкл";

struct ControlSpec {
    std::string_view id;      // the field's key (unique in the page); the command line uses it
    std::string_view caption; // lines of a two-line caption are separated by '\n'
    ControlKind kind;
    ImageMember member = nullptr;                 // null for Label
    std::uint8_t section = 0;                     // the read/write pair that shows and takes it
    std::span<const std::string_view> items = {}; // List
    CodeRule rule = {};                           // List
    std::uint16_t bit = 0;     // Indicator: the bit mask; 0 = the member is the flag (1 = on)
    bool twin = false;         // a read-only twin repeats the value as last shown
    bool hidden = false;       // kept in the model but not on the screen
    std::string_view box = {}; // caption of the frame it sits in within its section
    InputMessage message = InputMessage::Integer; // Integer: what a bad text says
    std::string_view unit = {};                   // shown after the field
};

struct ControlState {
    std::string text;      // edit fields, values, labels
    std::size_t index = 0; // List: the selected item
    bool on = false;       // Indicator
    IndicatorColour colour = IndicatorColour::ButtonFace;
    std::string twin; // the read-only twin's text; Indicator: "вкл" / "выкл"
    bool visible = true;
};

enum class TakeResult : std::uint8_t { Taken = 0, ParseFailed = 1 };

struct PageSection {
    std::string_view caption; // the frame around the section's controls and buttons
    bool hidden = false;      // the whole section is kept off the screen
};

class PageModel;

struct PageDefinition {
    std::string_view caption;
    std::span<const ControlSpec> controls; // in take order
    std::span<const PageSection> sections;
    // Rules only this page has, run after the generic show and take of a section.
    void (*afterShow)(PageModel& page, DeviceImage& image, std::uint8_t section) = nullptr;
    void (*afterTake)(DeviceImage& image, std::uint8_t section) = nullptr;
};

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
    // stands for; otherwise it keeps its selection.
    void show(DeviceImage& image, std::uint8_t section);
    // Every section.
    void showAll(DeviceImage& image);
    // Controls to image for one section, in table order. At the first field that does not
    // parse: the boxes of reportBadInput, ParseFailed, and the fields before it keep their
    // new values in the image.
    TakeResult take(DeviceImage& image, Dialogs& dialogs, std::uint8_t section);

    // A click on an indicator: flips its flag or bit in the image and recolours it. Sends
    // nothing.
    void click(std::string_view id, DeviceImage& image);

private:
    void showControl(const ControlSpec& def, ControlState& state, DeviceImage& image);
    bool takeControl(const ControlSpec& def, const ControlState& state, DeviceImage& image,
                     Dialogs& dialogs);
    void paintIndicator(const ControlSpec& def, ControlState& state, DeviceImage& image);

    const PageDefinition* def_;
    std::vector<ControlState> states_;
};

// The text of the selected item of a list ("" when the list has no items).
std::string_view selectedItem(const ControlSpec& def, const ControlState& state);

} // namespace flowcfg
