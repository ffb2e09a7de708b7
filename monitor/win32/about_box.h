// The About box (dialog 100): modal; any command 1 to 7 ends it.
#pragma once

#include <windows.h>

namespace quill {

void RunAboutBox(HINSTANCE module, HWND owner);

}  // namespace quill
