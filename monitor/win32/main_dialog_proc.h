// The main dialog's message routing: each message of the main window goes,
// translated, to the matching entry point of CMainDlg.
#pragma once

#include <windows.h>

#include "main_dlg.h"
#include "main_window.h"

namespace quill {

struct MainDialogContext {
  Win32MainWindow* window;
  CMainDlg* core;
};

// The dialog procedure of dialog 129; its initialisation parameter is a
// MainDialogContext that outlives the dialog.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace quill
