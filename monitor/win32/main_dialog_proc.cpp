#include "main_dialog_proc.h"

#include <commctrl.h>

#include "device_broadcast.h"
#include "monitor_constants.h"
#include "resource_ids.h"

namespace quill {
namespace {

// The result of a message the dialog handled itself.
INT_PTR Handled(HWND dialog, LRESULT result) {
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
  return TRUE;
}

INT_PTR OnNotify(HWND dialog, MainDialogContext& context, const NMHDR* header) {
  if (header == nullptr || header->idFrom != IDC_TAB || header->code != TCN_SELCHANGE) {
    return FALSE;
  }
  const int tab = static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0));
  context.core->OnTabChanged(tab);
  return Handled(dialog, 0);
}

INT_PTR OnDeviceChange(HWND dialog, MainDialogContext& context, WPARAM event, LPARAM data) {
  DeviceRecord record;
  const bool present = ReadDeviceBroadcast(data, &record);
  context.core->OnDeviceChange(static_cast<uint32_t>(event), present ? &record : nullptr);
  return Handled(dialog, TRUE);
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* context = reinterpret_cast<MainDialogContext*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    context->window->Attach(dialog);
    return context->core->OnInitDialog() ? TRUE : FALSE;
  }
  auto* context = reinterpret_cast<MainDialogContext*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (context == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      return context->core->OnCommand(LOWORD(wParam)) ? TRUE : FALSE;
    case WM_NOTIFY:
      return OnNotify(dialog, *context, reinterpret_cast<const NMHDR*>(lParam));
    case WM_DEVICECHANGE:
      return OnDeviceChange(dialog, *context, wParam, lParam);
    case kWmTrayNotify:
      context->core->OnTrayNotify(LOWORD(lParam));
      return Handled(dialog, 0);
    case WM_SYSCOMMAND:
      if (!context->core->OnSysCommand(static_cast<uint32_t>(wParam))) return FALSE;
      return Handled(dialog, 0);
    case WM_TIMER:
      context->core->OnTimer(static_cast<int>(wParam));
      return Handled(dialog, 0);
    default:
      return FALSE;
  }
}

}  // namespace quill
