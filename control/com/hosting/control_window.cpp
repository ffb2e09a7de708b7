#include "hosting/control_window.h"

#include "hosting/control_face.h"
#include "module.h"

namespace quill {
namespace {

const wchar_t kWindowClass[] = L"QuillActiveXCtrlWindow";

LRESULT CALLBACK ControlWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    DrawControlFace(dc, client);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterWindowClass() {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = ControlWindowProcedure;
  windowClass.hInstance = ModuleInstance();
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kWindowClass;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HWND CreateControlWindow(HWND parent, const RECT& position) {
  if (!RegisterWindowClass()) return nullptr;
  return CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                         position.left, position.top, position.right - position.left,
                         position.bottom - position.top, parent, nullptr, ModuleInstance(),
                         nullptr);
}

void DestroyControlWindow(HWND window) {
  DestroyWindow(window);
  // The class goes with the last window, so that it never outlives the module.
  UnregisterClassW(kWindowClass, ModuleInstance());
}

}  // namespace quill
