#include "module_platform.h"

#include <mutex>

#include "dialog/login_dialog_win32.h"
#include "library_lock.h"
#include "module.h"
#include "session.h"

namespace quill {

void UseModulePlatform() {
  static std::once_flag once;
  std::call_once(once, [] {
    static Win32LoginDialog dialog(ModuleInstance());
    const LibraryLock lock;  // the control's ports are read by members on other threads
    ControlPorts().dialog = &dialog;
  });
}

}  // namespace quill
