#include "storage_slots.h"

#include "error_codes.h"
#include "error_store.h"

namespace quill {

bool OpenStorageSlot(StorageSlot& slot) {
  slot.device = Library().platform->storage->Open(slot.devicePath);
  slot.isOpen = slot.device != nullptr;
  if (!slot.isOpen) RecordError(kErrCdromOpen);
  return slot.isOpen;
}

void CloseStorageSlot(int id) {
  if (id == 0) return;
  for (StorageSlot& slot : Library().storageSlots) {
    if (slot.id == id) {
      slot = StorageSlot();
      return;
    }
  }
  RecordError(kErrUnknownHandle);
}

}  // namespace quill
