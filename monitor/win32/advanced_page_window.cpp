#include "advanced_page_window.h"

#include "resource_ids.h"

namespace quill {

HWND AdvancedPageWindow::Create(HWND parent) {
  return CreateDialogParamW(module_, MAKEINTRESOURCEW(IDD_ADVANCED_PAGE), parent, DialogProc,
                            reinterpret_cast<LPARAM>(this));
}

void AdvancedPageWindow::Refresh() {
  if (page_ == nullptr) return;
  const AdvancedPageStates states = core_.RefreshStates();
  EnableWindow(GetDlgItem(page_, IDC_FIX_IE32), states.fixIe32Enabled);
  EnableWindow(GetDlgItem(page_, IDC_FIX_IE64), states.fixIe64Enabled);
  EnableWindow(GetDlgItem(page_, IDC_FIREFOX), states.firefoxEnabled);
  EnableWindow(GetDlgItem(page_, IDC_CHROME), states.chromeEnabled);
  CheckDlgButton(page_, IDC_AUTOSTART, states.autoStartChecked ? BST_CHECKED : BST_UNCHECKED);
}

void AdvancedPageWindow::OnCommand(int control, int notification) {
  if (control == IDC_AUTOSTART) {  // any notification of the check box
    core_.OnAutoStartChanged(IsDlgButtonChecked(page_, IDC_AUTOSTART) == BST_CHECKED);
    return;
  }
  if (notification != BN_CLICKED) return;
  if (control == IDC_FIX_IE32 || control == IDC_FIX_IE64 || control == IDC_FIREFOX ||
      control == IDC_CHROME || control == IDC_SAVE) {
    if (core_.OnCommand(control)) {
      InvalidateRect(page_, nullptr, TRUE);
      UpdateWindow(page_);
    }
  }
}

INT_PTR CALLBACK AdvancedPageWindow::DialogProc(HWND page, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<AdvancedPageWindow*>(lParam);
    SetWindowLongPtrW(page, DWLP_USER, lParam);
    self->page_ = page;
    self->boxes_.SetOwnerWindow(BoxOwner::kAdvancedPage, page);
    self->Refresh();
    return TRUE;
  }
  auto* self = reinterpret_cast<AdvancedPageWindow*>(GetWindowLongPtrW(page, DWLP_USER));
  if (self == nullptr) return FALSE;
  if (message == WM_COMMAND) {
    self->OnCommand(LOWORD(wParam), HIWORD(wParam));
    return TRUE;
  }
  if (message == WM_DESTROY) {
    self->boxes_.SetOwnerWindow(BoxOwner::kAdvancedPage, nullptr);
    self->page_ = nullptr;
  }
  return FALSE;
}

}  // namespace quill
