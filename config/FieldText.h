#pragma once
// A page's field as words, for what prints a page rather than draws it (a comparison, a
// report): its caption and the text the page shows for it, without the padding of the
// left-justified number formats.
//
//   PageModel page(*findPage("НАСТРОЙКИ РАБОТЫ/ВЫХОД 1"));
//   page.showAll(image);
//   fieldCaption(page.definition(), i);               // "РЕЖИМ РАБОТЫ"
//   fieldText(page.controls()[i], page.states()[i], image); // "Частотный"

#include "config/PageModel.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace flowcfg {

// The control's caption on one line, under its frame's ("ТОЧКА 1 / СОПРОТИВЛЕНИЕ"); an empty
// caption is named by its frame, else by its section. A caption another control of the page
// shares gets its section's caption in front ("ДАННЫЕ ПРИБОРА / ДЕНЬ").
std::string fieldCaption(const PageDefinition& page, std::size_t control);

// The text shown for the control after a show of the image: a list's item for its code (the
// code itself when no item stands for it, not the item the list kept), an indicator's
// "вкл" / "выкл", a bit grid row's word and its lit columns ("0x0041: Общее разрешение, Ток
// ош 2."), any other field its text. A table is printed cell by cell by tableCellText.
std::string fieldText(const ControlSpec& def, const ControlState& state, DeviceImage& image);

// A table cell (row and column of the values, from 0) as shown, and its caption: the column's
// header and the row number ("Gi 3").
std::string tableCellText(const ControlSpec& def, const ControlState& state, std::size_t row,
                          std::size_t column);
std::string tableCellCaption(const ControlSpec& def, std::size_t row, std::size_t column);

// A page named without the "НАСТРОЙКИ РАБОТЫ/" its configuration pages share: "ВЫХОД 1",
// "ВНЕШН. ДАТЧИКИ/ТЕМПЕРАТУРА".
std::string_view pageTitle(std::string_view path);

} // namespace flowcfg
