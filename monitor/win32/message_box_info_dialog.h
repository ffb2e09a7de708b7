// The Information dialog (dialog 210) that asks whether to lock the
// workstation: always on top, the focus on OK, Esc does nothing.
#pragma once

#include <windows.h>

#include "ports/monitor_ports.h"

namespace quill {

// Runs the dialog modally, owned by `owner`; the user's answer (closed when
// the dialog could not be created).
LockAnswer RunMessageBoxInfo(HINSTANCE module, HWND owner);

}  // namespace quill
