#include "config/FieldText.h"

#include "config/ScreenPaths.h"
#include "model/Encodings.h"

#include <algorithm>

namespace flowcfg {

namespace {

// Lines of a two-line caption joined by a blank.
std::string oneLine(std::string_view caption) {
    std::string text(trimBlanks(caption));
    std::ranges::replace(text, '\n', ' ');
    return text;
}

// The caption under its frame's ("ТОЧКА 1 / СОПРОТИВЛЕНИЕ"); an empty one is named by its
// frame, else by its section, else by its id.
std::string ownCaption(const PageDefinition& page, const ControlSpec& c) {
    const std::string caption = oneLine(c.caption), box = oneLine(c.box);
    if (!caption.empty())
        return box.empty() || box == caption ? caption : box + " / " + caption;
    if (!box.empty())
        return box;
    const std::string section = oneLine(page.sections[c.section].caption);
    return section.empty() ? std::string(c.id) : section;
}

std::uint16_t word(const ControlSpec& def, DeviceImage& image) {
    return *std::get<std::uint16_t*>(def.member(image));
}

} // namespace

std::string_view pageTitle(std::string_view path) {
    if (path.starts_with(pages::work) && path.size() > pages::work.size() &&
        path[pages::work.size()] == '/')
        return path.substr(pages::work.size() + 1);
    return path;
}

std::string fieldCaption(const PageDefinition& page, std::size_t control) {
    const ControlSpec& c = page.controls[control];
    const std::string own = ownCaption(page, c);
    const std::string_view section = trimBlanks(page.sections[c.section].caption);
    for (std::size_t i = 0; i < page.controls.size(); ++i)
        if (i != control && ownCaption(page, page.controls[i]) == own && !section.empty() &&
            oneLine(section) != own)
            return oneLine(section) + " / " + own;
    return own;
}

std::string fieldText(const ControlSpec& def, const ControlState& state, DeviceImage& image) {
    switch (def.kind) {
    case ControlKind::List: {
        const std::uint16_t code = word(def, image);
        if (const auto item = itemWithCode(def.rule, code, def.items.size()))
            return std::string(trimBlanks(def.items[*item]));
        return std::to_string(code);
    }
    case ControlKind::Indicator:
        return state.twin;
    case ControlKind::BitRow: {
        const std::uint16_t value = word(def, image);
        std::string text = formatHex16(value);
        const std::uint16_t lit = litCells(def.columns, value);
        std::string_view separator = ": ";
        for (const BitColumn& column : def.columns)
            if ((lit & column.bit) != 0) {
                text += std::string(separator) + oneLine(column.caption);
                separator = ", ";
            }
        return text;
    }
    default:
        return std::string(trimBlanks(state.text));
    }
}

std::string tableCellText(const ControlSpec& def, const ControlState& state, std::size_t row,
                          std::size_t column) {
    return std::string(trimBlanks(tableCell(def, state, row + 1, column + 1)));
}

std::string tableCellCaption(const ControlSpec& def, std::size_t row, std::size_t column) {
    return oneLine(def.table.columns[column].header) + " " + std::to_string(row + 1);
}

} // namespace flowcfg
