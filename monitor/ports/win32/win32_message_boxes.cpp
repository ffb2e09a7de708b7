#include "win32_message_boxes.h"

#include "wide_text.h"

namespace quill {

void Win32MessageBoxPort::SetOwnerWindow(BoxOwner owner, HWND window) {
  switch (owner) {
    case BoxOwner::kNone:
      break;
    case BoxOwner::kMainWindow:
      mainWindow_ = window;
      break;
    case BoxOwner::kAdvancedPage:
      advancedPage_ = window;
      break;
    case BoxOwner::kPasswordDialog:
      passwordDialog_ = window;
      break;
  }
}

HWND Win32MessageBoxPort::OwnerWindow(BoxOwner owner) const {
  switch (owner) {
    case BoxOwner::kNone:
      return nullptr;
    case BoxOwner::kMainWindow:
      return mainWindow_;
    case BoxOwner::kAdvancedPage:
      return advancedPage_;
    case BoxOwner::kPasswordDialog:
      return passwordDialog_;
  }
  return nullptr;
}

int Win32MessageBoxPort::Show(BoxOwner owner, const std::u16string& text,
                              const std::u16string& caption, uint32_t flags) {
  return MessageBoxW(OwnerWindow(owner), WidePointer(text), WidePointer(caption), flags);
}

}  // namespace quill
