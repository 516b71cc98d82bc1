#pragma once
// The measurement and output pages at work: one PageModel per page over the shared device
// image, and the operations of their buttons built from the PageButtons table on the write
// guard (model/WriteGuard.h). The Qt view and the command line both press the buttons here.
//
//   ConfigPages pages(ctx, image);
//   pages.read(*findPageButtons("output1-mode"));   // reopen, read, show, success box
//   pages.write(*findPageButtons("output1-mode"));  // take, protection, confirm, write

#include "config/PageButtons.h"
#include "config/PageModel.h"
#include "config/PageTables.h"
#include "link/LinkContext.h"
#include "model/DeviceImage.h"
#include "model/WriteGuard.h"

#include <array>
#include <vector>

namespace flowcfg {

class ConfigPages {
public:
    ConfigPages(LinkContext& ctx, DeviceImage& image);
    ConfigPages(const ConfigPages&) = delete;
    ConfigPages& operator=(const ConfigPages&) = delete;

    PageModel& page(PageId id) { return pages_[static_cast<std::size_t>(id)]; }
    DeviceImage& image() { return image_; }
    LinkContext& link() { return ctx_; }

    // Shows every section of every page (start-up, a loaded profile).
    void showAll();
    // Shows / takes the button's own section and its other parts.
    void show(const PageButtons& buttons);
    TakeResult take(const PageButtons& buttons);

    // The operations as the write guard runs them; the command line adjusts them (a quiet
    // read before a change).
    ReadOperation readOperation(const PageButtons& buttons);
    WriteOperation writeOperation(const PageButtons& buttons);

    // "ПРОЧИТАТЬ" and "ЗАПИСАТЬ". Busy when another operation holds the link.
    OperationOutcome read(const PageButtons& buttons);
    OperationOutcome write(const PageButtons& buttons);

private:
    LinkContext& ctx_;
    DeviceImage& image_;
    std::vector<PageModel> pages_;
};

} // namespace flowcfg
