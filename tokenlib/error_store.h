// The process-wide error store: up to 255 codes, oldest first, and the
// operating system's last-error value captured at its latest update.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quill {

class ErrorStore {
 public:
  static constexpr size_t kCapacity = 255;

  // Appends code (0 empties the store); when 256 codes would be held the two
  // oldest are dropped. Returns the number of codes held.
  size_t Record(int code, uint32_t osError);
  int Oldest() const { return count_ == 0 ? 0 : codes_[0]; }
  size_t Count() const { return count_; }
  int At(size_t index) const { return index < count_ ? codes_[index] : 0; }
  uint32_t LastOsError() const { return lastOsError_; }

 private:
  int codes_[kCapacity + 1] = {};
  size_t count_ = 0;
  uint32_t lastOsError_ = 0;
};

// Records into the process-wide store, capturing the platform's last-error value.
void RecordError(int code);
// True when the last-error value captured by the store says the device has vanished.
bool DeviceGone();

}  // namespace quill
