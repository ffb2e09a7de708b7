// Finding the monitor's windows and their controls from another process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quill::monitor_driver {

// A top-level window named by class and caption; "*" matches any. Windows
// parented to the shell's "Progman" window (where the monitor hides its main
// window) are found as well.
struct WindowSpec {
  std::wstring windowClass;
  std::wstring caption;
};

HWND FindTopWindow(const WindowSpec& spec);
// Every window that FindTopWindow could return, in Z order.
std::vector<HWND> FindTopWindows(const WindowSpec& spec);
// The first descendant (any depth) with this control id.
HWND FindDescendant(HWND window, int controlId);
// The first descendant of this window class.
HWND FindDescendantOfClass(HWND window, const std::wstring& windowClass);
// Every descendant of this window class ("*": of any), in the order
// EnumChildWindows gives.
std::vector<HWND> FindDescendantsOfClass(HWND window, const std::wstring& windowClass);

std::wstring ClassOf(HWND window);
// The text through WM_GETTEXT (works across processes, unlike GetWindowText
// for controls); empty when the window does not answer within a second.
std::wstring TextOf(HWND window);

}  // namespace quill::monitor_driver
