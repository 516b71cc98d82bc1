#include "config/ConfigPages.h"

#include "model/GroupIo.h"

namespace flowcfg {

ConfigPages::ConfigPages(LinkContext& ctx, DeviceImage& image) : ctx_(ctx), image_(image) {
    pages_.reserve(kPageCount);
    for (std::size_t i = 0; i < kPageCount; ++i)
        pages_.emplace_back(pageDefinition(static_cast<PageId>(i)));
}

void ConfigPages::showAll() {
    for (PageModel& p : pages_)
        p.showAll(image_);
}

void ConfigPages::show(const PageButtons& buttons) {
    page(buttons.page).show(image_, buttons.section);
    for (const PagePart& part : buttons.alsoParts)
        page(part.page).show(image_, part.section);
}

TakeResult ConfigPages::take(const PageButtons& buttons) {
    if (page(buttons.page).take(image_, ctx_.dialogs, buttons.section) == TakeResult::ParseFailed)
        return TakeResult::ParseFailed;
    for (const PagePart& part : buttons.alsoParts)
        if (page(part.page).take(image_, ctx_.dialogs, part.section) == TakeResult::ParseFailed)
            return TakeResult::ParseFailed;
    return TakeResult::Taken;
}

ReadOperation ConfigPages::readOperation(const PageButtons& buttons) {
    ReadOperation op;
    op.steps = readSteps(image_, buttons.reads);
    op.success = buttons.readSuccess;
    op.show = [this, &buttons] { show(buttons); };
    return op;
}

WriteOperation ConfigPages::writeOperation(const PageButtons& buttons) {
    WriteOperation op;
    op.checksProtection = buttons.checksProtection;
    op.confirmation = buttons.confirmation;
    op.success = buttons.writeSuccess;
    op.take = [this, &buttons] { return take(buttons) == TakeResult::Taken; };
    if (!buttons.leadingWrites.empty()) {
        // One step: its groups stop at their first failure, whose box is shown before the
        // button's own groups are written all the same.
        OperationStep leading;
        leading.exchange = [steps = writeSteps(image_, buttons.leadingWrites)](LinkContext& c) {
            return runSteps(c, steps);
        };
        leading.onFailure = OnFailure::ReportAndContinue;
        op.steps.push_back(std::move(leading));
    }
    for (OperationStep& s : writeSteps(image_, buttons.writes))
        op.steps.push_back(std::move(s));
    return op;
}

OperationOutcome ConfigPages::read(const PageButtons& buttons) {
    return runReadOperation(ctx_, readOperation(buttons));
}

OperationOutcome ConfigPages::write(const PageButtons& buttons) {
    return runWriteOperation(ctx_, writeOperation(buttons));
}

} // namespace flowcfg
