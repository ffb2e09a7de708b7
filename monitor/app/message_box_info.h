// CMessageBoxInfo: the state of the Information dialog that asks whether to
// lock the workstation. The Windows dialog calls OnOk for kIdcOk (also
// Enter, the default button), OnCancel for kIdcCancel and OnSysCommand for
// every WM_SYSCOMMAND; Esc (IDCANCEL) is not handled. The dialog's own
// result is always 0; the caller reads Answer() afterwards.
#pragma once

#include <cstdint>

#include "dialog_end.h"
#include "ports/monitor_ports.h"

namespace quill {

class CMessageBoxInfo {
 public:
  DialogEnd OnOk();
  DialogEnd OnCancel();
  // SC_CLOSE (close button, Alt+F4) ends the dialog with neither flag set;
  // other commands: not ended (default processing).
  DialogEnd OnSysCommand(uint32_t command);

  bool okPressed() const { return okPressed_ != 0; }
  bool cancelPressed() const { return cancelPressed_ != 0; }
  LockAnswer Answer() const;

 private:
  uint8_t okPressed_ = 0;
  uint8_t cancelPressed_ = 0;
};

}  // namespace quill
