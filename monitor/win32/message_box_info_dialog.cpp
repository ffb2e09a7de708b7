#include "message_box_info_dialog.h"

#include "message_box_info.h"
#include "resource_ids.h"

namespace quill {
namespace {

void Finish(HWND dialog, const DialogEnd& end) {
  if (end.ended) EndDialog(dialog, end.result);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    SetActiveWindow(dialog);
    SetFocus(GetDlgItem(dialog, IDC_OK));
    return FALSE;  // keep the focus on OK
  }
  auto* info = reinterpret_cast<CMessageBoxInfo*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (info == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      // Enter presses the default button, OK; Esc (IDCANCEL) is not handled.
      if (LOWORD(wParam) == IDC_OK) {
        Finish(dialog, info->OnOk());
        return TRUE;
      }
      if (LOWORD(wParam) == IDC_CANCEL) {
        Finish(dialog, info->OnCancel());
        return TRUE;
      }
      return FALSE;
    case WM_SYSCOMMAND: {
      const DialogEnd end = info->OnSysCommand(static_cast<uint32_t>(wParam));
      if (!end.ended) return FALSE;
      Finish(dialog, end);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

LockAnswer RunMessageBoxInfo(HINSTANCE module, HWND owner) {
  CMessageBoxInfo info;
  DialogBoxParamW(module, MAKEINTRESOURCEW(IDD_MESSAGEBOX_INFO), owner, DialogProc,
                  reinterpret_cast<LPARAM>(&info));
  return info.Answer();
}

}  // namespace quill
