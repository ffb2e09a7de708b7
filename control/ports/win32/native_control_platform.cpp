// The control on Windows: the ANSI code page, the IP helper's adapter list
// and the system clock. The dialog is the COM server's: until it puts its
// own port in place of this one, the dialog cannot be shown.
#include "ports/win32/ansi_text_codec.h"
#include "ports/win32/system_seconds_clock.h"
#include "ports/win32/win32_adapter_list.h"
#include "session.h"

namespace quill {
namespace {

class NoLoginDialog : public LoginDialogPort {
 public:
  int Run(LoginDialogController&) override { return -1; }
};

}  // namespace

ControlPlatform& NativeControlPlatform() {
  static AnsiTextCodecPort text;
  static Win32AdapterList adapters;
  static NoLoginDialog dialog;
  static SystemSecondsClock clock;
  static ControlPlatform platform{&text, &adapters, &dialog, &clock};
  return platform;
}

}  // namespace quill
