#include "error_store.h"

#include <algorithm>

#include "library_lock.h"
#include "library_state.h"
#include "platform.h"
#include "token.h"

namespace quill {

size_t ErrorStore::Record(int code, uint32_t osError) {
  if (code == 0) {
    count_ = 0;
  } else {
    codes_[count_++] = code;
    if (count_ == kCapacity + 1) {
      std::copy(codes_ + 2, codes_ + count_, codes_);
      count_ -= 2;
    }
  }
  lastOsError_ = osError;
  return count_;
}

void RecordError(int code) {
  TokenSetLastError(code);
}

bool DeviceGone() {
  return Library().store.LastOsError() == kOsErrorDeviceNotConnected;
}

int TokenGetLastError() {
  const LibraryLock lock;
  return Library().store.Oldest();
}

int TokenSetLastError(int code) {
  const LibraryLock lock;
  LibraryState& lib = Library();
  const uint32_t osError = lib.platform->osError->Get();
  return static_cast<int>(lib.store.Record(code, osError));
}

}  // namespace quill
