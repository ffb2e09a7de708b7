// The program's one composition: the Windows ports, the support log, the
// main window's logic and pages, wired together, and the main dialog run
// on them.
#pragma once

#include <windows.h>

namespace quill {

// Runs the main dialog (resource 129) owned by the active window until the
// logic ends it; its result, or -1 when the dialog could not be created.
int RunMonitorProgram(HINSTANCE module);

}  // namespace quill
