// Checks the program's translations of window messages and its resources
// (linked into this program as into lumoMonitor.exe); run under Wine.
// Prints each failure and "shell-checks-done" at the end.
// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "shell_checks.h"

int wmain(int, wchar_t**) {
  // As the program does: the bar classes only.
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_BAR_CLASSES;
  InitCommonControlsEx(&controls);

  quill::Checks checks;
  quill::RunDeviceBroadcastChecks(checks);
  quill::RunTrayIconChecks(checks);
  quill::RunResourceChecks(checks);
  return checks.Finish("shell-checks-done");
}
