// The tray icon's record and the tray menu's position.
#pragma once

// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <string>

namespace quill {

// The record's size as the monitor has always given it: the record without
// its last member, the balloon icon (952 bytes on 32-bit Windows).
constexpr DWORD kTrayIconRecordSize = offsetof(NOTIFYICONDATAW, hBalloonIcon);

// Fills *record for the main window: everything zero, then the window, id 0,
// message, icon and tip flags, the callback message, the icon and the tip
// (at most 127 characters).
void FillTrayIconRecord(HWND window, HICON icon, const std::u16string& tip,
                        NOTIFYICONDATAW* record);

// Where the tray menu opens: the cursor position, with x moved into the work
// area of the nearest monitor when the point lies outside every monitor.
POINT TrayMenuPoint(POINT cursor);

// The x of a point moved into [left, right) of a work area.
LONG ClampIntoWorkArea(LONG x, const RECT& workArea);

}  // namespace quill
