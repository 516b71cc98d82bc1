#include "config/ConfigPages.h"

#include "config/ScreenPaths.h"
#include "model/GroupIo.h"
#include "model/RegisterMap.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace flowcfg {

std::vector<PagePart> partsOf(PagePart part, PageList pages) {
    std::vector<PagePart> parts{part};
    const SectionButtons& b = buttonsOf(part, pages);
    parts.insert(parts.end(), b.alsoParts.begin(), b.alsoParts.end());
    return parts;
}

bool readShows(std::span<const GroupTransfer> reads, const ControlSpec& def) {
    return def.member == nullptr || std::ranges::any_of(reads, [&](const GroupTransfer& t) {
               return readFills(group(t.group), def.member);
           });
}

bool readShows(const SectionButtons& buttons, const ControlSpec& def) {
    return readShows(buttons.reads, def);
}

ConfigPages::ConfigPages(LinkContext& ctx, DeviceImage& image, PageList definitions)
    : ctx_(ctx), image_(image), definitions_(definitions) {
    pages_.reserve(definitions_.size());
    for (const PageDefinition* def : definitions_)
        pages_.emplace_back(*def);
}

PageModel& ConfigPages::page(std::string_view path) {
    for (PageModel& p : pages_)
        if (p.definition().path == path)
            return p;
    throw std::out_of_range("no configuration page " + std::string(path));
}

const PageSection& ConfigPages::sectionOf(PagePart part) const {
    return flowcfg::sectionOf(part, definitions_);
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

void ConfigPages::showSummaryPages() {
    const std::string prefix = std::string(pages::allSettings) + "/";
    for (PageModel& p : pages_)
        if (p.definition().path.starts_with(prefix))
            p.showAll(image_);
}

void ConfigPages::showSummaries() {
    showSummaryPages();
    if (changed)
        changed();
}

void ConfigPages::show(PagePart part) {
    for (const PagePart& p : partsOf(part, definitions_))
        page(p.page).show(image_, p.section);
}

TakeResult ConfigPages::take(PagePart part) {
    TakeResult result = TakeResult::Taken;
    for (const PagePart& p : partsOf(part, definitions_))
        if (page(p.page).take(image_, ctx_.dialogs, p.section) == TakeResult::ParseFailed) {
            result = TakeResult::ParseFailed;
            break;
        }
    showSummaryPages(); // the fields taken before a bad one are in the image too
    return result;
}

std::function<void()> ConfigPages::startOf(bool stopsPolling) {
    if (!stopsPolling)
        return {};
    return [this] {
        if (stopPolling)
            stopPolling();
    };
}

std::function<void()> ConfigPages::hookOf(ButtonHook hook, PagePart part) {
    if (hook == nullptr)
        return {};
    return [this, hook, part] { hook(*this, part); };
}

ReadOperation ConfigPages::readOf(std::span<const GroupTransfer> reads,
                                  std::vector<PagePart> parts) {
    ReadOperation op;
    op.steps = readSteps(image_, reads);
    op.show = [this, parts = std::move(parts)] {
        for (const PagePart& p : parts)
            page(p.page).show(image_, p.section);
        showSummaries();
    };
    return op;
}

// The guard of a write and the rules around it, which both kinds of button carry under the
// same names.
template <class Button>
WriteOperation ConfigPages::guardedWrite(const Button& button, PagePart part) {
    WriteOperation op;
    op.checksProtection = button.checksProtection;
    op.order = button.order;
    op.confirmation = button.confirmation;
    op.guard = button.guard;
    op.onStart = startOf(button.stopsPolling);
    op.beforeSteps = hookOf(button.beforeWrites, part);
    op.afterSteps = hookOf(button.afterWrites, part);
    return op;
}

ReadOperation ConfigPages::readOperation(PagePart part) {
    const SectionButtons& b = sectionOf(part).buttons;
    ReadOperation op = readOf(b.reads, partsOf(part, definitions_));
    op.success = b.readSuccess;
    op.onStart = startOf(b.stopsPolling);
    if (b.logsMeasurement)
        op.show = [this, show = std::move(op.show)] {
            show();
            if (logMeasurement)
                logMeasurement();
        };
    if (b.afterReads)
        op.show = [show = std::move(op.show), rule = hookOf(b.afterReads, part)] {
            rule();
            show();
        };
    return op;
}

WriteOperation ConfigPages::writeOperation(PagePart part) {
    const SectionButtons& b = sectionOf(part).buttons;
    WriteOperation op = guardedWrite(b, part);
    op.success = b.writeSuccess;
    op.reportsLock = b.reportsLock;
    if (b.admits != nullptr)
        op.admits = [this, check = b.admits, part] { return check(*this, part); };
    if (b.writeTakes)
        op.take = [this, part] { return take(part) == TakeResult::Taken; };
    if (b.beforeUnlock)
        op.beforeUnlock = [this, rule = b.beforeUnlock, part] { return rule(*this, part); };
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

bool ConfigPages::isRead(CommandRef ref) const {
    const CommandButton& c = commandOf(ref, definitions_);
    return c.writes.empty() && c.operation == nullptr;
}

ReadOperation ConfigPages::commandReadOperation(CommandRef ref) {
    const CommandButton& c = commandOf(ref, definitions_);
    ReadOperation op = readOf(c.reads, {ref.part});
    op.success = c.success;
    op.onStart = startOf(c.stopsPolling);
    return op;
}

WriteOperation ConfigPages::commandWriteOperation(CommandRef ref) {
    const CommandButton& c = commandOf(ref, definitions_);
    const PagePart part = ref.part;
    if (c.operation != nullptr) {
        WriteOperation op = c.operation();
        op.onStart = startOf(c.stopsPolling);
        return op;
    }
    WriteOperation op = guardedWrite(c, part);
    op.success = c.success;
    if (c.takes)
        op.take = [this, part] {
            const TakeResult r = page(part.page).take(image_, ctx_.dialogs, part.section);
            showSummaryPages();
            return r == TakeResult::Taken;
        };
    op.steps = writeSteps(image_, c.writes);
    if (!c.reads.empty())
        op.readBack = readOf(c.reads, {part});
    return op;
}

OperationOutcome ConfigPages::press(CommandRef ref) {
    if (isRead(ref))
        return runReadOperation(ctx_, commandReadOperation(ref));
    return runWriteOperation(ctx_, commandWriteOperation(ref));
}

} // namespace flowcfg
