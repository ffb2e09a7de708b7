// Reading and steering common controls of another process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quill::monitor_driver {

// The texts of every row of a report-view list view, columns 0..columns-1;
// false when the list cannot be read.
bool ReadListRows(HWND list, int columns, std::vector<std::vector<std::wstring>>* rows);

// Selects a tab the way a user does: the control itself notifies its parent
// with TCN_SELCHANGING and TCN_SELCHANGE (TCM_SETCURFOCUS selects in a tab
// control without buttons). With explicitNotify the selection is set with
// TCM_SETCURSEL and a TCN_SELCHANGE record, written into the owner's memory,
// is sent to the parent (Windows delivers it; Wine carries no WM_NOTIFY to
// another process, so there only the first way works). True when the tab is
// selected afterwards.
bool SelectTab(HWND tab, int index, bool explicitNotify);

}  // namespace quill::monitor_driver
