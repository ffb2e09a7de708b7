#include "main_dialog_loop.h"

#include "resource_ids.h"

namespace quill {

int RunMainDialog(HINSTANCE module, HWND owner, MainDialogContext& context) {
  const HWND dialog = CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_MAINDLG), owner,
                                         MainDialogProc, reinterpret_cast<LPARAM>(&context));
  if (dialog == nullptr) return -1;
  MSG message = {};
  while (!context.window->Ended()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      // A quit request ends the dialog as it ends a modal one, and is passed on.
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (!IsDialogMessageW(dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  DestroyWindow(dialog);
  return context.window->Result();
}

}  // namespace quill
