#include "tray_icon.h"

#include "monitor_constants.h"

namespace quill {

#if !defined(_WIN64)
static_assert(kTrayIconRecordSize == 952, "the 32-bit record size the shell has always seen");
#endif

void FillTrayIconRecord(HWND window, HICON icon, const std::u16string& tip,
                        NOTIFYICONDATAW* record) {
  ZeroMemory(record, sizeof(*record));
  record->cbSize = kTrayIconRecordSize;
  record->hWnd = window;
  record->uID = 0;
  record->uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record->uCallbackMessage = kWmTrayNotify;
  record->hIcon = icon;
  const size_t room = sizeof(record->szTip) / sizeof(record->szTip[0]) - 1;
  const size_t length = tip.size() < room ? tip.size() : room;
  for (size_t i = 0; i < length; ++i) record->szTip[i] = static_cast<wchar_t>(tip[i]);
  record->szTip[length] = L'\0';
}

LONG ClampIntoWorkArea(LONG x, const RECT& workArea) {
  if (x < workArea.left) return workArea.left;
  if (x >= workArea.right)
    return workArea.right > workArea.left ? workArea.right - 1 : workArea.left;
  return x;
}

POINT TrayMenuPoint(POINT cursor) {
  if (MonitorFromPoint(cursor, MONITOR_DEFAULTTONULL) != nullptr) return cursor;
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  const HMONITOR nearest = MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST);
  if (nearest != nullptr && GetMonitorInfoW(nearest, &info)) {
    cursor.x = ClampIntoWorkArea(cursor.x, info.rcWork);
  }
  return cursor;
}

}  // namespace quill
