#include <windows.h>

#include <cstring>
#include <string>

#include "monitor_constants.h"
#include "shell_checks.h"
#include "tray_icon.h"

namespace quill {

void RunTrayIconChecks(Checks& checks) {
  checks.Group("tray icon");
  NOTIFYICONDATAW record;
  std::memset(&record, 0x5A, sizeof(record));
  const HWND window = reinterpret_cast<HWND>(0x1234);
  const HICON icon = reinterpret_cast<HICON>(0x5678);
  FillTrayIconRecord(window, icon, u"lumoMonitor", &record);
  checks.Expect(record.cbSize == offsetof(NOTIFYICONDATAW, hBalloonIcon),
                "the size is the record without the balloon icon");
#ifndef _WIN64
  checks.Expect(record.cbSize == 952, "the size is 952 in the 32-bit program");
#endif
  checks.Expect(record.hWnd == window && record.uID == 0 && record.uFlags == 7 &&
                    record.uCallbackMessage == 1029 && record.hIcon == icon,
                "window, id 0, message|icon|tip, WM_USER+5 and the icon");
  checks.Expect(std::wstring(record.szTip) == L"lumoMonitor", "the tip");
  checks.Expect(record.dwState == 0 && record.szInfo[0] == 0 && record.uTimeout == 0 &&
                    record.dwInfoFlags == 0 && record.hBalloonIcon == nullptr,
                "every other member is zero");

  FillTrayIconRecord(window, icon, std::u16string(200, u'x'), &record);
  checks.Expect(std::wstring(record.szTip) == std::wstring(127, L'x'),
                "a long tip is cut to 127 characters and terminated");

  const RECT work = {0, 0, 1024, 738};
  checks.Expect(ClampIntoWorkArea(-40, work) == 0 && ClampIntoWorkArea(1500, work) == 1023 &&
                    ClampIntoWorkArea(500, work) == 500,
                "x is moved into the work area, and kept when inside");
  POINT inside = {100, 100};
  const POINT kept = TrayMenuPoint(inside);
  checks.Expect(kept.x == 100 && kept.y == 100, "a point on a monitor is kept");
  const POINT moved = TrayMenuPoint(POINT{5000, 100});
  checks.Expect(moved.x < 5000 && moved.y == 100,
                "a point right of every monitor moves into the nearest work area");
}

}  // namespace quill
