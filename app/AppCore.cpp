#include "app/AppCore.h"

namespace flowcfg {

AppCore::AppCore(AppEnvironment env)
    : env_(std::move(env)), devices_(env_.devices, env_.pump, env_.clock),
      link_(devices_, env_.pump, env_.clock, env_.dialogs),
      tools_(ToolSettings::defaults(env_.workDir)), measure_(link_, image_),
      archive_(link_, image_, env_.workDir), config_(link_, image_) {
    link_.settings.workDir = env_.workDir;
    config_.stopPolling = [this] { measure_.stopPolling(); };
}

} // namespace flowcfg
