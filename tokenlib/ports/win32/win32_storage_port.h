// The token's storage face: CD-ROM-class devices reached with a vendor SCSI
// command through the pass-through interface of the storage stack.
#pragma once

#include <memory>
#include <string>

#include "platform.h"

namespace quill {

// Uses the device-setup functions linked into the program, so storage
// devices are found even when the HID binding failed.
class Win32StoragePort : public StoragePort {
 public:
  std::unique_ptr<InterfaceListPort> ListInterfaces() override;
  std::unique_ptr<StorageDevicePort> Open(const std::string& path) override;
};

}  // namespace quill
