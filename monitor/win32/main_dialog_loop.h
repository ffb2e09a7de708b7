// The main dialog's message loop. The main window is a modal dialog in all
// but name: the system's modal loop restores a window that its
// initialisation showed minimised (seen under Wine), which would break the
// start sequence (shown minimised, hidden half a second later, "Exit" greyed
// while minimised). So the dialog is created modeless and this loop plays
// the modal loop: dialog keys, and the end when the logic asks for it.
#pragma once

#include <windows.h>

#include "main_dialog_proc.h"

namespace quill {

// Creates dialog 129 owned by `owner` with the context's window and logic,
// runs it until the logic ends it, destroys it and returns its result; -1
// when the dialog cannot be created.
int RunMainDialog(HINSTANCE module, HWND owner, MainDialogContext& context);

}  // namespace quill
