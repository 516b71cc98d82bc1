// groups, get and set: the measurement and output pages without a window. A group is one
// read/write button pair of a page; get presses its read button and prints what the read
// filled, set reads the group, changes the named fields the way the page's controls would
// and presses its write button (the same take rules, protection check, question and write
// sequence). The fields not named go back exactly as read: the page model gives a control
// the user did not touch its value as shown, not its display text read back.
//
//   flowcfg-cli groups
//   flowcfg-cli get output1-frequency
//   flowcfg-cli --yes set output1-frequency f_max=9000 f_flow_v_max=50.5

#include "cli/CliNumbers.h"
#include "cli/Commands.h"
#include "config/ConfigPages.h"

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

std::vector<Field> fieldsOf(ConfigPages& pages, PagePart group) {
    std::vector<Field> fields;
    for (const PagePart& part : partsOf(group)) {
        PageModel& page = pages.page(part.page);
        for (std::size_t i = 0; i < page.controls().size(); ++i)
            if (page.controls()[i].section == part.section)
                fields.push_back({&page, &page.controls()[i], &page.states()[i]});
    }
    return fields;
}

bool settable(const ControlSpec& def) {
    return def.kind != ControlKind::Value && def.kind != ControlKind::Label;
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

PagePart groupNamed(const std::string& name) {
    if (const auto part = findButtons(name))
        return *part;
    throw UsageError("no group \"" + name + "\" (flowcfg-cli groups lists them)");
}

void listGroups(Session& session) {
    for (const PagePart& group : allButtons()) {
        session.out << buttonsOf(group).name << "\t" << group.page << ": "
                    << sectionOf(group).caption << '\n';
        for (const PagePart& part : partsOf(group))
            for (const ControlSpec& def : findPage(part.page)->controls)
                if (def.section == part.section)
                    session.out << "  " << def.id << "\t" << kindText(def) << '\n';
    }
}

// The fields the group's read filled.
void printFields(Session& session, ConfigPages& pages, PagePart group) {
    for (const Field& f : fieldsOf(pages, group)) {
        if (!readShows(buttonsOf(group), *f.def))
            continue;
        session.out << f.def->id << " = ";
        switch (f.def->kind) {
        case ControlKind::List: {
            const std::uint16_t code = listCode(*f.def, pages.image());
            session.out << code;
            if (const auto item = itemWithCode(f.def->rule, code, f.def->items.size()))
                session.out << " (" << f.def->items[*item] << ")";
            break;
        }
        case ControlKind::Indicator:
            session.out << (f.state->on ? 1 : 0) << " (" << f.state->twin << ")";
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

void getGroup(Session& session, const std::string& name) {
    const PagePart group = groupNamed(name);
    DeviceImage image;
    ConfigPages pages(session.link(), image);
    if (finished(session, pages.read(group)))
        printFields(session, pages, group);
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

// FIELD=VALUE, checked against the group before anything is sent. Texts of number fields
// are checked by the take, like typed ones.
std::vector<Assignment> assignments(ConfigPages& pages, PagePart group,
                                    const std::vector<std::string>& texts) {
    std::vector<Assignment> out;
    const std::vector<Field> fields = fieldsOf(pages, group);
    for (const std::string& text : texts) {
        const auto eq = text.find('=');
        if (eq == std::string::npos || eq == 0)
            throw UsageError("\"" + text + "\" is not FIELD=VALUE");
        const std::string name = text.substr(0, eq), value = text.substr(eq + 1);
        const auto f = std::find_if(fields.begin(), fields.end(),
                                    [&](const Field& x) { return x.def->id == name; });
        if (f == fields.end())
            throw UsageError("group " + std::string(buttonsOf(group).name) + " has no field \"" +
                             name + "\"");
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
    if (out.empty())
        throw UsageError("set: name at least one FIELD=VALUE");
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

void setGroup(Session& session, const std::string& name, const std::vector<std::string>& texts) {
    const PagePart group = groupNamed(name);
    DeviceImage image;
    ConfigPages pages(session.link(), image);
    const std::vector<Assignment> changes = assignments(pages, group, texts);

    // Read the group first, so that the fields not named go back as the meter holds them.
    ReadOperation read = pages.readOperation(group);
    read.success.clear();
    if (!finished(session, runReadOperation(session.link(), read)))
        return;
    for (const Assignment& a : changes)
        apply(image, a);
    if (!finished(session, pages.write(group)))
        return;
    pages.show(group);
    printFields(session, pages, group);
}

} // namespace

void addConfigCommands(CLI::App& app, Session& session) {
    auto* groups = app.add_subcommand(
        "groups", "list the parameter groups of get and set with their fields and codes");
    groups->callback([&session] { listGroups(session); });

    auto* get = app.add_subcommand("get", "read a parameter group and print its fields");
    auto getName = std::make_shared<std::string>();
    get->add_option("GROUP", *getName, "group name (see groups)")->required();
    get->callback([&session, getName] { getGroup(session, *getName); });

    auto* set = app.add_subcommand(
        "set", "read a parameter group, change the named fields and write it back; the other "
               "fields go back exactly as read (the question is answered by --yes)");
    auto setName = std::make_shared<std::string>();
    auto setValues = std::make_shared<std::vector<std::string>>();
    set->add_option("GROUP", *setName, "group name (see groups)")->required();
    set->add_option("FIELD=VALUE", *setValues,
                    "new value of a field; lists take the register code or the item text")
        ->required();
    set->callback([&session, setName, setValues] { setGroup(session, *setName, *setValues); });
}

} // namespace flowcfg
