// The Change Password dialog (dialog 209), modal, run by the tray command.
#pragma once

#include <windows.h>

#include "ports/monitor_ports.h"
#include "win32_message_boxes.h"

namespace quill {

// Runs the dialog owned by `owner` with its own CModifyPassword; the
// dialog's result (1012 after a change, 0 when closed, -1 when it could not
// be created).
int RunModifyPasswordDialog(HINSTANCE module, HWND owner, const MonitorPorts& ports,
                            Win32MessageBoxPort& boxes);

}  // namespace quill
