#pragma once
// The core objects of the window, owned by one object that is made before the window and
// outlives it: the link context over the responsive serial devices, the device image, the
// program's own settings, the measurement panel, the archive controller and the
// configuration pages. The window and its pages only refer to them, so nothing depends on
// the order in which widgets are destroyed.
//
//   AppCore core(env);
//   MainWindow window(core);

#include "app/AppEnvironment.h"
#include "app/ResponsiveSerialDevices.h"
#include "archive/ArchiveController.h"
#include "config/ConfigPages.h"
#include "link/LinkContext.h"
#include "measure/MeasurePanel.h"
#include "model/DeviceImage.h"
#include "profiles/ToolSettings.h"

namespace flowcfg {

class AppCore {
public:
    explicit AppCore(AppEnvironment env);
    AppCore(const AppCore&) = delete;
    AppCore& operator=(const AppCore&) = delete;

    AppEnvironment& env() { return env_; }
    LinkContext& link() { return link_; }
    DeviceImage& image() { return image_; }
    ToolSettings& tools() { return tools_; }
    MeasurePanel& measure() { return measure_; }
    ArchiveController& archive() { return archive_; }
    ConfigPages& config() { return config_; }

private:
    AppEnvironment env_;
    ResponsiveSerialDevices devices_; // the environment's devices, events run while reading
    LinkContext link_;
    DeviceImage image_;
    ToolSettings tools_;
    MeasurePanel measure_;
    ArchiveController archive_;
    ConfigPages config_;
};

} // namespace flowcfg
