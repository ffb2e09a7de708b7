// lumoMonitor.exe: the tray monitor's entry point. One instance per session
// (the mutex "QuillMonitor", kept until the process ends); the main dialog's
// modal loop is the program's message loop and its result the exit code.
// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
// clang-format on

#include "monitor_program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  CoInitialize(nullptr);
  // Owned by this instance and never released: a second instance sees the
  // name taken and leaves at once, showing nothing and telling no one.
  CreateMutexW(nullptr, TRUE, L"QuillMonitor");
  if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;

  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_BAR_CLASSES;
  InitCommonControlsEx(&controls);

  const int result = quill::RunMonitorProgram(instance);
  CoUninitialize();
  return result;
}
