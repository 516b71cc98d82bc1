#include "app/PageView.h"

#include "app/Fonts.h"
#include "app/QtText.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <map>

namespace flowcfg {

namespace {

bool isNumberField(ControlKind kind) {
    return kind == ControlKind::Float || kind == ControlKind::Integer || kind == ControlKind::Hex16;
}

// Lets through only what filterHexInput keeps of a typed text, upper-cased.
class HexInputFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const QString typed = key->text();
        if (typed.isEmpty() || !typed.at(0).isPrint() ||
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false; // editing keys and shortcuts work as usual
        const QString kept = qs(filterHexInput(str(typed)));
        if (kept == typed)
            return false;
        if (!kept.isEmpty())
            static_cast<QLineEdit*>(watched)->insert(kept);
        return true;
    }
};

// The list's own items and, after them, the item that shows a code none of them stands for.
void renderList(QComboBox* list, const ControlSpec& def, const ControlState& state) {
    const auto own = static_cast<int>(def.items.size());
    if (state.otherItem.empty()) {
        while (list->count() > own)
            list->removeItem(own);
    } else if (list->count() == own) {
        list->addItem(qs(state.otherItem));
    } else {
        list->setItemText(own, qs(state.otherItem));
    }
    list->setCurrentIndex(static_cast<int>(state.index));
}

// Pure green when on; the button face of the style when off.
void paintPanel(QWidget* panel, bool on) {
    panel->setStyleSheet(on ? QStringLiteral("background-color: rgb(0, 255, 0);") : QString());
}

// A read-only grid of the table's cells, every one centred, all rows in view.
QTableWidget* makeTable(const ControlSpec& def, QWidget* parent) {
    const int rows = def.table.rows + 1, columns = static_cast<int>(def.table.columns.size()) + 1;
    auto* table = new QTableWidget(rows, columns, parent);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setFont(fixedFont());
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            table->setItem(r, c, item);
        }
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    table->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return table;
}

void renderTable(QTableWidget* table, const ControlSpec& def, const ControlState& state) {
    for (int r = 0; r < table->rowCount(); ++r)
        for (int c = 0; c < table->columnCount(); ++c)
            table->item(r, c)->setText(qs(
                tableCell(def, state, static_cast<std::size_t>(r), static_cast<std::size_t>(c))));
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
}

} // namespace

void installHexInputFilter(QLineEdit* edit) {
    edit->installEventFilter(new HexInputFilter(edit));
}

PageView::PageView(PageModel& model, Actions actions, QWidget* parent)
    : QWidget(parent), model_(model), actions_(std::move(actions)) {
    build();
    render();
}

// A clickable panel: an indicator, or a cell of a bit grid row.
QPushButton* PageView::makePanel(std::string_view id, std::size_t column) {
    auto* panel = new QPushButton(this);
    panel->setFixedSize(28, 22);
    panel->setAutoFillBackground(true);
    connect(panel, &QPushButton::clicked, this, [this, id = std::string(id), column] {
        if (actions_.click)
            actions_.click(id, column);
    });
    return panel;
}

PageView::Row PageView::makeRow(std::size_t index) {
    const ControlSpec& ctl = model_.controls()[index];
    Row row;
    row.caption = new QLabel(qs(ctl.caption), this);
    switch (ctl.kind) {
    case ControlKind::Float:
    case ControlKind::Integer:
    case ControlKind::Hex16: {
        auto* edit = new QLineEdit(this);
        edit->setFont(fixedFont());
        edit->setMinimumWidth(120);
        if (ctl.kind == ControlKind::Hex16)
            installHexInputFilter(edit);
        row.widget = edit;
        break;
    }
    case ControlKind::List: {
        auto* list = new QComboBox(this);
        for (const std::string_view item : ctl.items)
            list->addItem(qs(item));
        if (ctl.items.size() > 20)
            list->setFont(fixedFont()); // the right-aligned numbers line up
        // A choice by the user, even of the item already shown, is an edit: the take then
        // sends that item's code, not the code the list was shown from.
        connect(list, &QComboBox::activated, this, [this, id = std::string(ctl.id)](int index) {
            if (index >= 0)
                model_.choose(id, static_cast<std::size_t>(index));
        });
        row.widget = list;
        break;
    }
    case ControlKind::Indicator:
        row.widget = makePanel(ctl.id, 0);
        row.twin = new QLabel(this);
        break;
    case ControlKind::BitRow:
        for (std::size_t c = 0; c < ctl.columns.size(); ++c) {
            row.cells.push_back(makePanel(ctl.id, c));
            row.cells.back()->setObjectName(qs(ctl.id) + '.' + qs(ctl.columns[c].name));
        }
        row.widget = row.cells.front();
        return row;
    case ControlKind::Value:
    case ControlKind::Label: {
        auto* label = new QLabel(this);
        label->setFont(fixedFont());
        label->setFrameShape(QFrame::StyledPanel);
        label->setMinimumWidth(110);
        row.widget = label;
        break;
    }
    case ControlKind::Table:
        row.widget = makeTable(ctl, this);
        break;
    }
    if (ctl.twin && row.twin == nullptr) {
        row.twin = new QLabel(this);
        row.twin->setFont(fixedFont());
        row.twin->setFrameShape(QFrame::StyledPanel);
        row.twin->setMinimumWidth(110);
    }
    if (!ctl.unit.empty())
        row.unit = new QLabel(qs(ctl.unit), this);
    row.widget->setObjectName(qs(ctl.id));
    return row;
}

void PageView::build() {
    auto* outer = new QVBoxLayout(this);
    const auto sections = model_.definition().sections;
    rows_.resize(model_.controls().size());
    readButtons_.assign(sections.size(), nullptr);
    writeButtons_.assign(sections.size(), nullptr);

    for (std::size_t s = 0; s < sections.size(); ++s) {
        auto* frame = new QGroupBox(qs(sections[s].caption), this);
        frame->setVisible(!sections[s].hidden);
        sectionFrames_.push_back(frame);
        auto* frameLayout = new QVBoxLayout(frame);
        auto* grid = new QGridLayout;
        frameLayout->addLayout(grid);
        // Boxes inside the section, in the order their first control comes.
        std::map<std::string_view, QGridLayout*> boxes;
        // The columns of the grid rows last placed in each layout: a row with others starts
        // under captions of its own.
        std::map<QGridLayout*, const BitColumn*> gridColumns;
        int gridRow = 0;
        for (std::size_t i = 0; i < model_.controls().size(); ++i) {
            const ControlSpec& ctl = model_.controls()[i];
            if (ctl.section != s)
                continue;
            Row row = makeRow(i);
            QGridLayout* target = grid;
            if (!ctl.box.empty()) {
                auto it = boxes.find(ctl.box);
                if (it == boxes.end()) {
                    auto* box = new QGroupBox(qs(ctl.box), frame);
                    auto* boxGrid = new QGridLayout(box);
                    grid->addWidget(box, gridRow++, 0, 1, 4);
                    it = boxes.emplace(ctl.box, boxGrid).first;
                }
                target = it->second;
            }
            if (ctl.kind == ControlKind::BitRow) {
                if (gridColumns[target] != ctl.columns.data()) {
                    const int header = target->rowCount();
                    for (std::size_t c = 0; c < ctl.columns.size(); ++c) {
                        auto* caption = new QLabel(qs(ctl.columns[c].caption), frame);
                        caption->setAlignment(Qt::AlignCenter);
                        target->addWidget(caption, header, static_cast<int>(c) + 1,
                                          Qt::AlignCenter);
                    }
                    gridColumns[target] = ctl.columns.data();
                }
                const int r = target->rowCount();
                target->addWidget(row.caption, r, 0);
                for (std::size_t c = 0; c < row.cells.size(); ++c)
                    target->addWidget(row.cells[c], r, static_cast<int>(c) + 1, Qt::AlignCenter);
                if (target == grid)
                    gridRow = r + 1;
                rows_[i] = row;
                continue;
            }
            gridColumns[target] = nullptr;
            const int r = target->rowCount();
            target->addWidget(row.caption, r, 0);
            target->addWidget(row.widget, r, 1, 1, ctl.kind == ControlKind::Table ? 3 : 1);
            if (row.twin)
                target->addWidget(row.twin, r, 2);
            if (row.unit)
                target->addWidget(row.unit, r, 3);
            if (target == grid)
                gridRow = r + 1;
            rows_[i] = row;
        }
        addButtons(frame, frameLayout, static_cast<std::uint8_t>(s));
        outer->addWidget(frame);
    }
    outer->addStretch();
}

void PageView::addButtons(QWidget* frame, QBoxLayout* layout, std::uint8_t section) {
    const PageSection& sec = model_.definition().sections[section];
    const SectionButtons& b = sec.buttons;
    if (!b.any() && sec.commands.empty())
        return;
    auto* row = new QHBoxLayout;
    const auto button = [&](std::string_view caption, std::function<void()> press) {
        auto* pb = new QPushButton(qs(caption), frame);
        connect(pb, &QPushButton::clicked, this, std::move(press));
        row->addWidget(pb);
        return pb;
    };
    const auto pair = [&](std::string_view caption, const std::function<void(std::uint8_t)>& op) {
        return button(caption, [op, section] {
            if (op)
                op(section);
        });
    };
    if (b.any() && !b.reads.empty())
        readButtons_[section] = pair("ПРОЧИТАТЬ", actions_.read);
    if (b.any() && !b.writes.empty())
        writeButtons_[section] = pair("ЗАПИСАТЬ", actions_.write);
    const PagePart part{model_.definition().path, section};
    for (std::size_t i = 0; i < sec.commands.size(); ++i) {
        const CommandRef ref{part, static_cast<std::uint8_t>(i)};
        QPushButton* pb = button(sec.commands[i].caption, [this, ref] {
            if (actions_.command)
                actions_.command(ref);
        });
        pb->setObjectName(qs(sec.commands[i].name));
        commandButtons_.push_back(pb);
    }
    row->addStretch();
    layout->addLayout(row);
}

void PageView::collect() {
    const auto defs = model_.controls();
    auto states = model_.states();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (isNumberField(defs[i].kind))
            states[i].text = str(static_cast<QLineEdit*>(rows_[i].widget)->text());
        else if (defs[i].kind == ControlKind::List) {
            const int index = static_cast<QComboBox*>(rows_[i].widget)->currentIndex();
            if (index >= 0)
                states[i].index = static_cast<std::size_t>(index);
        }
    }
}

void PageView::render() {
    const auto defs = model_.controls();
    const auto states = model_.states();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const Row& row = rows_[i];
        const ControlState& st = states[i];
        switch (defs[i].kind) {
        case ControlKind::Float:
        case ControlKind::Integer:
        case ControlKind::Hex16: {
            auto* edit = static_cast<QLineEdit*>(row.widget);
            if (edit->text() != qs(st.text)) {
                edit->setText(qs(st.text));
                edit->setCursorPosition(0); // the number, not the blanks that pad it
            }
            break;
        }
        case ControlKind::List:
            renderList(static_cast<QComboBox*>(row.widget), defs[i], st);
            break;
        case ControlKind::Indicator:
            paintPanel(row.widget, st.colour == IndicatorColour::Green);
            break;
        case ControlKind::BitRow:
            for (std::size_t c = 0; c < row.cells.size(); ++c) {
                paintPanel(row.cells[c], (st.cells & defs[i].columns[c].bit) != 0);
                row.cells[c]->setVisible(st.visible);
            }
            break;
        case ControlKind::Value:
        case ControlKind::Label:
            static_cast<QLabel*>(row.widget)->setText(qs(st.text));
            break;
        case ControlKind::Table:
            renderTable(static_cast<QTableWidget*>(row.widget), defs[i], st);
            break;
        }
        if (row.twin)
            row.twin->setText(qs(st.twin));
        for (QWidget* w : {static_cast<QWidget*>(row.caption), row.widget,
                           static_cast<QWidget*>(row.twin), static_cast<QWidget*>(row.unit)})
            if (w)
                w->setVisible(st.visible);
    }
}

QWidget* PageView::control(std::string_view id) const {
    const std::size_t i = model_.find(id);
    return i < rows_.size() ? rows_[i].widget : nullptr;
}

QPushButton* PageView::cell(std::string_view id, std::size_t column) const {
    const std::size_t i = model_.find(id);
    return i < rows_.size() && column < rows_[i].cells.size() ? rows_[i].cells[column] : nullptr;
}

QLabel* PageView::twin(std::string_view id) const {
    const std::size_t i = model_.find(id);
    return i < rows_.size() ? rows_[i].twin : nullptr;
}

QPushButton* PageView::readButton(std::uint8_t section) const {
    return section < readButtons_.size() ? readButtons_[section] : nullptr;
}

QPushButton* PageView::writeButton(std::uint8_t section) const {
    return section < writeButtons_.size() ? writeButtons_[section] : nullptr;
}

QPushButton* PageView::commandButton(std::string_view name) const {
    for (QPushButton* b : commandButtons_)
        if (b->objectName() == qs(name))
            return b;
    return nullptr;
}

} // namespace flowcfg
