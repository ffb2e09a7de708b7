// Saves what the screen shows of a window as a 24-bit BMP file.
#pragma once

#include <windows.h>

#include <string>

namespace quill::dialog_driver {

// Copies the window's rectangle from the screen (so that its child controls
// are in the picture as drawn) into path. Returns the number of distinct
// colours in the picture (0 when it could not be taken or written).
int CaptureWindowToBmp(HWND window, const std::string& path);

}  // namespace quill::dialog_driver
