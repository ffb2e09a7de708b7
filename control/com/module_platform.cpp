#include "module_platform.h"

#include <mutex>

#include "dialog/login_dialog_win32.h"
#include "module.h"
#include "session.h"

namespace quill {

void UseModulePlatform() {
  static std::once_flag once;
  std::call_once(once, [] {
    static Win32LoginDialog dialog(ModuleInstance());
    ControlPorts().dialog = &dialog;
  });
}

}  // namespace quill
