#include "modify_password_dialog.h"

#include "modify_password.h"
#include "resource_ids.h"
#include "wide_text.h"

namespace quill {
namespace {

struct PasswordDialogState {
  CModifyPassword* core;
  Win32MessageBoxPort* boxes;
};

// A field's text, at most kPasswordFieldCharacters characters; the copy on
// the stack is wiped.
std::u16string ReadField(HWND dialog, int control) {
  wchar_t field[kPasswordFieldCharacters + 1] = {};
  const UINT length = GetDlgItemTextW(dialog, control, field, kPasswordFieldCharacters + 1);
  std::u16string text = FromWide(field, length);
  SecureZeroMemory(field, sizeof(field));
  return text;
}

void Wipe(std::u16string* text) {
  if (!text->empty()) SecureZeroMemory(&(*text)[0], text->size() * sizeof(char16_t));
}

void Finish(HWND dialog, const DialogEnd& end) {
  if (end.ended) EndDialog(dialog, end.result);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* state = reinterpret_cast<PasswordDialogState*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    state->boxes->SetOwnerWindow(BoxOwner::kPasswordDialog, dialog);
    return TRUE;  // the default focus
  }
  auto* state = reinterpret_cast<PasswordDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (state == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      // Only the OK button acts: Enter (IDOK) and Esc (IDCANCEL) do nothing.
      if (LOWORD(wParam) != IDC_OK) return FALSE;
      {
        std::u16string oldField = ReadField(dialog, IDC_OLD_PASSWORD);
        std::u16string newField = ReadField(dialog, IDC_NEW_PASSWORD);
        std::u16string confirmField = ReadField(dialog, IDC_CONFIRM_PASSWORD);
        const DialogEnd end = state->core->OnOk(oldField, newField, confirmField);
        Wipe(&oldField);
        Wipe(&newField);
        Wipe(&confirmField);
        Finish(dialog, end);
      }
      return TRUE;
    case WM_SYSCOMMAND: {
      const DialogEnd end = state->core->OnSysCommand(static_cast<uint32_t>(wParam));
      if (!end.ended) return FALSE;
      Finish(dialog, end);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

int RunModifyPasswordDialog(HINSTANCE module, HWND owner, const MonitorPorts& ports,
                            Win32MessageBoxPort& boxes) {
  CModifyPassword core(ports);
  PasswordDialogState state{&core, &boxes};
  const INT_PTR result = DialogBoxParamW(module, MAKEINTRESOURCEW(IDD_MODIFY_PASSWORD), owner,
                                         DialogProc, reinterpret_cast<LPARAM>(&state));
  boxes.SetOwnerWindow(BoxOwner::kPasswordDialog, nullptr);
  return static_cast<int>(result);
}

}  // namespace quill
