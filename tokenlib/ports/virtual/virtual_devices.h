// The device objects of virtual tokens: HID reports and pass-through frames
// moved over the token's connection, with the operating-system error values
// a real device would leave behind.
#pragma once

#include <memory>

#include "platform.h"
#include "virtual_connection.h"

namespace quill {

// Both take a connection claimed for them and release it when destroyed.
std::unique_ptr<HidDevicePort> MakeVirtualHidDevice(std::shared_ptr<VirtualConnection> connection,
                                                    OsErrorPort& osError);
std::unique_ptr<StorageDevicePort> MakeVirtualStorageDevice(
    std::shared_ptr<VirtualConnection> connection, OsErrorPort& osError);

}  // namespace quill
