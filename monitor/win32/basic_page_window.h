// The Basic page (dialog 201): a list view whose rows come from CBasicPage.
#pragma once

#include <windows.h>

#include "basic_page.h"

namespace quill {

class BasicPageWindow {
 public:
  BasicPageWindow(HINSTANCE module, CBasicPage& core) : module_(module), core_(core) {}
  BasicPageWindow(const BasicPageWindow&) = delete;
  BasicPageWindow& operator=(const BasicPageWindow&) = delete;

  // Creates the page as a child of parent; it fills its list at once.
  HWND Create(HWND parent);
  HWND Handle() const { return page_; }
  // Rebuilds the list from the page's logic.
  void Refresh();

 private:
  static INT_PTR CALLBACK DialogProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
  void InsertColumns();

  HINSTANCE module_;
  CBasicPage& core_;
  HWND page_ = nullptr;
};

}  // namespace quill
