#include "about_box.h"

#include "resource_ids.h"

namespace quill {
namespace {

constexpr WORD kFirstEndingCommand = 1;  // IDOK
constexpr WORD kLastEndingCommand = 7;   // IDNO

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND) {
    const WORD command = LOWORD(wParam);
    if (command >= kFirstEndingCommand && command <= kLastEndingCommand) {
      EndDialog(dialog, command);
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace

void RunAboutBox(HINSTANCE module, HWND owner) {
  DialogBoxParamW(module, MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, DialogProc, 0);
}

}  // namespace quill
