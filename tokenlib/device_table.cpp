#include "device_table.h"

#include "error_codes.h"
#include "error_store.h"

namespace quill {

TokenHandle DeviceHandleAt(int position) {
  LibraryState& lib = Library();
  if (position < 0 || position >= lib.entryCount) return -1;
  RecordError(kTokenOk);
  return lib.entries[position].handle;
}

TokenDeviceEntry* FindDeviceEntry(TokenHandle handle) {
  if (handle == 0) return nullptr;
  LibraryState& lib = Library();
  for (int i = 0; i < lib.entryCount; ++i) {
    if (lib.entries[i].handle == handle) return &lib.entries[i];
  }
  return nullptr;
}

int SetDeviceState(TokenHandle handle, int state) {
  TokenDeviceEntry* entry = FindDeviceEntry(handle);
  if (entry == nullptr) {
    RecordError(kErrUnknownHandle);
    return 1;
  }
  entry->state = state;
  return 0;
}

int RequireDeviceState(TokenHandle handle, int minimum) {
  const TokenDeviceEntry* entry = FindDeviceEntry(handle);
  if (entry == nullptr) {
    RecordError(kErrUnknownHandle);
    return 1;
  }
  if (entry->state < minimum) {
    RecordError(kErrNotPresent);
    return 2;
  }
  return 0;
}

int TransferFrame(TokenHandle handle, const uint8_t* request, uint8_t* response,
                  uint32_t timeoutMs) {
  const TokenDeviceEntry* entry = FindDeviceEntry(handle);
  if (entry == nullptr) {
    RecordError(kErrUnknownHandle);
    return 1;
  }
  if (entry->state < kStatePresent) {
    RecordError(kErrDeviceNotReady);
    return 2;
  }
  const int result = entry->transport == TokenTransport::kStoragePath
                         ? ScsiTransfer(entry->slot, request, response, timeoutMs)
                         : HidTransfer(entry->slot, request, response, timeoutMs);
  if (result != 0) {
    RecordError(kErrTransport);
    return 3;
  }
  return 0;
}

}  // namespace quill
