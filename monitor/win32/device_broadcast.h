// WM_DEVICECHANGE records as the main window's logic takes them.
#pragma once

#include <windows.h>

#include "device_record.h"

namespace quill {

// Reads the record a WM_DEVICECHANGE message points to (null: none) into
// *record. The device path of an interface record is bounded by the
// record's own size and ends at its first terminator: nothing past the
// record is read. False when there is no record.
bool ReadDeviceBroadcast(LPARAM pointer, DeviceRecord* record);

}  // namespace quill
