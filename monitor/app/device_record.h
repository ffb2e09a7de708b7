// The part of a WM_DEVICECHANGE record the monitor looks at.
#pragma once

#include <cstdint>
#include <string>

namespace quill {

struct DeviceRecord {
  uint32_t deviceType = 0;  // dbch_devicetype; kDbtDevTypDeviceInterface for interfaces
  std::u16string name;      // dbcc_name of an interface record: the device path
};

}  // namespace quill
