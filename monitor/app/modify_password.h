// CModifyPassword: the Change Password dialog's logic. The Windows dialog
// passes the three edit texts to OnOk when its OK button (kIdcOk) is pressed
// and every WM_SYSCOMMAND to OnSysCommand; Enter and Esc do nothing. Message
// boxes are owned by the dialog and have caption string 152.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "dialog_end.h"
#include "ports/monitor_ports.h"
#include "usb_key.h"

namespace quill {

// How much of each password field is read.
constexpr size_t kPasswordFieldCharacters = 63;
// The longest new password the token takes, in bytes.
constexpr size_t kMaxNewPasswordBytes = 32;
// The dialog's result after a successful change (the OK button's id).
constexpr int kPasswordChangedResult = 1012;

class CModifyPassword {
 public:
  explicit CModifyPassword(const MonitorPorts& ports) : ports_(ports), usbKey_(ports) {}

  // Checks in order (token present, old password, confirmation, length),
  // the first failure shows its message and keeps the dialog open; success
  // shows message 156 and ends the dialog with 1012.
  DialogEnd OnOk(const std::u16string& oldField, const std::u16string& newField,
                 const std::u16string& confirmField);
  // SC_CLOSE ends the dialog with 0; other commands: not ended (default processing).
  DialogEnd OnSysCommand(uint32_t command);

  CUsbKey& usbKey() { return usbKey_; }

 private:
  std::string ReadField(const std::u16string& field);
  void Message(int textId);

  MonitorPorts ports_;
  CUsbKey usbKey_;
};

}  // namespace quill
