// One frame out and one frame back through the vendor SCSI command of the
// token's storage face.
#include <algorithm>

#include "device_table.h"
#include "error_codes.h"
#include "error_store.h"
#include "frame.h"
#include "storage_slots.h"

namespace quill {
namespace {

// One pass-through request; 0 on success (store emptied), else the failing
// step with its code recorded.
int PassThrough(StorageDevicePort& device, ScsiDirection direction, uint8_t* frame,
                uint32_t timeoutMs) {
  switch (device.PassThrough(direction, frame, kFrameSize, timeoutMs)) {
    case PassThroughStatus::kOk:
      RecordError(kTokenOk);
      return 0;
    case PassThroughStatus::kWaitTimeout:
      RecordError(kErrIoWaitTimeout);
      return 1;
    case PassThroughStatus::kWaitFailed:
      RecordError(kErrIoWaitFailed);
      return 2;
    case PassThroughStatus::kScsiError:
      RecordError(kErrScsiStatus);
      return 3;
    case PassThroughStatus::kNothingTransferred:
      RecordError(kErrScsiNothingTransferred);
      return 4;
    case PassThroughStatus::kRequestFailed:
      break;
  }
  RecordError(kErrScsiRequestFailed);
  return 5;
}

}  // namespace

int ScsiTransfer(int slot, const uint8_t* request, uint8_t* response, uint32_t timeoutMs) {
  LibraryState& lib = Library();
  if (slot < 0 || slot >= kMaxTokens || slot >= lib.storageIdCount) {
    RecordError(kErrUnknownHandle);
    return 1;
  }
  StorageSlot* storage = nullptr;
  for (StorageSlot& candidate : lib.storageSlots) {
    if (candidate.id != 0 && candidate.id == lib.storageIds[slot]) storage = &candidate;
  }
  if (storage == nullptr) {
    RecordError(kErrUnknownHandle);
    return 1;
  }
  if (!storage->isOpen && !OpenStorageSlot(*storage)) return 1;

  uint8_t outgoing[kFrameSize];
  std::copy(request, request + kFrameSize, outgoing);
  if (PassThrough(*storage->device, ScsiDirection::kDataOut, outgoing, timeoutMs) != 0) {
    RecordError(kErrScsiRequestFailed);
    return 2;
  }
  if (PassThrough(*storage->device, ScsiDirection::kDataIn, response, timeoutMs) != 0) {
    RecordError(kErrScsiRequestFailed);
    return 3;
  }
  return 0;
}

}  // namespace quill
