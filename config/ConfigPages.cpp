#include "config/ConfigPages.h"

#include "config/ScreenPaths.h"
#include "model/GroupIo.h"
#include "model/RegisterMap.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace flowcfg {

std::vector<PagePart> partsOf(PagePart part) {
    std::vector<PagePart> parts{part};
    const SectionButtons& b = buttonsOf(part);
    parts.insert(parts.end(), b.alsoParts.begin(), b.alsoParts.end());
    return parts;
}

bool readShows(const SectionButtons& buttons, const ControlSpec& def) {
    return def.member == nullptr || std::ranges::any_of(buttons.reads, [&](const GroupTransfer& t) {
               return readFills(group(t.group), def.member);
           });
}

ConfigPages::ConfigPages(LinkContext& ctx, DeviceImage& image) : ctx_(ctx), image_(image) {
    pages_.reserve(configPages().size());
    for (const PageDefinition* def : configPages())
        pages_.emplace_back(*def);
}

PageModel& ConfigPages::page(std::string_view path) {
    for (PageModel& p : pages_)
        if (p.definition().path == path)
            return p;
    throw std::out_of_range("no configuration page " + std::string(path));
}

void ConfigPages::showAll() {
    for (PageModel& p : pages_)
        p.showAll(image_);
}

void ConfigPages::showGroup(GroupId id) {
    const GroupDescriptor& g = group(id);
    for (PageModel& p : pages_)
        for (std::size_t s = 0; s < p.definition().sections.size(); ++s)
            if (std::ranges::any_of(p.controls(), [&](const ControlSpec& c) {
                    return c.section == s && c.member != nullptr && readFills(g, c.member);
                }))
                p.show(image_, static_cast<std::uint8_t>(s));
    if (changed)
        changed();
}

void ConfigPages::showSummaries() {
    const std::string prefix = std::string(pages::allSettings) + "/";
    for (PageModel& p : pages_)
        if (p.definition().path.starts_with(prefix))
            p.showAll(image_);
    if (changed)
        changed();
}

void ConfigPages::show(PagePart part) {
    for (const PagePart& p : partsOf(part))
        page(p.page).show(image_, p.section);
}

TakeResult ConfigPages::take(PagePart part) {
    for (const PagePart& p : partsOf(part))
        if (page(p.page).take(image_, ctx_.dialogs, p.section) == TakeResult::ParseFailed)
            return TakeResult::ParseFailed;
    return TakeResult::Taken;
}

ReadOperation ConfigPages::readOperation(PagePart part) {
    const SectionButtons& b = buttonsOf(part);
    ReadOperation op;
    op.steps = readSteps(image_, b.reads);
    op.success = b.readSuccess;
    op.show = [this, part] {
        show(part);
        if (changed)
            changed();
    };
    return op;
}

WriteOperation ConfigPages::writeOperation(PagePart part) {
    const SectionButtons& b = buttonsOf(part);
    WriteOperation op;
    op.checksProtection = b.checksProtection;
    op.order = b.order;
    op.confirmation = b.confirmation;
    op.success = b.writeSuccess;
    op.take = [this, part] { return take(part) == TakeResult::Taken; };
    if (!b.leadingWrites.empty()) {
        // One step: its groups stop at their first failure, whose box is shown before the
        // section's own groups are written all the same.
        OperationStep leading;
        leading.exchange = [steps = writeSteps(image_, b.leadingWrites)](LinkContext& c) {
            return runSteps(c, steps);
        };
        leading.onFailure = OnFailure::ReportAndContinue;
        op.steps.push_back(std::move(leading));
    }
    for (OperationStep& s : writeSteps(image_, b.writes))
        op.steps.push_back(std::move(s));
    return op;
}

OperationOutcome ConfigPages::read(PagePart part) {
    return runReadOperation(ctx_, readOperation(part));
}

OperationOutcome ConfigPages::write(PagePart part) {
    return runWriteOperation(ctx_, writeOperation(part));
}

} // namespace flowcfg
