#include "enumeration.h"

#include "binding.h"
#include "error_codes.h"
#include "error_store.h"
#include "library_state.h"
#include "storage_slots.h"

namespace quill {
namespace {

// A list that keeps failing without ever reporting its end must not hold
// discovery forever: no machine has this many interfaces of one class.
constexpr uint32_t kMaxInterfaceIndex = 4096;

void CloseHidSlots() {
  for (HidSlot& slot : Library().hidSlots) {
    slot.device.reset();
    slot.state = 0;
    RecordError(kTokenOk);
  }
}

void CloseStorageSlots() {
  LibraryState& lib = Library();
  for (int i = 0; i < lib.storageIdCount; ++i) CloseStorageSlot(lib.storageIds[i]);
  for (int& id : lib.storageIds) id = 0;
  lib.storageIdCount = 0;
  for (StorageSlot& slot : lib.storageSlots) slot = StorageSlot();
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

int EnumerateHidDevices(uint16_t vendorId, uint16_t productId) {
  LibraryState& lib = Library();
  CloseHidSlots();
  UnbindPlatform();
  if (BindPlatform() != 0) return 0;

  std::unique_ptr<InterfaceListPort> list = lib.platform->hid->ListInterfaces();
  if (!list) return 0;
  int count = 0;
  for (uint32_t index = 0; index < kMaxInterfaceIndex && count < kMaxTokens; ++index) {
    if (!list->Enumerate(index)) break;
    std::string path;
    if (!list->Detail(index, &path)) continue;
    std::unique_ptr<HidDevicePort> device = lib.platform->hid->Open(path);
    if (!device) continue;
    uint16_t foundVendor = 0;
    uint16_t foundProduct = 0;
    if (!device->GetAttributes(&foundVendor, &foundProduct)) continue;
    if (foundVendor != vendorId || foundProduct != productId) continue;
    lib.hidSlots[count].device = std::move(device);
    lib.hidSlots[count].state = kStatePresent;
    ++count;
  }
  return count;
}

int EnumerateStorageDevices(const std::string& marker) {
  LibraryState& lib = Library();
  CloseStorageSlots();

  std::unique_ptr<InterfaceListPort> list = lib.platform->storage->ListInterfaces();
  if (!list) {
    RecordError(kErrCdromList);
    return 0;
  }
  int count = 0;
  for (uint32_t index = 0; index < kMaxInterfaceIndex && count < kMaxTokens; ++index) {
    if (!list->Enumerate(index)) {
      RecordError(kErrCdromEnumerate);
      if (lib.store.LastOsError() == kOsErrorNoMoreItems) break;
      continue;
    }
    std::string path;
    if (!list->Detail(index, &path)) {
      RecordError(kErrCdromDetail);
      continue;
    }
    RecordError(kTokenOk);
    path = LowerAscii(path);
    // A longer path cannot be kept whole, and a cut one would name another device.
    if (path.find(marker) == std::string::npos || path.size() > kMaxDevicePath) continue;
    StorageSlot& slot = lib.storageSlots[count];
    slot.id = kFirstStorageId + count;
    slot.devicePath = path;
    lib.storageIds[lib.storageIdCount++] = slot.id;
    ++count;
  }
  list.reset();

  for (int i = 0; i < count; ++i) OpenStorageSlot(lib.storageSlots[i]);
  return count;
}

}  // namespace quill
