#pragma once
// The configuration pages at work: one PageModel per page row over the shared device image,
// and the operations of their buttons built from the rows on the write guard
// (model/WriteGuard.h). The Qt view and the command line both press the buttons here.
//
//   ConfigPages pages(ctx, image);
//   const PagePart mode = *findButtons("output1-mode");
//   pages.read(mode);    // reopen, read, show, success box
//   pages.write(mode);   // take, protection, confirm, write
//   pages.press(*findCommand("restart"));
//
// The owner installs the callbacks the rows may ask for: stopPolling (the window stops the
// measurement poll; the command line has none), logMeasurement (the window appends the
// measurement log line) and linkChanged (a page rule changed the link
// settings, the window shows them).

#include "config/PageModel.h"
#include "config/PageRegistry.h"
#include "link/LinkContext.h"
#include "model/DeviceImage.h"
#include "model/RegisterMap.h"
#include "model/WriteGuard.h"

#include <functional>
#include <span>
#include <string_view>
#include <vector>

namespace flowcfg {

class ConfigPages {
public:
    // The pages of the families, or of the given rows (which must outlive the pages).
    ConfigPages(LinkContext& ctx, DeviceImage& image, PageList definitions = configPages());
    ConfigPages(const ConfigPages&) = delete;
    ConfigPages& operator=(const ConfigPages&) = delete;

    // Every page, in the order of the rows.
    std::span<PageModel> pages() { return pages_; }
    PageList definitions() const { return definitions_; }
    // The page at path; std::out_of_range when there is none.
    PageModel& page(std::string_view path);
    DeviceImage& image() { return image_; }
    LinkContext& link() { return ctx_; }

    // Runs after a read has shown the image in the models and before its success box: the
    // window renders its views here, so the box stands over the new values.
    std::function<void()> changed;
    // Runs first in the operations whose row says stopsPolling.
    std::function<void()> stopPolling;
    // Runs after a read whose row says logsMeasurement succeeded, before its box: the window
    // appends the main measurement log line.
    std::function<void()> logMeasurement;
    // Shows changed link settings (the network write's link switch); page rules call it
    // through linkSettingsChanged().
    std::function<void()> linkChanged;
    void linkSettingsChanged() {
        if (linkChanged)
            linkChanged();
    }
    // Shows what a long write is doing now in the status area ("Идет запись параметров
    // обмена"); page rules call it through showProgress().
    std::function<void(std::string_view)> progress;
    void showProgress(std::string_view text) {
        if (progress)
            progress(text);
    }

    // Shows every section of every page (start-up, a loaded profile).
    void showAll();
    // Shows every page section with a control that a read of the group fills, then runs
    // changed (the whole-configuration read, group by group).
    void showGroup(GroupId id);
    // Shows the read-only summary pages of "ВСЕ НАСТРОЙКИ" from the image, then runs changed:
    // after a whole-configuration read or write. A loaded profile shows them with every page
    // (showAll), every read of a page or command after its own parts, and every take right
    // after it (the write that follows sends what they show).
    void showSummaries();
    // Shows / takes the buttons' own section and their other parts.
    void show(PagePart part);
    TakeResult take(PagePart part);

    // The operations as the write guard runs them; the command line adjusts them (a quiet
    // read before a change).
    ReadOperation readOperation(PagePart part);
    WriteOperation writeOperation(PagePart part);

    // "ПРОЧИТАТЬ" and "ЗАПИСАТЬ". Busy when another operation holds the link.
    OperationOutcome read(PagePart part);
    OperationOutcome write(PagePart part);

    // A command button: its write sequence (then its read-back), or its read when it has no
    // writes. Shows and takes only its own section.
    bool isRead(CommandRef ref) const;
    ReadOperation commandReadOperation(CommandRef ref);
    WriteOperation commandWriteOperation(CommandRef ref);
    OperationOutcome press(CommandRef ref);

private:
    void showSummaryPages();
    const PageSection& sectionOf(PagePart part) const;
    // The read of these groups that shows parts (the section's or a command's) and renders.
    ReadOperation readOf(std::span<const GroupTransfer> reads, std::vector<PagePart> parts);
    std::function<void()> startOf(bool stopsPolling);
    std::function<void()> hookOf(ButtonHook hook, PagePart part);
    template <class Button> WriteOperation guardedWrite(const Button& button, PagePart part);

    LinkContext& ctx_;
    DeviceImage& image_;
    PageList definitions_;
    std::vector<PageModel> pages_;
};

// The parts a section's buttons show and take: the section itself first, then its alsoParts.
std::vector<PagePart> partsOf(PagePart part, PageList pages = configPages());

// Whether the buttons' read fills the control's member (a label without a member, which shows
// the page's own text, counts as filled).
bool readShows(const SectionButtons& buttons, const ControlSpec& def);
bool readShows(std::span<const GroupTransfer> reads, const ControlSpec& def);

} // namespace flowcfg
