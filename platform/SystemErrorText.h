#pragma once
// What went wrong in a system call, in Russian words a user can act on: messages about files
// and ports are shown in the window and on the command line, where strerror() would speak
// English.

#include <string>

namespace flowcfg {

// The text of an errno value, without a full stop: "нет доступа", "нет места на диске".
// Values without a text of their own give "системная ошибка N".
std::string systemErrorText(int err);

} // namespace flowcfg
