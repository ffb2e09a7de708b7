#include "device_broadcast.h"

#include <dbt.h>

#include <cstddef>

namespace quill {

bool ReadDeviceBroadcast(LPARAM pointer, DeviceRecord* record) {
  if (pointer == 0) return false;
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(pointer);
  record->deviceType = 0;
  record->name.clear();
  // A record too short for its own header tells nothing more.
  if (header->dbch_size < sizeof(DEV_BROADCAST_HDR)) return true;
  record->deviceType = header->dbch_devicetype;
  if (header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) return true;
  constexpr size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
  if (header->dbch_size <= kNameOffset) return true;
  const auto* bytes = reinterpret_cast<const unsigned char*>(pointer);
  const size_t units = (header->dbch_size - kNameOffset) / sizeof(wchar_t);
  const auto* name = reinterpret_cast<const wchar_t*>(bytes + kNameOffset);
  size_t length = 0;
  while (length < units && name[length] != L'\0') ++length;
  record->name.assign(reinterpret_cast<const char16_t*>(name), length);
  return true;
}

}  // namespace quill
