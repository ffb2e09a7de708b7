#include "hosting/control_face.h"

namespace quill {

void DrawControlFace(HDC dc, const RECT& bounds) {
  static const wchar_t kCaption[] = L"ATL 8.0 : QuillActiveXCtrl";
  Rectangle(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
  const UINT oldAlign = SetTextAlign(dc, TA_CENTER | TA_BASELINE);
  TextOutW(dc, (bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2, kCaption,
           static_cast<int>(sizeof(kCaption) / sizeof(kCaption[0]) - 1));
  SetTextAlign(dc, oldAlign);
}

}  // namespace quill
