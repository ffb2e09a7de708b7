// The login dialog on Windows: template 104 of the module's resources, shown
// modally over the calling thread's active window and driven by a
// LoginDialogController. The message line shows the module's own string
// table in the language the platform picked for it.
#pragma once

#include <windows.h>

#include "control_ports.h"

namespace quill {

class Win32LoginDialog : public LoginDialogPort {
 public:
  // module: the module whose resources hold the template and the strings.
  explicit Win32LoginDialog(HINSTANCE module) : module_(module) {}

  // The dialog's end code: 0 logged in, 2 cancelled or out of attempts;
  // -1 when the dialog cannot be created.
  int Run(LoginDialogController& controller) override;

 private:
  HINSTANCE module_;
};

}  // namespace quill
