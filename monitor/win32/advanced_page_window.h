// The Advanced page (dialog 203): its buttons' states and actions come from
// CAdvancedPage; its message boxes are owned by the page.
#pragma once

#include <windows.h>

#include "advanced_page.h"
#include "win32_message_boxes.h"

namespace quill {

class AdvancedPageWindow {
 public:
  AdvancedPageWindow(HINSTANCE module, CAdvancedPage& core, Win32MessageBoxPort& boxes)
      : module_(module), core_(core), boxes_(boxes) {}
  AdvancedPageWindow(const AdvancedPageWindow&) = delete;
  AdvancedPageWindow& operator=(const AdvancedPageWindow&) = delete;

  // Creates the page as a child of parent; it shows its states at once.
  HWND Create(HWND parent);
  HWND Handle() const { return page_; }
  // Enables and checks the controls as the page's logic says.
  void Refresh();

 private:
  static INT_PTR CALLBACK DialogProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int control, int notification);

  HINSTANCE module_;
  CAdvancedPage& core_;
  Win32MessageBoxPort& boxes_;
  HWND page_ = nullptr;
};

}  // namespace quill
