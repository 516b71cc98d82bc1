#include "config/ProfileComparison.h"

#include "config/FieldText.h"
#include "config/PageRegistry.h"
#include "model/Encodings.h"
#include "profiles/ProfileTables.h"
#include "profiles/ProfileValueText.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <type_traits>
#include <variant>

namespace flowcfg {

namespace {

std::uintptr_t addressOf(const ValueRef& ref) {
    return std::visit([](auto* p) { return reinterpret_cast<std::uintptr_t>(p); }, ref);
}

// Where a page shows a value: a control, and for a table its cell.
struct Place {
    std::size_t page = 0, control = 0;
    std::optional<std::size_t> row, column;
};

bool showsAt(const ControlSpec& c, DeviceImage& scratch, std::uintptr_t at, Place& place) {
    if (c.kind == ControlKind::Table) {
        for (std::size_t col = 0; col < c.table.columns.size(); ++col)
            for (std::size_t row = 0; row < c.table.rows; ++row)
                if (addressOf(c.table.columns[col].cell(scratch, row)) == at) {
                    place.row = row;
                    place.column = col;
                    return true;
                }
        return false;
    }
    return (c.member && addressOf(c.member(scratch)) == at) ||
           (c.low && addressOf(c.low(scratch)) == at);
}

// Whether "ЗАП.В ПРИБОР" sends the group: the identity, the service date and the other groups
// a profile does not configure are never written from one.
bool wholeWriteSends(GroupId id) {
    return std::ranges::any_of(writeAllLines(), [id](const SequenceLine& line) {
        return std::ranges::any_of(
            line.transfers, [id](const SequenceTransfer& t) { return t.transfer.group == id; });
    });
}

// The section's writes that send the member, with their pauses, among the groups the
// whole-configuration write sends.
std::vector<GroupTransfer> writesOf(const PageDefinition& page, const ControlSpec& c,
                                    ImageMember member) {
    std::vector<GroupTransfer> out;
    if (c.notSent)
        return out;
    const SectionButtons& b = page.sections[c.section].buttons;
    for (const auto transfers : {b.leadingWrites, b.writes})
        for (const GroupTransfer& t : transfers)
            if (writeSends(group(t.group), member) && wholeWriteSends(t.group))
                out.push_back(t);
    return out;
}

// The first place that writes the member, else the first that shows it.
std::optional<Place> placeOf(ImageMember member, DeviceImage& scratch) {
    const std::uintptr_t at = addressOf(member(scratch));
    std::optional<Place> shown;
    const auto& pages = configPages();
    for (std::size_t p = 0; p < pages.size(); ++p)
        for (std::size_t i = 0; i < pages[p]->controls.size(); ++i) {
            Place place{p, i, {}, {}};
            if (!showsAt(pages[p]->controls[i], scratch, at, place))
                continue;
            if (!writesOf(*pages[p], pages[p]->controls[i], member).empty())
                return place;
            if (!shown)
                shown = place;
        }
    return shown;
}

// Every page shown from one image.
struct ShownPages {
    DeviceImage& image;
    std::vector<PageModel> models;

    explicit ShownPages(DeviceImage& shownImage) : image(shownImage) {
        for (const PageDefinition* def : configPages())
            models.emplace_back(*def).showAll(image);
    }
    std::string text(const Place& p) {
        const PageModel& m = models[p.page];
        const ControlSpec& c = m.controls()[p.control];
        if (p.row)
            return tableCellText(c, m.states()[p.control], *p.row, *p.column);
        return fieldText(c, m.states()[p.control], image);
    }
};

bool sameValue(const ValueRef& a, const ValueRef& b) {
    return std::visit(
        [&b](auto* x) {
            using T = std::remove_pointer_t<decltype(x)>;
            return *x == **std::get_if<T*>(&b);
        },
        a);
}

bool isFloat(const ValueRef& ref) {
    return std::holds_alternative<float*>(ref);
}

ProfileRef profileRef(const ValueRef& ref) {
    return std::visit([](auto* p) -> ProfileRef { return p; }, ref);
}

bool filledByRead(ImageMember member, std::span<const GroupId> filled) {
    return std::ranges::any_of(filled,
                               [member](GroupId id) { return readFills(group(id), member); });
}

// Whether every field the transfers send is one the read filled.
bool sendsOnlyRead(std::span<const GroupTransfer> writes, std::span<const GroupId> filled) {
    for (const GroupTransfer& t : writes)
        for (const FieldDescriptor& f : group(t.group).fields)
            if (f.member && writeSends(group(t.group), f.member) && !filledByRead(f.member, filled))
                return false;
    return true;
}

} // namespace

std::vector<Difference> compareImages(DeviceImage& profile, DeviceImage& meter,
                                      std::span<const GroupId> filled, const CarriedKeys* carried,
                                      std::size_t* compared) {
    ShownPages profilePages(profile), meterPages(meter);
    DeviceImage scratch;
    std::vector<Difference> out;
    std::vector<std::optional<Place>> placed;
    std::size_t count = 0;
    for (const ProfileSection& section : profileSections())
        for (const ProfileKey& key : section.keys) {
            if (key.image == nullptr || !(key.flags & key_flags::Load) ||
                !filledByRead(key.image, filled) ||
                (carried && std::ranges::find(*carried, &key) == carried->end()))
                continue;
            ++count;
            const ValueRef fromProfile = key.image(profile), fromMeter = key.image(meter);
            const std::optional<Place> place = placeOf(key.image, scratch);
            Difference d;
            if (place) {
                const PageDefinition& page = *configPages()[place->page];
                const ControlSpec& c = page.controls[place->control];
                d.page = pageTitle(page.path);
                d.caption = place->row ? tableCellCaption(c, *place->row, *place->column)
                                       : fieldCaption(page, place->control);
                d.profileText = profilePages.text(*place);
                d.meterText = meterPages.text(*place);
                d.writes = writesOf(page, c, key.image);
            } else {
                d.page = "профиль [" + std::string(section.name) + "]";
                d.caption = key.key;
                d.profileText = trimBlanks(profileValueText(key.kind, profileRef(fromProfile)));
                d.meterText = trimBlanks(profileValueText(key.kind, profileRef(fromMeter)));
            }
            const bool same = isFloat(fromProfile) ? d.profileText == d.meterText
                                                   : sameValue(fromProfile, fromMeter);
            if (same)
                continue;
            // Two keys of one field (the halves of a number) make one row.
            const auto earlier = std::ranges::find_if(placed, [&](const auto& p) {
                return p && place && p->page == place->page && p->control == place->control &&
                       p->row == place->row && p->column == place->column;
            });
            if (earlier != placed.end()) {
                out[static_cast<std::size_t>(earlier - placed.begin())].members.push_back(
                    key.image);
                continue;
            }
            if (!sendsOnlyRead(d.writes, filled))
                d.writes.clear();
            d.members.push_back(key.image);
            out.push_back(std::move(d));
            placed.push_back(place);
        }
    if (compared != nullptr)
        *compared = count;
    return out;
}

ProfileComparison::ProfileComparison(LinkContext& ctx, const DeviceImage& profile,
                                     std::optional<CarriedKeys> carried)
    : ctx_(ctx), profile_(profile), carried_(std::move(carried)) {}

ComparisonOutcome ProfileComparison::run() {
    ConfigPages pages(ctx_, meter_);
    WholeConfiguration whole(pages);
    whole.progress = progress;
    whole.readSuccessBox = false;
    const WholeOutcome read = whole.readAll();
    ComparisonOutcome out;
    out.end = read.outcome.end;
    if (out.end == OperationEnd::Succeeded)
        out.differences = compareImages(profile_, meter_, read.read,
                                        carried_ ? &*carried_ : nullptr, &out.compared);
    return out;
}

OperationOutcome ProfileComparison::writeChosen(std::span<const Difference> chosen) {
    written_ = meter_;
    WriteOperation op;
    op.success = kChosenWritten;
    std::vector<GroupTransfer> transfers;
    for (const Difference& d : chosen) {
        for (const ImageMember m : d.members)
            copyMember(m, profile_, written_);
        for (const GroupTransfer& t : d.writes)
            if (std::ranges::none_of(transfers,
                                     [&t](const GroupTransfer& w) { return w.group == t.group; }))
                transfers.push_back(t);
    }
    if (transfers.empty())
        return {OperationEnd::Declined, {}, false};
    op.steps = writeSteps(written_, transfers);
    const OperationOutcome outcome = runWriteOperation(ctx_, op);
    if (outcome.end == OperationEnd::Succeeded)
        meter_ = written_;
    return outcome;
}

} // namespace flowcfg
