// The control's own child window, for containers that cannot host it
// windowless: it only paints the control's face.
#pragma once

#include <windows.h>

namespace quill {

// A visible child of parent at position; nullptr when it cannot be made.
HWND CreateControlWindow(HWND parent, const RECT& position);
void DestroyControlWindow(HWND window);

}  // namespace quill
