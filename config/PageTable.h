#pragma once
// One configuration page as one table row: where it sits in the screen tree, its controls
// (each bound to a DeviceImage member with its kind and display format), its sections and,
// per section, its "ПРОЧИТАТЬ" / "ЗАПИСАТЬ" buttons (the register groups they read and write
// with their pauses, the texts, the protection check, the guard kind), its command buttons,
// and the few rules only it has. Pages are grouped in families, one file of rows each
// (config/PageFamilies.h); config/PageRegistry.h gathers them. wellFormed() holds a row
// together at compile time; tests/config/PageTablesTest.cpp holds the rows against the
// register map, the screen tree and each other.
//
//   constexpr CommandButton kCleaningCommands[] = {
//       {.caption = "ВКЛ.ОЧИСТКУ", .name = "cleaning-on", .writes = kCleaningOn,
//        .confirmation = "Включить очистку электродов.", .guard = GuardKind::CommandUnlock}};
//   constexpr PageSection kSections[] = {
//       {.caption = "ЧАСТОТНЫЙ ВЫХОД",
//        .buttons = {.name = "output1-frequency",
//                    .reads = kFrequencyReads, .readSuccess = "Чтение ...",
//                    .writes = kFrequencyWrites, .writeSuccess = "Запись ..."},
//        .commands = kCleaningCommands}};
//   constexpr PageDefinition kOutput1{.path = "НАСТРОЙКИ РАБОТЫ/ВЫХОД 1",
//                                     .controls = kControls, .sections = kSections};

#include "config/ListCodes.h"
#include "config/NumberInput.h"
#include "link/Outcome.h"
#include "model/DeviceImage.h"
#include "model/GroupIo.h"
#include "model/WriteGuard.h"

#include <cstdint>
#include <span>
#include <string_view>

// The ImageMember of the image value at `path` (MEMBER(i_control.shift)), as the rows name it.
#define MEMBER(path) [](DeviceImage& d) -> ValueRef { return &d.path; }

namespace flowcfg {

enum class ControlKind : std::uint8_t {
    Float,     // edit field of a single, "%-11.4f" (or .format)
    Integer,   // edit field, "%u"; 0..65535 for a 16-bit member, 0..4294967295 for a 32-bit one
    Hex16,     // edit field, "0x%04X" up to FFFF, typing filtered by filterHexInput
    List,      // selector; the member holds the register code of the item (CodeRule)
    Indicator, // clickable panel bound to a flag (bit 0: the member is 1 or not) or a bit
    Value,     // read-only number in .format: shown, never taken
    Label,     // read-only text: the .label rule, or the page's own afterShow
    BitRow,    // a row of a bit grid over the member word: one clickable cell per column
    Table,     // read-only grid of numbers (.table); no member of its own
};

// How a number field or a read-only value prints its member.
enum class NumberFormat : std::uint8_t {
    Standard,   // a single "%-11.4f", an integer "%u", a Hex16 field "0x%04X"
    Fixed2,     // a single "%-5.2f"
    Exponent,   // a single "%-E" ("1.500000E+02")
    Hex,        // a 16-bit word "0x%04X" (Value); an Integer field shown so also takes "0x1F"
                // and "$1F" besides decimal
    WordsFloat, // "%-11.4f" of the single whose high half is the member word and whose low
                // half the next word of the same raw block (Value of readings.primaryBlock510[2])
};

// One bit of a bits summary and the text it adds when set.
struct BitText {
    std::uint16_t bit;
    std::string_view text;
};

// One column of a bit grid (ControlKind::BitRow): the bit its cells show, the caption over it
// (two stacked lines split by '\n') and its command-line name. Columns with the same `choice`
// mask form one choice of which at most one bit is set: a click on a cell selects it (or
// clears it when it is already selected), a word read with several of them set shows the
// highest, and a take keeps that one.
struct BitColumn {
    std::uint16_t bit;
    std::string_view caption;
    std::string_view name;
    std::uint16_t choice = 0;
};

// What fills a Label at every show of its section, after the section's other controls and
// before the page's afterShow.
struct LabelFill {
    enum class Kind : std::uint8_t {
        Own,    // the page's afterShow sets it; no member
        Repeat, // the text of control `source` of the page, then `text` (" сут"); no member
        Item,   // the label's item (items, rule) whose code the member holds, else `text`
        Bits,   // the texts of the member's set bits, in table order; `text` when none is set
    };
    Kind kind = Kind::Own;
    std::string_view source = {};
    std::string_view text = {};
    std::span<const BitText> bits = {};

    static constexpr LabelFill own() { return {}; }
    static constexpr LabelFill repeat(std::string_view source, std::string_view suffix = {}) {
        return {Kind::Repeat, source, suffix, {}};
    }
    static constexpr LabelFill item(std::string_view otherwise = "-") {
        return {Kind::Item, {}, otherwise, {}};
    }
    static constexpr LabelFill bitTexts(std::span<const BitText> bits, std::string_view none = {}) {
        return {Kind::Bits, {}, none, bits};
    }
    constexpr bool readsMember() const { return kind == Kind::Item || kind == Kind::Bits; }
};

// A member by row, for the cells of a table column:
// [](DeviceImage& d, std::size_t row) -> ValueRef { return &d.readings.coefficientX.at(row); }
using ImageCell = ValueRef (*)(DeviceImage&, std::size_t row);

// A column of a read-only table: its header and its cells, a single printed
// "%<width>.<precision>f", an integer "%<width>u".
struct TableColumn {
    std::string_view header;
    ImageCell cell;
    std::uint8_t width = 0;
    std::uint8_t precision = 4;
};

// A read-only grid of `rows` rows under a header row: column 0 holds the row numbers 1..rows
// printed "%<numberWidth>u", the columns follow. The view draws every cell centred.
struct TableSpec {
    std::uint8_t rows = 0;
    std::uint8_t numberWidth = 1;
    std::span<const TableColumn> columns = {};
};

struct ControlSpec {
    std::string_view id;      // the field's key (unique in the page); the command line uses it
    std::string_view caption; // lines of a two-line caption are separated by '\n'
    ControlKind kind;
    NumberFormat format = NumberFormat::Standard; // Float and Value
    ImageMember member = nullptr; // null for a Label that reads none (LabelFill::readsMember)
    std::uint8_t section = 0;     // the section that shows and takes it
    std::span<const std::string_view> items = {}; // List, Label of LabelFill::item
    CodeRule rule = {};                           // List, Label of LabelFill::item
    std::uint16_t bit = 0;     // Indicator: the bit mask; 0 = the member is the flag (1 = on)
    bool twin = false;         // a read-only twin repeats the value as last shown
    bool hidden = false;       // kept in the model but not on the screen
    std::string_view box = {}; // caption of the frame it sits in within its section
    InputMessage message = InputMessage::Integer; // Integer: what a bad text says
    // Integer: the member holds the high 16 bits and `low` the low 16 bits of one unsigned
    // 32-bit number, shown and typed as one (the factory number, NUM_HI and NUM_LO).
    ImageMember low = nullptr;
    // Integer: a value above it is stored as it, not refused (the panel password: 9999); 0
    // for none.
    std::uint32_t atMost = 0;
    std::string_view unit = {}; // shown after the field
    // Taken into the image (profiles and the whole-configuration operations use it) but sent
    // by none of the section's writes: the command line refuses to set it.
    bool notSent = false;
    // List: a code no item stands for is shown as its number, in one more item after the
    // list's own ("2105" under a list of years that ends at 2099), instead of the list keeping
    // its selection; untouched, it goes back as it came.
    bool showsAnyCode = false;
    LabelFill label = {}; // Label
    // BitRow: its cells, left to right. Consecutive rows with the same columns share one grid
    // under the column captions. A click changes the image like an indicator's; a take keeps
    // only the bits the cells show.
    std::span<const BitColumn> columns = {};
    TableSpec table = {}; // Table
};

// A section of another page (or of the same one), by path and section index.
struct PagePart {
    std::string_view page;
    std::uint8_t section = 0;
};

class ConfigPages;

// A page rule around a button's writes (config/ConfigPages.h): it reaches the pages, the
// image, the link (settings, clock, pump) and the window's callbacks (linkChanged). `part` is
// the button's own section.
using ButtonHook = void (*)(ConfigPages& pages, PagePart part);
// A page rule a write must pass before anything is sent (the network write refuses the
// broadcast address): false ends the write; the rule has shown its own message.
using ButtonCheck = bool (*)(ConfigPages& pages, PagePart part);
// A page rule that exchanges with the meter: a failure ends the operation with its box.
using ExchangeHook = ExchangeResult (*)(ConfigPages& pages, PagePart part);

// The "ПРОЧИТАТЬ" / "ЗАПИСАТЬ" pair of a section. A section without a name has no buttons;
// one without reads has no read button, one without writes no write button.
struct SectionButtons {
    std::string_view name = {}; // command-line name of the group, e.g. "output1-frequency"
    std::span<const GroupTransfer> reads = {}; // in the order sent, with their pauses
    std::string_view readSuccess = {};
    // Groups written first as one step whose failure is shown and then passed over (the
    // measurement write's cut-off groups).
    std::span<const GroupTransfer> leadingWrites = {};
    std::span<const GroupTransfer> writes = {};
    std::string_view confirmation = kConfigurationOverwrite; // empty: no question
    std::string_view writeSuccess = {};
    bool checksProtection = false;
    GuardOrder order = kTakeCheckConfirm;
    // Other page parts the read shows and the write takes, after its own section.
    std::span<const PagePart> alsoParts = {};
    // The read and the write stop the measurement poll first (ConfigPages::stopPolling).
    bool stopsPolling = false;
    // A read that succeeded appends the main measurement log line before its box
    // (ConfigPages::logMeasurement).
    bool logsMeasurement = false;
    GuardKind guard = GuardKind::Standard; // the write's unlock and lock
    // false: the write sends the image as last read or loaded; nothing is taken (and the
    // command line sets no field of it).
    bool writeTakes = true;
    ButtonHook beforeWrites = nullptr; // after the unlock, right before the first write
    ButtonHook afterWrites = nullptr;  // once every write succeeded, before the lock
    ButtonCheck admits = nullptr;      // once the port is open, before anything is sent
    // A lock that fails is shown with the outcome box instead of the success box (the network
    // write locks at the new settings: a meter that does not answer there must be told).
    bool reportsLock = false;
    ButtonHook afterReads = nullptr;     // once every read succeeded, before the show
    ExchangeHook beforeUnlock = nullptr; // the write's last stage before the unlock

    constexpr bool any() const { return !name.empty(); }
};

// A button beside "ПРОЧИТАТЬ" / "ЗАПИСАТЬ" that runs one operation: a command ("ПРОВЕРИТЬ
// СВЯЗЬ", "ВКЛ.ОЧИСТКУ", "ПЕРЕЗАГРУЗКА ПРИБОРА"), a write of its own ("Записать время из
// часов компьютера"), or a read of its own (the second "ПРОЧИТАТЬ" of a section). With writes
// it runs the write sequence in its guard kind, then reads `reads` back and shows the section;
// with reads alone it is a read. The command line runs it as `flowcfg-cli do NAME`.
struct CommandButton {
    std::string_view caption;
    std::string_view name; // command-line name, unique among buttons, e.g. "cleaning-on"
    std::span<const GroupTransfer> writes = {}; // command rows or groups, with their pauses
    std::span<const GroupTransfer> reads = {};  // read (back) and shown
    std::string_view confirmation = {};         // empty: no question
    std::string_view success = {};              // empty: silent on success
    GuardKind guard = GuardKind::Standard;
    bool checksProtection = false;
    GuardOrder order = kTakeCheckConfirm;
    bool takes = false;        // takes its section into the image (the Take stage)
    bool stopsPolling = false; // stops the measurement poll first
    ButtonHook beforeWrites = nullptr;
    ButtonHook afterWrites = nullptr;
    // An operation of a lower layer that the button runs instead of one built from the row
    // ("ПРОВЕРИТЬ СВЯЗЬ" runs the program-settings page's check); the row's writes, guard and
    // texts then only say what it does.
    WriteOperation (*operation)() = nullptr;
};

struct PageSection {
    std::string_view caption; // the frame around the section's controls and buttons
    bool hidden = false;      // the whole section is kept off the screen
    SectionButtons buttons = {};
    // After "ПРОЧИТАТЬ" / "ЗАПИСАТЬ", in this order.
    std::span<const CommandButton> commands = {};
};

class PageModel;

struct PageDefinition {
    std::string_view path;                 // in the screen tree; its last part is the caption
    std::span<const ControlSpec> controls; // in take order
    std::span<const PageSection> sections; // at least one
    // Rules only this page has, run after the generic show and take of a section.
    void (*afterShow)(PageModel& page, DeviceImage& image, std::uint8_t section) = nullptr;
    void (*afterTake)(DeviceImage& image, std::uint8_t section) = nullptr;
};

namespace detail {

constexpr bool hasControl(const PageDefinition& page, std::string_view id) {
    for (const ControlSpec& c : page.controls)
        if (c.id == id)
            return true;
    return false;
}

constexpr bool formatFits(const ControlSpec& c) {
    switch (c.format) {
    case NumberFormat::Standard:
        return true;
    case NumberFormat::Fixed2:
    case NumberFormat::Exponent:
        return c.kind == ControlKind::Float || c.kind == ControlKind::Value;
    case NumberFormat::Hex:
        return c.kind == ControlKind::Value || c.kind == ControlKind::Integer;
    case NumberFormat::WordsFloat:
        return c.kind == ControlKind::Value;
    }
    return false;
}

constexpr bool tableFits(const ControlSpec& c) {
    if (c.kind != ControlKind::Table)
        return c.table.rows == 0 && c.table.columns.empty();
    for (const TableColumn& column : c.table.columns)
        if (column.cell == nullptr)
            return false;
    return c.table.rows != 0 && !c.table.columns.empty();
}

constexpr bool controlFits(const PageDefinition& page, const ControlSpec& c) {
    const bool label = c.kind == ControlKind::Label;
    const bool itemLabel = label && c.label.kind == LabelFill::Kind::Item;
    const bool memberless = (label && !c.label.readsMember()) || c.kind == ControlKind::Table;
    if (c.id.empty() || c.section >= page.sections.size() || !formatFits(c) || !tableFits(c))
        return false;
    if ((c.kind == ControlKind::List || itemLabel) == c.items.empty())
        return false;
    if (memberless != (c.member == nullptr))
        return false;
    if (!label && c.label.kind != LabelFill::Kind::Own)
        return false;
    if (c.label.kind == LabelFill::Kind::Repeat &&
        (c.label.source == c.id || !hasControl(page, c.label.source)))
        return false;
    if (c.label.kind == LabelFill::Kind::Bits && c.label.bits.empty())
        return false;
    if ((c.kind == ControlKind::BitRow) == c.columns.empty())
        return false;
    if ((c.low != nullptr || c.atMost != 0) && c.kind != ControlKind::Integer)
        return false;
    return !c.showsAnyCode || c.kind == ControlKind::List;
}

} // namespace detail

// What a row must hold that the compiler can check: sections exist, control ids are unique,
// each control sits in a section of the page, lists have items, formats, label rules and
// tables fit their controls, named buttons exchange.
constexpr bool wellFormed(const PageDefinition& page) {
    if (page.path.empty() || page.sections.empty())
        return false;
    for (std::size_t i = 0; i < page.controls.size(); ++i) {
        if (!detail::controlFits(page, page.controls[i]))
            return false;
        for (std::size_t j = 0; j < i; ++j)
            if (page.controls[j].id == page.controls[i].id)
                return false;
    }
    for (const PageSection& s : page.sections) {
        if (s.buttons.any() && s.buttons.reads.empty() && s.buttons.writes.empty())
            return false;
        for (const CommandButton& c : s.commands)
            if (c.caption.empty() || c.name.empty() || (c.reads.empty() && c.writes.empty()))
                return false;
    }
    return true;
}

} // namespace flowcfg
