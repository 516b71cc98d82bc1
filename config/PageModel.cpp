#include "config/PageModel.h"

#include "model/Encodings.h"
#include "platform/CFormat.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <variant>

namespace flowcfg {

namespace {

template <class T> T& member(const ControlSpec& def, DeviceImage& image) {
    const ValueRef ref = def.member(image);
    T* const* p = std::get_if<T*>(&ref);
    if (p == nullptr || *p == nullptr)
        throw std::logic_error("page control bound to a member of another type: " +
                               std::string(def.id));
    return **p;
}

// The low half of a number held in two 16-bit members.
std::uint16_t& lowHalf(const ControlSpec& def, DeviceImage& image) {
    return *std::get<std::uint16_t*>(def.low(image));
}

// 16- and 32-bit members alike, and a number held in two halves, for the integer fields.
std::uint32_t integerOf(const ControlSpec& def, DeviceImage& image) {
    const ValueRef ref = def.member(image);
    if (const auto* p = std::get_if<std::uint32_t*>(&ref))
        return **p;
    if (def.low != nullptr)
        return static_cast<std::uint32_t>(member<std::uint16_t>(def, image)) << 16 |
               lowHalf(def, image);
    return member<std::uint16_t>(def, image);
}

// Stores value when the member holds it (0..65535, or 0..4294967295 for a 32-bit member);
// false, and nothing stored, when it does not: no value is cut to its low bits.
template <class T> bool storeWithin(T& target, std::int64_t value) {
    if (value < 0 || static_cast<std::uint64_t>(value) > std::numeric_limits<T>::max())
        return false;
    target = static_cast<T>(value);
    return true;
}

bool storeInteger(const ControlSpec& def, DeviceImage& image, std::int64_t value) {
    if (def.atMost != 0 && value > def.atMost)
        value = def.atMost;
    const ValueRef ref = def.member(image);
    if (const auto* p = std::get_if<std::uint32_t*>(&ref))
        return storeWithin(**p, value);
    if (def.low != nullptr) {
        std::uint32_t both = 0;
        if (!storeWithin(both, value))
            return false;
        member<std::uint16_t>(def, image) = static_cast<std::uint16_t>(both >> 16);
        lowHalf(def, image) = static_cast<std::uint16_t>(both & 0xFFFF);
        return true;
    }
    return storeWithin(member<std::uint16_t>(def, image), value);
}

std::string floatText(NumberFormat format, float value) {
    switch (format) {
    case NumberFormat::Fixed2:
        return formatFixed2(value);
    case NumberFormat::Exponent:
        return formatExp(value);
    default:
        return formatFixed4(value);
    }
}

// What a number field or a read-only value shows of its member, in its format.
std::string numberText(const ControlSpec& def, DeviceImage& image) {
    if (def.kind == ControlKind::Hex16 || def.format == NumberFormat::Hex)
        return formatHex16(member<std::uint16_t>(def, image));
    if (def.format == NumberFormat::WordsFloat) {
        // The member is a word of a raw block; the low half is the word after it.
        const std::uint16_t* words = &member<std::uint16_t>(def, image);
        return formatFixed4(floatFromWords(words[0], words[1]));
    }
    const ValueRef ref = def.member(image);
    if (const auto* f = std::get_if<float*>(&ref))
        return floatText(def.format, **f);
    return formatUnsigned(integerOf(def, image));
}

// "%<width>u" of a row number.
std::string rowNumberText(std::size_t number, std::size_t width) {
    std::string digits;
    appendUnsigned(digits, static_cast<std::uint32_t>(number));
    return std::string(width > digits.size() ? width - digits.size() : 0, ' ') + digits;
}

// A cell of a table column in its format.
std::string cellText(const TableColumn& column, DeviceImage& image, std::size_t row) {
    const ValueRef ref = column.cell(image, row);
    std::string text;
    if (const auto* f = std::get_if<float*>(&ref)) {
        appendFixed(text, **f, column.width, column.precision);
        return text;
    }
    std::uint32_t value = 0;
    if (const auto* w = std::get_if<std::uint16_t*>(&ref))
        value = **w;
    else if (const auto* d = std::get_if<std::uint32_t*>(&ref))
        value = **d;
    return rowNumberText(value, column.width);
}

// The grid of a table without its values: the headers and the row numbers.
std::vector<std::string> tableFrame(const TableSpec& table) {
    const std::size_t width = table.columns.size() + 1;
    std::vector<std::string> cells((table.rows + 1) * width);
    for (std::size_t c = 0; c < table.columns.size(); ++c)
        cells[c + 1] = table.columns[c].header;
    for (std::size_t r = 1; r <= table.rows; ++r)
        cells[r * width] = rowNumberText(r, table.numberWidth);
    return cells;
}

MemberValue valueOf(const ValueRef& ref) {
    return std::visit([](auto* p) -> MemberValue { return *p; }, ref);
}

void store(const ValueRef& ref, const MemberValue& value) {
    std::visit(
        [&value](auto* p) {
            using T = std::remove_pointer_t<decltype(p)>;
            if (const T* v = std::get_if<T>(&value))
                *p = *v;
        },
        ref);
}

// The control holds what the last show put there.
bool asShown(const ControlSpec& def, const ControlState& state) {
    if (!state.shown)
        return false;
    return def.kind == ControlKind::List ? state.index == state.shown->index
                                         : state.text == state.shown->text;
}

} // namespace

bool takesInput(ControlKind kind) {
    switch (kind) {
    case ControlKind::Float:
    case ControlKind::Integer:
    case ControlKind::Hex16:
    case ControlKind::List:
        return true;
    case ControlKind::Indicator: // a click changes the image itself
    case ControlKind::BitRow:
    case ControlKind::Value:
    case ControlKind::Label:
    case ControlKind::Table:
        break;
    }
    return false;
}

std::uint16_t litCells(std::span<const BitColumn> columns, std::uint16_t word) {
    std::uint16_t lit = 0;
    for (const BitColumn& c : columns) {
        const std::uint16_t set = word & c.bit;
        // Of a choice, only the highest bit that is set.
        if (set != 0 && (c.choice == 0 || (word & c.choice) < 2 * c.bit))
            lit |= c.bit;
    }
    return lit;
}

std::string_view selectedItem(const ControlSpec& def, const ControlState& state) {
    if (state.index < def.items.size())
        return def.items[state.index];
    return state.index == def.items.size() ? std::string_view(state.otherItem) : std::string_view{};
}

std::size_t itemCount(const ControlSpec& def, const ControlState& state) {
    return def.items.size() + (state.otherItem.empty() ? 0 : 1);
}

std::string_view tableCell(const ControlSpec& def, const ControlState& state, std::size_t row,
                           std::size_t column) {
    const std::size_t at = row * (def.table.columns.size() + 1) + column;
    return at < state.tableCells.size() ? std::string_view(state.tableCells[at])
                                        : std::string_view{};
}

PageModel::PageModel(const PageDefinition& definition)
    : def_(&definition), states_(definition.controls.size()) {
    for (std::size_t i = 0; i < states_.size(); ++i) {
        const ControlSpec& def = def_->controls[i];
        const bool sectionHidden =
            def.section < def_->sections.size() && def_->sections[def.section].hidden;
        states_[i].visible = !def.hidden && !sectionHidden;
        if (def.kind == ControlKind::Indicator)
            states_[i].twin = kOffText;
        if (def.kind == ControlKind::Table)
            states_[i].tableCells = tableFrame(def.table);
    }
}

std::size_t PageModel::find(std::string_view id) const {
    for (std::size_t i = 0; i < def_->controls.size(); ++i)
        if (def_->controls[i].id == id)
            return i;
    return def_->controls.size();
}

ControlState& PageModel::state(std::string_view id) {
    const std::size_t i = find(id);
    if (i == states_.size())
        throw std::out_of_range("no control " + std::string(id) + " on the page");
    return states_[i];
}

const ControlState& PageModel::state(std::string_view id) const {
    return const_cast<PageModel*>(this)->state(id);
}

const ControlSpec& PageModel::def(std::string_view id) const {
    const std::size_t i = find(id);
    if (i == states_.size())
        throw std::out_of_range("no control " + std::string(id) + " on the page");
    return def_->controls[i];
}

void PageModel::paintIndicator(const ControlSpec& def, ControlState& state, DeviceImage& image) {
    const std::uint16_t value = member<std::uint16_t>(def, image);
    state.on = def.bit == 0 ? value == 1 : (value & def.bit) != 0;
    state.colour = state.on ? IndicatorColour::Green : IndicatorColour::ButtonFace;
    state.twin = state.on ? kOnText : kOffText;
}

void PageModel::showList(const ControlSpec& def, ControlState& state, DeviceImage& image) {
    const std::uint16_t code = member<std::uint16_t>(def, image);
    const std::size_t n = def.items.size();
    if (!def.showsAnyCode) {
        if (const auto item = itemOfCode(def.rule, code, n))
            state.index = *item;
    } else if (const auto item = itemWithCode(def.rule, code, n)) {
        state.index = *item;
        state.otherItem.clear();
    } else {
        state.index = n;
        state.otherItem = formatUnsigned(code);
        state.otherCode = code;
    }
    if (def.twin)
        state.twin = selectedItem(def, state);
}

void PageModel::fillLabel(const ControlSpec& def, ControlState& state, DeviceImage& image) {
    const LabelFill& fill = def.label;
    switch (fill.kind) {
    case LabelFill::Kind::Own:
        return;
    case LabelFill::Kind::Repeat:
        state.text = this->state(fill.source).text + std::string(fill.text);
        return;
    case LabelFill::Kind::Item: {
        const auto item =
            itemWithCode(def.rule, member<std::uint16_t>(def, image), def.items.size());
        state.text = item ? def.items[*item] : fill.text;
        return;
    }
    case LabelFill::Kind::Bits:
        state.text.clear();
        for (const BitText& b : fill.bits)
            if (member<std::uint16_t>(def, image) & b.bit)
                state.text += b.text;
        if (state.text.empty())
            state.text = fill.text;
        return;
    }
}

void PageModel::showControl(const ControlSpec& def, ControlState& state, DeviceImage& image) {
    switch (def.kind) {
    case ControlKind::Float:
    case ControlKind::Value:
    case ControlKind::Integer:
    case ControlKind::Hex16:
        state.text = numberText(def, image);
        break;
    case ControlKind::List:
        showList(def, state, image);
        return;
    case ControlKind::Indicator:
        paintIndicator(def, state, image);
        return;
    case ControlKind::BitRow:
        state.cells = litCells(def.columns, member<std::uint16_t>(def, image));
        return;
    case ControlKind::Label:
        return; // after the other controls (fillLabel)
    case ControlKind::Table: {
        const std::size_t width = def.table.columns.size() + 1;
        for (std::size_t r = 0; r < def.table.rows; ++r)
            for (std::size_t c = 0; c < def.table.columns.size(); ++c)
                state.tableCells[(r + 1) * width + c + 1] =
                    cellText(def.table.columns[c], image, r);
        return;
    }
    }
    if (def.twin)
        state.twin = state.text;
}

void PageModel::remember(const ControlSpec& def, ControlState& state, DeviceImage& image) {
    if (!takesInput(def.kind))
        return;
    const MemberValue value =
        def.low != nullptr ? MemberValue{integerOf(def, image)} : valueOf(def.member(image));
    state.shown = ShownValue{state.text, state.index, value};
}

bool PageModel::takeControl(const ControlSpec& def, const ControlState& state, DeviceImage& image,
                            Dialogs& dialogs) {
    if (asShown(def, state)) {
        if (def.low != nullptr)
            return storeInteger(def, image, std::get<std::uint32_t>(state.shown->value));
        store(def.member(image), state.shown->value);
        return true;
    }
    switch (def.kind) {
    case ControlKind::Float:
        if (const auto v = parseFloatText(state.text)) {
            member<float>(def, image) = *v;
            return true;
        }
        reportBadInput(dialogs, InputMessage::Float);
        return false;
    case ControlKind::Integer: {
        const auto v = def.format == NumberFormat::Hex ? parseIntegerOrHexText(state.text)
                                                       : parseIntegerText(state.text);
        if (v && storeInteger(def, image, *v))
            return true;
        reportBadInput(dialogs, def.message);
        return false;
    }
    case ControlKind::Hex16:
        if (const auto v = parseHex16Text(state.text)) {
            member<std::uint16_t>(def, image) = *v;
            return true;
        }
        reportBadInput(dialogs, def.message);
        return false;
    case ControlKind::List:
        if (state.index == def.items.size() && !state.otherItem.empty())
            member<std::uint16_t>(def, image) = state.otherCode;
        else if (!def.items.empty())
            member<std::uint16_t>(def, image) = codeOfItem(def.rule, state.index);
        return true;
    case ControlKind::BitRow: { // a click has changed the image; the cells' bits alone go
        std::uint16_t& word = member<std::uint16_t>(def, image);
        word = litCells(def.columns, word);
        return true;
    }
    case ControlKind::Indicator: // a click has already changed the image
    case ControlKind::Value:
    case ControlKind::Label:
    case ControlKind::Table:
        return true;
    }
    return true;
}

void PageModel::show(DeviceImage& image, std::uint8_t section) {
    for (std::size_t i = 0; i < states_.size(); ++i)
        if (def_->controls[i].section == section)
            showControl(def_->controls[i], states_[i], image);
    for (std::size_t i = 0; i < states_.size(); ++i)
        if (def_->controls[i].section == section && def_->controls[i].kind == ControlKind::Label)
            fillLabel(def_->controls[i], states_[i], image);
    if (def_->afterShow)
        def_->afterShow(*this, image, section);
    // What the section shows now, the page's own rules included.
    for (std::size_t i = 0; i < states_.size(); ++i)
        if (def_->controls[i].section == section)
            remember(def_->controls[i], states_[i], image);
}

void PageModel::showAll(DeviceImage& image) {
    for (std::size_t s = 0; s < std::max<std::size_t>(def_->sections.size(), 1); ++s)
        show(image, static_cast<std::uint8_t>(s));
}

TakeResult PageModel::take(DeviceImage& image, Dialogs& dialogs, std::uint8_t section) {
    for (std::size_t i = 0; i < states_.size(); ++i)
        if (def_->controls[i].section == section &&
            !takeControl(def_->controls[i], states_[i], image, dialogs))
            return TakeResult::ParseFailed;
    if (def_->afterTake)
        def_->afterTake(image, section);
    return TakeResult::Taken;
}

void PageModel::edit(std::string_view id, std::string text) {
    ControlState& s = state(id);
    s.text = std::move(text);
    s.shown.reset();
}

void PageModel::choose(std::string_view id, std::size_t index) {
    ControlState& s = state(id);
    s.index = index;
    s.shown.reset();
}

void PageModel::click(std::string_view id, DeviceImage& image, std::size_t column) {
    const ControlSpec& s = def(id);
    std::uint16_t& value = member<std::uint16_t>(s, image);
    if (s.kind == ControlKind::BitRow && column < s.columns.size()) {
        const BitColumn& c = s.columns[column];
        const bool lit = (litCells(s.columns, value) & c.bit) != 0;
        if (c.choice == 0)
            value ^= c.bit;
        else
            value = static_cast<std::uint16_t>((value & ~c.choice) | (lit ? 0 : c.bit));
        state(id).cells = litCells(s.columns, value);
        return;
    }
    if (s.kind != ControlKind::Indicator)
        throw std::logic_error("not an indicator or a cell: " + std::string(id));
    if (s.bit == 0)
        value = value == 1 ? 0 : 1;
    else
        value ^= s.bit;
    paintIndicator(s, state(id), image);
}

} // namespace flowcfg
