// The thread's last-error value and the clock, on Windows.
#pragma once

#include <cstdint>

#include "platform.h"

namespace quill {

// The thread's own last-error value (GetLastError / SetLastError); Windows
// numbering is the numbering of platform.h.
class Win32OsError : public OsErrorPort {
 public:
  uint32_t Get() override;
  void Set(uint32_t value) override;
};

class Win32Clock : public ClockPort {
 public:
  uint64_t FileTimeNow() override;
  void SleepMs(uint32_t milliseconds) override;
};

}  // namespace quill
