// groups, get, set and do: the configuration pages without a window. A group is one
// read/write button pair of a page; get presses its read button and prints what the read
// filled, set reads the group, changes the named fields the way the page's controls would
// and presses its write button (the same take rules, protection check, question and write
// sequence). The fields not named go back exactly as read: the page model gives a control
// the user did not touch its value as shown, not its display text read back. do presses a
// command button of a page ("ПРОВЕРИТЬ СВЯЗЬ", "ВКЛ.ОЧИСТКУ", ...).
//
//   flowcfg-cli groups
//   flowcfg-cli get output1-frequency
//   flowcfg-cli --yes set output1-frequency f_max=9000 f_flow_v_max=50.5
//   flowcfg-cli --yes do restart

#include "cli/CliNumbers.h"
#include "cli/Commands.h"
#include "config/ConfigPages.h"
#include "model/RegisterMap.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace flowcfg {

namespace {

struct Field {
    PageModel* page;
    const ControlSpec* def;
    ControlState* state;
};

std::vector<Field> fieldsOf(ConfigPages& pages, std::span<const PagePart> parts) {
    std::vector<Field> fields;
    for (const PagePart& part : parts) {
        PageModel& page = pages.page(part.page);
        for (std::size_t i = 0; i < page.controls().size(); ++i)
            if (page.controls()[i].section == part.section)
                fields.push_back({&page, &page.controls()[i], &page.states()[i]});
    }
    return fields;
}

bool settable(const ControlSpec& def) {
    return def.kind != ControlKind::Value && def.kind != ControlKind::Label &&
           def.kind != ControlKind::Table;
}

constexpr std::string_view kNotSent = "read only: taken, but not written to the meter";

std::string trimmed(std::string text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

std::uint16_t listCode(const ControlSpec& def, DeviceImage& image) {
    return *std::get<std::uint16_t*>(def.member(image));
}

std::string kindText(const ControlSpec& def) {
    if (def.notSent)
        return std::string(kNotSent);
    switch (def.kind) {
    case ControlKind::Float:
        return "number";
    case ControlKind::Integer:
        return "integer";
    case ControlKind::Hex16:
        return "hexadecimal";
    case ControlKind::Indicator:
        return "0 or 1";
    case ControlKind::Value:
    case ControlKind::Label:
        return "read only";
    case ControlKind::Table:
        return "read only table";
    case ControlKind::List:
        break;
    }
    const auto item = [&def](std::size_t i) {
        return std::to_string(codeOfItem(def.rule, i)) + " \"" + std::string(def.items[i]) + "\"";
    };
    if (def.items.size() > 12) // a long run of numbers: its ends
        return item(0) + " .. " + item(def.items.size() - 1);
    std::string text;
    for (std::size_t i = 0; i < def.items.size(); ++i)
        text += (i ? ", " : "") + item(i);
    return text;
}

std::string groupNames(std::span<const GroupTransfer> groups) {
    std::string text;
    for (const GroupTransfer& g : groups)
        text += (text.empty() ? "" : ", ") + std::string(group(g.group).name);
    return text;
}

// What a command button does, in the order it does it, from its row.
std::string describe(const CommandButton& c) {
    std::vector<std::string> steps;
    if (c.stopsPolling)
        steps.emplace_back("stops the measurement poll");
    if (!c.writes.empty()) {
        for (const GuardStage stage : c.order) {
            if (stage == GuardStage::Take && c.takes)
                steps.emplace_back("takes the fields below");
            if (stage == GuardStage::Check && c.checksProtection)
                steps.emplace_back("checks the write protection");
            if (stage == GuardStage::Confirm && !c.confirmation.empty())
                steps.push_back("asks \"" + std::string(c.confirmation) + "\"");
        }
        if (c.guard == GuardKind::Standard || c.guard == GuardKind::NoLockAfter)
            steps.emplace_back("unlocks");
        if (c.guard == GuardKind::CommandUnlock)
            steps.emplace_back("unlocks for the command");
        steps.push_back("writes " + groupNames(c.writes));
        if (c.guard == GuardKind::Standard)
            steps.emplace_back("locks");
        if (c.guard == GuardKind::NoLockAfter)
            steps.emplace_back("leaves the locks lifted");
    }
    if (!c.reads.empty())
        steps.push_back((c.writes.empty() ? "reads " : "reads back ") + groupNames(c.reads));
    steps.push_back(c.success.empty() ? std::string("no box on success")
                                      : "says \"" + std::string(c.success) + "\"");
    std::string text;
    for (const std::string& s : steps)
        text += (text.empty() ? "" : ", ") + s;
    return text;
}

void listFields(Session& session, std::span<const ControlSpec> controls, std::uint8_t section,
                std::span<const GroupTransfer> shownBy = {}) {
    for (const ControlSpec& def : controls)
        if (def.section == section && (shownBy.empty() || readShows(shownBy, def)))
            session.out << "  " << def.id << "\t" << kindText(def) << '\n';
}

void listGroups(Session& session, PageList list) {
    for (const PagePart& group : allButtons(list)) {
        const SectionButtons& b = buttonsOf(group, list);
        session.out << b.name << "\t" << group.page << ": " << sectionOf(group, list).caption
                    << '\n';
        if (!b.writes.empty() && !b.writeTakes)
            session.out << "  (its write sends the values as read: set takes no field)\n";
        for (const PagePart& part : partsOf(group, list))
            listFields(session, findPage(part.page, list)->controls, part.section);
    }
    for (const CommandRef& ref : allCommands(list)) {
        const CommandButton& c = commandOf(ref, list);
        session.out << "do " << c.name << "\t" << ref.part.page << ": \"" << c.caption << "\"\n"
                    << "  " << describe(c) << '\n';
        const auto controls = findPage(ref.part.page, list)->controls;
        if (c.takes)
            listFields(session, controls, ref.part.section);
        else if (!c.reads.empty())
            listFields(session, controls, ref.part.section, c.reads);
    }
}

// A table under its field's line, one line per row, each column right-aligned to its widest
// cell.
void printTable(Session& session, const ControlSpec& def, const ControlState& state) {
    const std::size_t columns = def.table.columns.size() + 1, rows = def.table.rows + 1u;
    std::vector<std::size_t> widths(columns, 0);
    for (std::size_t r = 0; r < rows; ++r)
        for (std::size_t c = 0; c < columns; ++c)
            widths[c] = std::max(widths[c], tableCell(def, state, r, c).size());
    for (std::size_t r = 0; r < rows; ++r) {
        std::string line;
        for (std::size_t c = 0; c < columns; ++c) {
            const std::string_view cell = tableCell(def, state, r, c);
            line += std::string(widths[c] - cell.size() + (c ? 2 : 0), ' ');
            line += cell;
        }
        session.out << '\n' << line;
    }
}

// The fields of a group the reads filled, as the page shows them.
void printFields(Session& session, DeviceImage& image, const std::vector<Field>& fields,
                 std::span<const GroupTransfer> reads) {
    for (const Field& f : fields) {
        if (!readShows(reads, *f.def))
            continue;
        session.out << f.def->id << (f.def->kind == ControlKind::Table ? " =" : " = ");
        switch (f.def->kind) {
        case ControlKind::List: {
            const std::uint16_t code = listCode(*f.def, image);
            session.out << code;
            if (const auto item = itemWithCode(f.def->rule, code, f.def->items.size()))
                session.out << " (" << f.def->items[*item] << ")";
            break;
        }
        case ControlKind::Indicator:
            session.out << (f.state->on ? 1 : 0) << " (" << f.state->twin << ")";
            break;
        case ControlKind::Table:
            printTable(session, *f.def, *f.state);
            break;
        default:
            session.out << trimmed(f.state->text);
            break;
        }
        session.out << '\n';
    }
}

// Ends the command according to how the operation ended; true when it succeeded.
bool finished(Session& session, const OperationOutcome& outcome) {
    switch (outcome.end) {
    case OperationEnd::Succeeded:
        return true;
    case OperationEnd::PortFailed:
        session.exitCode = kExitUsage; // the reason went to err
        return false;
    case OperationEnd::InputRejected:
        session.exitCode = kExitUsage; // the boxes went to err
        return false;
    case OperationEnd::Declined:
        session.fail(kExitDeclined, "nothing written");
        return false;
    case OperationEnd::Busy:
    case OperationEnd::Failed:
        break;
    }
    session.exitCode = kExitExchange; // the failure box went to err
    return false;
}

// The item of a list named by its register code or its text; a code that no item stands for
// exactly is refused, not moved to a neighbour.
std::size_t listItem(const ControlSpec& def, const std::string& value) {
    for (std::size_t i = 0; i < def.items.size(); ++i)
        if (def.items[i] == value)
            return i;
    if (const auto code = parseCliNumber(value); code && *code <= 0xFFFF)
        if (const auto item =
                itemWithCode(def.rule, static_cast<std::uint16_t>(*code), def.items.size()))
            return *item;
    throw UsageError(std::string(def.id) + ": \"" + value + "\" is none of " + kindText(def));
}

bool indicatorValue(const ControlSpec& def, const std::string& value) {
    if (value == "1" || value == "on" || value == kOnText)
        return true;
    if (value == "0" || value == "off" || value == kOffText)
        return false;
    throw UsageError(std::string(def.id) + ": \"" + value + "\" is not 0 or 1");
}

struct Assignment {
    Field field;
    std::string value;
};

// FIELD=VALUE, checked against the fields before anything is sent. Texts of number fields
// are checked by the take, like typed ones.
std::vector<Assignment> assignments(const std::vector<Field>& fields, std::string_view owner,
                                    const std::vector<std::string>& texts) {
    std::vector<Assignment> out;
    for (const std::string& text : texts) {
        const auto eq = text.find('=');
        if (eq == std::string::npos || eq == 0)
            throw UsageError("\"" + text + "\" is not FIELD=VALUE");
        const std::string name = text.substr(0, eq), value = text.substr(eq + 1);
        const auto f = std::find_if(fields.begin(), fields.end(),
                                    [&](const Field& x) { return x.def->id == name; });
        if (f == fields.end())
            throw UsageError(std::string(owner) + " has no field \"" + name + "\"");
        if (!settable(*f->def))
            throw UsageError(name + " is read only");
        if (f->def->notSent)
            throw UsageError(name + " is " + std::string(kNotSent));
        if (f->def->kind == ControlKind::List)
            listItem(*f->def, value);
        if (f->def->kind == ControlKind::Indicator)
            indicatorValue(*f->def, value);
        out.push_back({*f, value});
    }
    return out;
}

// Does what the user would do on the page: type a text, choose an item, click an indicator.
// A named field is parsed by the take even when its text is the one shown.
void apply(DeviceImage& image, const Assignment& a) {
    const Field& f = a.field;
    switch (f.def->kind) {
    case ControlKind::List:
        f.page->choose(f.def->id, listItem(*f.def, a.value));
        break;
    case ControlKind::Indicator:
        if (indicatorValue(*f.def, a.value) != f.state->on)
            f.page->click(f.def->id, image);
        break;
    default:
        f.page->edit(f.def->id, a.value);
        break;
    }
}

// Reads the group without its box, so that the fields not named go back as the meter holds
// them.
bool quietRead(Session& session, ConfigPages& pages, PagePart group) {
    ReadOperation read = pages.readOperation(group);
    read.success.clear();
    return finished(session, runReadOperation(session.link(), read));
}

class PageCommands {
public:
    PageCommands(Session& session, PageList list) : session_(session), list_(list) {}

    void listGroups() { flowcfg::listGroups(session_, list_); }

    void get(const std::string& name) {
        const PagePart group = groupNamed(name);
        const SectionButtons& b = buttonsOf(group, list_);
        if (b.reads.empty())
            throw UsageError("group " + name + " has no read");
        DeviceImage image;
        ConfigPages pages(session_.link(), image, list_);
        if (finished(session_, pages.read(group)))
            printFields(session_, image, fieldsOf(pages, partsOf(group, list_)), b.reads);
    }

    void set(const std::string& name, const std::vector<std::string>& texts) {
        const PagePart group = groupNamed(name);
        const SectionButtons& b = buttonsOf(group, list_);
        if (b.writes.empty())
            throw UsageError("group " + name + " has no write: get reads it");
        if (!b.writeTakes)
            throw UsageError("group " + name + " writes the values as read: it takes no field");
        DeviceImage image;
        ConfigPages pages(session_.link(), image, list_);
        const std::vector<Field> fields = fieldsOf(pages, partsOf(group, list_));
        const std::vector<Assignment> changes = assignments(fields, "group " + name, texts);
        if (changes.empty())
            throw UsageError("set: name at least one FIELD=VALUE");
        if (!quietRead(session_, pages, group))
            return;
        for (const Assignment& a : changes)
            apply(image, a);
        if (!finished(session_, pages.write(group)))
            return;
        pages.show(group);
        printFields(session_, image, fields, b.reads);
    }

    void press(const std::string& name, const std::vector<std::string>& texts) {
        const auto ref = findCommand(name, list_);
        if (!ref)
            throw UsageError("no command \"" + name + "\" (flowcfg-cli groups lists them)");
        const CommandButton& c = commandOf(*ref, list_);
        DeviceImage image;
        ConfigPages pages(session_.link(), image, list_);
        const PagePart own[] = {ref->part};
        const std::vector<Field> fields = fieldsOf(pages, own);
        if (!c.takes && !texts.empty())
            throw UsageError(name + " takes no field");
        if (c.takes && !prepareTake(pages, *ref, fields, assignments(fields, name, texts)))
            return;
        if (finished(session_, pages.press(*ref)) && !c.reads.empty())
            printFields(session_, image, fields, c.reads);
    }

private:
    PagePart groupNamed(const std::string& name) const {
        if (const auto part = findButtons(name, list_))
            return *part;
        throw UsageError("no group \"" + name + "\" (flowcfg-cli groups lists them)");
    }

    // A button that takes its section: the fields not named are read first where the section
    // has a read; where it has none, every field must be named.
    bool prepareTake(ConfigPages& pages, CommandRef ref, const std::vector<Field>& fields,
                     const std::vector<Assignment>& changes) {
        const SectionButtons& b = buttonsOf(ref.part, list_);
        if (b.reads.empty()) {
            for (const Field& f : fields)
                if (settable(*f.def) && !f.def->notSent &&
                    std::ranges::none_of(changes,
                                         [&](const Assignment& a) { return a.field.def == f.def; }))
                    throw UsageError(std::string(commandOf(ref, list_).name) +
                                     ": name every field; " + std::string(f.def->id) +
                                     " is missing");
        } else if (!quietRead(session_, pages, ref.part)) {
            return false;
        }
        for (const Assignment& a : changes)
            apply(pages.image(), a);
        return true;
    }

    Session& session_;
    PageList list_;
};

} // namespace

void addPageCommands(CLI::App& app, Session& session, PageList pages) {
    auto commands = std::make_shared<PageCommands>(session, pages);
    auto* groups = app.add_subcommand("groups", "list the parameter groups of get and set with "
                                                "their fields and codes, and the command buttons "
                                                "of do with what each does");
    groups->callback([commands] { commands->listGroups(); });

    auto* get = app.add_subcommand("get", "read a parameter group and print its fields");
    auto getName = std::make_shared<std::string>();
    get->add_option("GROUP", *getName, "group name (see groups)")->required();
    get->callback([commands, getName] { commands->get(*getName); });

    auto* set = app.add_subcommand(
        "set", "read a parameter group, change the named fields and write it back; the other "
               "fields go back exactly as read (the question is answered by --yes)");
    auto setName = std::make_shared<std::string>();
    auto setValues = std::make_shared<std::vector<std::string>>();
    set->add_option("GROUP", *setName, "group name (see groups)")->required();
    set->add_option("FIELD=VALUE", *setValues,
                    "new value of a field; lists take the register code or the item text")
        ->required();
    set->callback([commands, setName, setValues] { commands->set(*setName, *setValues); });

    auto* press = app.add_subcommand(
        "do", "press a command button of a page (blink, restart, cleaning on/off, ...): what it "
              "does is listed by groups; its question is answered by --yes");
    auto pressName = std::make_shared<std::string>();
    auto pressValues = std::make_shared<std::vector<std::string>>();
    press->add_option("COMMAND", *pressName, "command name (see groups)")->required();
    press->add_option("FIELD=VALUE", *pressValues,
                      "for the buttons that take their page's fields: the fields to change (the "
                      "others are read first)");
    press->callback(
        [commands, pressName, pressValues] { commands->press(*pressName, *pressValues); });
}

void addConfigCommands(CLI::App& app, Session& session) {
    addPageCommands(app, session, configPages());
}

} // namespace flowcfg
