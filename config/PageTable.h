#pragma once
// One configuration page as one table row: where it sits in the screen tree, its controls
// (each bound to a DeviceImage member with its kind), its sections and, per section, its
// "ПРОЧИТАТЬ" / "ЗАПИСАТЬ" buttons (the register groups they read and write with their
// pauses, the texts, the protection check), and the few rules only it has. Pages are grouped
// in families, one file of rows each (config/PageFamilies.h); config/PageRegistry.h gathers
// them. wellFormed() holds a row together at compile time; tests/config/PageTablesTest.cpp
// holds the rows against the register map, the screen tree and each other.
//
//   constexpr PageSection kSections[] = {
//       {.caption = "ЧАСТОТНЫЙ ВЫХОД",
//        .buttons = {.name = "output1-frequency",
//                    .reads = kFrequencyReads, .readSuccess = "Чтение ...",
//                    .writes = kFrequencyWrites, .writeSuccess = "Запись ..."}}};
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

namespace flowcfg {

enum class ControlKind : std::uint8_t {
    Float,     // edit field, "%-11.4f"; a single
    Integer,   // edit field, "%u"; 0..65535 for a 16-bit member, 0..4294967295 for a 32-bit one
    Hex16,     // edit field, "0x%04X" up to FFFF, typing filtered by filterHexInput
    List,      // selector; the member holds the register code of the item (CodeRule)
    Indicator, // clickable panel bound to a flag (bit 0: the member is 1 or not) or a bit
    Value,     // read-only number, "%-11.4f": shown, never taken
    Label,     // read-only text filled by the page's own rule
};

struct ControlSpec {
    std::string_view id;      // the field's key (unique in the page); the command line uses it
    std::string_view caption; // lines of a two-line caption are separated by '\n'
    ControlKind kind;
    ImageMember member = nullptr;                 // null for Label
    std::uint8_t section = 0;                     // the section that shows and takes it
    std::span<const std::string_view> items = {}; // List
    CodeRule rule = {};                           // List
    std::uint16_t bit = 0;     // Indicator: the bit mask; 0 = the member is the flag (1 = on)
    bool twin = false;         // a read-only twin repeats the value as last shown
    bool hidden = false;       // kept in the model but not on the screen
    std::string_view box = {}; // caption of the frame it sits in within its section
    InputMessage message = InputMessage::Integer; // Integer: what a bad text says
    std::string_view unit = {};                   // shown after the field
    // Taken into the image (profiles and the whole-configuration operations use it) but sent
    // by none of the section's writes: the command line refuses to set it.
    bool notSent = false;
};

// A section of another page (or of the same one), by path and section index.
struct PagePart {
    std::string_view page;
    std::uint8_t section = 0;
};

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

    constexpr bool any() const { return !name.empty(); }
};

struct PageSection {
    std::string_view caption; // the frame around the section's controls and buttons
    bool hidden = false;      // the whole section is kept off the screen
    SectionButtons buttons = {};
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

// What a row must hold that the compiler can check: sections exist, control ids are unique,
// each control sits in a section of the page, lists have items, named buttons exchange.
constexpr bool wellFormed(const PageDefinition& page) {
    if (page.path.empty() || page.sections.empty())
        return false;
    for (std::size_t i = 0; i < page.controls.size(); ++i) {
        const ControlSpec& c = page.controls[i];
        if (c.id.empty() || c.section >= page.sections.size())
            return false;
        if ((c.kind == ControlKind::List) == c.items.empty())
            return false;
        if ((c.kind == ControlKind::Label) != (c.member == nullptr))
            return false;
        for (std::size_t j = 0; j < i; ++j)
            if (page.controls[j].id == c.id)
                return false;
    }
    for (const PageSection& s : page.sections)
        if (s.buttons.any() && s.buttons.reads.empty() && s.buttons.writes.empty())
            return false;
    return true;
}

} // namespace flowcfg
