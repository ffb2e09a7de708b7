#include "login_dialog_win32.h"

#include <string>

#include "login_dialog.h"
#include "module_strings.h"
#include "resource_ids.h"

namespace quill {
namespace {

constexpr int kDialogNotCreated = -1;

struct DialogState {
  HINSTANCE module;
  LoginDialogController* controller;
};

// What the controller's message line says, in the module's own words: the
// "connect the key" text, or the wrong-password text with the attempts left.
std::u16string MessageFromModule(const DialogState& state) {
  const std::u16string& line = state.controller->MessageLine();
  if (line.empty()) return line;
  if (line == ControlString(kStringConnectKey, state.controller->Language())) {
    return ModuleString(state.module, IDS_NO_KEY);
  }
  return ModuleWrongPasswordMessage(state.module, LoginAttemptsLeft());
}

void ShowMessageLine(HWND dialog, const DialogState& state) {
  const std::u16string text = MessageFromModule(state);
  SetDlgItemTextW(dialog, IDC_MESSAGE, reinterpret_cast<const wchar_t*>(text.c_str()));
}

// The password field's text, at most kLoginFieldCharacters characters; the
// copies on the stack are wiped.
std::u16string ReadPasswordField(HWND dialog) {
  wchar_t field[kLoginFieldCharacters + 1] = {};
  const UINT length = GetDlgItemTextW(dialog, IDC_PASSWORD, field, kLoginFieldCharacters + 1);
  std::u16string text(reinterpret_cast<const char16_t*>(field), length);
  SecureZeroMemory(field, sizeof(field));
  return text;
}

void Finish(HWND dialog, const DialogState& state, const LoginOutcome& outcome) {
  ShowMessageLine(dialog, state);
  if (outcome.ended) EndDialog(dialog, outcome.endCode);
}

INT_PTR OnCommand(HWND dialog, DialogState& state, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDC_LOGIN: {  // any notification of the login button
      std::u16string password = ReadPasswordField(dialog);
      const LoginOutcome outcome = state.controller->Login(password);
      SecureZeroMemory(&password[0], password.size() * sizeof(char16_t));
      Finish(dialog, state, outcome);
      return TRUE;
    }
    case IDCANCEL:  // Escape and the close box
    case IDC_CANCEL:
      Finish(dialog, state, state.controller->Cancel());
      return TRUE;
    case IDOK:  // Enter: only the login button submits
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* state = reinterpret_cast<DialogState*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    state->controller->SetLanguage(ModuleLanguage(state->module));
    state->controller->Initialise();
    ShowMessageLine(dialog, *state);
    return TRUE;  // the focus goes to the password field
  }
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (state == nullptr) return FALSE;
  if (message == WM_COMMAND) return OnCommand(dialog, *state, wParam);
  return FALSE;
}

}  // namespace

int Win32LoginDialog::Run(LoginDialogController& controller) {
  DialogState state{module_, &controller};
  const INT_PTR result = DialogBoxParamW(module_, MAKEINTRESOURCEW(IDD_LOGIN), GetActiveWindow(),
                                         DialogProc, reinterpret_cast<LPARAM>(&state));
  if (result == -1) return kDialogNotCreated;
  return static_cast<int>(result);
}

}  // namespace quill
