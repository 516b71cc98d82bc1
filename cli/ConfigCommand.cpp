// groups, get, set and do: the configuration pages without a window. A group is one
// read/write button pair of a page; get presses its read button and prints what the read
// filled, set reads the group, changes the named fields the way the page's controls would
// and presses its write button (the same take rules, protection check, question and write
// sequence). The fields not named go back exactly as read: the page model gives a control
// the user did not touch its value as shown, not its display text read back. do presses a
// command button of a page ("ПРОВЕРИТЬ СВЯЗЬ", "ВКЛ.ОЧИСТКУ", ...). A row of a bit grid is set
// as a whole word (ovld_en=0x0041) or cell by cell (ovld_en.general=1).
//
//   flowcfg-cli groups
//   flowcfg-cli get output1-frequency
//   flowcfg-cli --yes set output1-frequency f_max=9000 f_flow_v_max=50.5
//   flowcfg-cli --yes do restart
//   flowcfg-cli --yes set error-enables ovld_en.general=1 cut_en=0x0000

#include "cli/CliNumbers.h"
#include "cli/Commands.h"
#include "config/ConfigPages.h"
#include "link/LinkSettings.h"
#include "model/Encodings.h"
#include "model/RegisterMap.h"

#include <algorithm>
#include <memory>
#include <optional>
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

// The names of a grid row's columns, or of those whose bits are set in `cells`.
std::string columnNames(const ControlSpec& def, std::optional<std::uint16_t> cells = {}) {
    std::string text;
    for (const BitColumn& c : def.columns)
        if (!cells || (*cells & c.bit) != 0)
            text += (text.empty() ? "" : " ") + std::string(c.name);
    return text;
}

std::string kindText(const ControlSpec& def) {
    if (def.notSent)
        return std::string(kNotSent);
    switch (def.kind) {
    case ControlKind::Float:
        return "number";
    case ControlKind::Integer:
        return def.format == NumberFormat::Hex ? "integer, or hexadecimal after 0x or $"
                                               : "integer";
    case ControlKind::Hex16:
        return "hexadecimal";
    case ControlKind::Indicator:
        return "0 or 1";
    case ControlKind::BitRow:
        return "word (0x0041), or .COLUMN=0 or 1: " + columnNames(def);
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

// A group whose write takes no field the user could name: `set NAME` alone writes it as read.
bool setsNothing(PagePart group, PageList list) {
    const SectionButtons& b = buttonsOf(group, list);
    if (!b.writeTakes)
        return true;
    for (const PagePart& part : partsOf(group, list))
        for (const ControlSpec& def : findPage(part.page, list)->controls)
            if (def.section == part.section && settable(def) && !def.notSent)
                return false;
    return true;
}

void listGroups(Session& session, PageList list) {
    for (const PagePart& group : allButtons(list)) {
        const SectionButtons& b = buttonsOf(group, list);
        session.out << b.name << "\t" << group.page << ": " << sectionOf(group, list).caption
                    << '\n';
        if (!b.writes.empty() && setsNothing(group, list))
            session.out << "  (its write sends the values as read: set " << b.name
                        << " takes no field)\n";
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
        case ControlKind::BitRow:
            session.out << formatHex16(f.state->cells);
            if (f.state->cells != 0)
                session.out << " (" << columnNames(*f.def, f.state->cells) << ")";
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
        session.fail(kExitDeclined, "Ничего не записано.");
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

// A grid row's word: a number up to 0xFFFF.
std::uint16_t rowWord(const ControlSpec& def, const std::string& value) {
    if (const auto word = parseCliNumber(value); word && *word <= 0xFFFF)
        return static_cast<std::uint16_t>(*word);
    throw UsageError(std::string(def.id) + ": \"" + value + "\" is not " + kindText(def));
}

struct Assignment {
    Field field;
    std::string value;
    std::optional<std::size_t> column = {}; // FIELD.COLUMN of a grid row
};

// The field named, or the grid row and column of FIELD.COLUMN.
std::pair<std::vector<Field>::const_iterator, std::optional<std::size_t>>
namedField(const std::vector<Field>& fields, std::string_view owner, const std::string& name) {
    const auto byId = [&fields](std::string_view id) {
        return std::find_if(fields.begin(), fields.end(),
                            [&](const Field& x) { return x.def->id == id; });
    };
    if (const auto f = byId(name); f != fields.end())
        return {f, std::nullopt};
    const auto dot = name.rfind('.');
    if (dot != std::string::npos)
        if (const auto f = byId(std::string_view(name).substr(0, dot)); f != fields.end()) {
            const auto& columns = f->def->columns;
            for (std::size_t c = 0; c < columns.size(); ++c)
                if (columns[c].name == std::string_view(name).substr(dot + 1))
                    return {f, c};
            if (f->def->kind == ControlKind::BitRow)
                throw UsageError(std::string(f->def->id) + " has no column \"" +
                                 name.substr(dot + 1) + "\" (" + columnNames(*f->def) + ")");
        }
    throw UsageError(std::string(owner) + " has no field \"" + name + "\"");
}

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
        const auto [f, column] = namedField(fields, owner, name);
        if (!settable(*f->def))
            throw UsageError(name + " is read only");
        if (f->def->notSent)
            throw UsageError(name + " is " + std::string(kNotSent));
        if (f->def->kind == ControlKind::List)
            listItem(*f->def, value);
        if (f->def->kind == ControlKind::Indicator || column)
            indicatorValue(*f->def, value);
        else if (f->def->kind == ControlKind::BitRow)
            rowWord(*f->def, value);
        out.push_back({*f, value, column});
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
    case ControlKind::BitRow: {
        std::uint16_t& word = *std::get<std::uint16_t*>(f.def->member(image));
        if (!a.column) {
            word = rowWord(*f.def, a.value); // the take keeps the bits the cells show
            break;
        }
        const bool lit = (litCells(f.def->columns, word) & f.def->columns[*a.column].bit) != 0;
        if (indicatorValue(*f.def, a.value) != lit)
            f.page->click(f.def->id, image, *a.column);
        break;
    }
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

    void set(const std::string& name, const std::vector<std::string>& texts, bool keepLink) {
        const PagePart group = groupNamed(name);
        const SectionButtons& b = buttonsOf(group, list_);
        if (b.writes.empty())
            throw UsageError("group " + name + " has no write: get reads it");
        const bool asRead = setsNothing(group, list_);
        if (!b.writeTakes && !texts.empty())
            throw UsageError("group " + name + " writes the values as read: it takes no field");
        DeviceImage image;
        ConfigPages pages(session_.link(), image, list_);
        const std::vector<Field> fields = fieldsOf(pages, partsOf(group, list_));
        const std::vector<Assignment> changes = assignments(fields, "group " + name, texts);
        if (changes.empty() && !asRead)
            throw UsageError("set: name at least one FIELD=VALUE");
        if (b.reads.empty()) {
            requireEveryField(name, fields, changes);
            if (!readUntaken(pages, b.writes, fields))
                return;
            pages.show(group); // the fields that are kept, not sent, as the image holds them
        } else if (!quietRead(session_, pages, group)) {
            return;
        }
        for (const Assignment& a : changes)
            apply(image, a);
        // The network write moves the link; it stays moved even when the lock then fails.
        pages.linkChanged = [this, &pages, keepLink] {
            linkMoved(pages.link().settings, keepLink);
        };
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

    // Where nothing can be read first, nothing may go out as a default: every field that is
    // sent must be named.
    static void requireEveryField(std::string_view owner, const std::vector<Field>& fields,
                                  const std::vector<Assignment>& changes) {
        for (const Field& f : fields)
            if (settable(*f.def) && !f.def->notSent &&
                std::ranges::none_of(changes,
                                     [&](const Assignment& a) { return a.field.def == f.def; }))
                throw UsageError(std::string(owner) + ": name every field; " +
                                 std::string(f.def->id) + " is missing");
    }

    // What a write sends that none of its fields takes (the number that goes with a chosen
    // date) is read from the meter first, by the first group of the map that reads it, so it
    // goes back as the meter holds it and not as a default.
    bool readUntaken(ConfigPages& pages, std::span<const GroupTransfer> writes,
                     const std::vector<Field>& fields) {
        DeviceImage& image = pages.image();
        const auto at = [&image](ImageMember m) {
            return m == nullptr ? nullptr
                                : std::visit([](auto* p) -> const void* { return p; }, m(image));
        };
        std::vector<GroupTransfer> reads;
        for (const GroupTransfer& w : writes)
            for (const FieldDescriptor& sent : group(w.group).fields) {
                const void* where = at(sent.member);
                if (where == nullptr || std::ranges::any_of(fields, [&](const Field& f) {
                        return at(f.def->member) == where || at(f.def->low) == where;
                    }))
                    continue;
                for (const GroupDescriptor& g : registerMap())
                    if (g.readable() && readFills(g, sent.member)) {
                        if (std::ranges::none_of(
                                reads, [&](const GroupTransfer& r) { return r.group == g.id; }))
                            reads.push_back({.group = g.id, .pauseBeforeMs = 100});
                        break;
                    }
            }
        if (reads.empty())
            return true;
        ReadOperation read;
        read.steps = readSteps(image, reads);
        return finished(session_, runReadOperation(session_.link(), read));
    }

    // The link settings to use from now on, and with keepLink the same in dev.dat of --dir
    // (its other keys as they are).
    void linkMoved(const LinkSettings& now, bool keepLink) {
        const char parity[] = {'N', 'O', 'E'};
        session_.out << "link from now on: --baud " << baudOfSpeedIndex(now.speedIndex)
                     << " --parity " << (now.parity < 3 ? parity[now.parity] : 'N') << " --address "
                     << now.NetAdrr << '\n';
        if (!keepLink)
            return;
        LinkSettings file = readLinkSettings(session_.options.dir);
        file.speedIndex = now.speedIndex;
        file.parity = now.parity;
        file.NetAdrr = now.NetAdrr;
        std::string error;
        if (writeLinkSettings(file, &error))
            session_.out << "dev.dat: Settings=" << composeSettingsText(now.speedIndex, now.parity)
                         << " NetAdrr=" << now.NetAdrr << '\n';
        else
            session_.fail(kExitUsage, "dev.dat: " + error);
    }

    // A button that takes its section: the fields not named are read first where the section
    // has a read; where it has none, every field must be named.
    bool prepareTake(ConfigPages& pages, CommandRef ref, const std::vector<Field>& fields,
                     const std::vector<Assignment>& changes) {
        const SectionButtons& b = buttonsOf(ref.part, list_);
        if (b.reads.empty())
            requireEveryField(commandOf(ref, list_).name, fields, changes);
        else if (!quietRead(session_, pages, ref.part))
            return false;
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
               "fields go back exactly as read (the question is answered by --yes); a group "
               "that takes no field is written back as read. A group "
               "the meter cannot read back (network, service-date) needs every field named. "
               "After set network the meter answers at its new address, speed and parity: "
               "the line \"link from now on: --baud B --parity P --address A\" gives the "
               "options to reach it (even when the lock at the new settings then fails)");
    auto setName = std::make_shared<std::string>();
    auto setValues = std::make_shared<std::vector<std::string>>();
    auto keepLink = std::make_shared<bool>(false);
    set->add_option("GROUP", *setName, "group name (see groups)")->required();
    set->add_option("FIELD=VALUE", *setValues,
                    "new value of a field; lists take the register code or the item text, a row of "
                    "a bit grid a word (ovld_en=0x0041) or one cell (ovld_en.general=1)");
    set->add_flag("--update-dev-dat", *keepLink,
                  "after set network: also write the new speed, parity and address into dev.dat "
                  "of --dir, so later runs reach the meter without options");
    set->callback([commands, setName, setValues, keepLink] {
        commands->set(*setName, *setValues, *keepLink);
    });

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
