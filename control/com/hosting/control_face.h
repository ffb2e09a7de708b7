// What the control shows when a container draws it: its bounds framed, with
// "ATL 8.0 : QuillActiveXCtrl" centred on the middle of the frame.
#pragma once

#include <windows.h>

namespace quill {

void DrawControlFace(HDC dc, const RECT& bounds);

}  // namespace quill
