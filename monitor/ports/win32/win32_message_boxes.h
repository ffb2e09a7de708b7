// Message boxes, owned by the window the caller names. The program tells the
// port which window plays which owner as the windows come and go.
#pragma once

#include <windows.h>

#include "ports/monitor_ports.h"

namespace quill {

class Win32MessageBoxPort : public MessageBoxPort {
 public:
  // Which window stands for `owner` from now on (null: none).
  void SetOwnerWindow(BoxOwner owner, HWND window);
  HWND OwnerWindow(BoxOwner owner) const;

  int Show(BoxOwner owner, const std::u16string& text, const std::u16string& caption,
           uint32_t flags) override;

 private:
  HWND mainWindow_ = nullptr;
  HWND advancedPage_ = nullptr;
  HWND passwordDialog_ = nullptr;
};

}  // namespace quill
