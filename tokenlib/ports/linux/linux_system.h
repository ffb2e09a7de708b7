// The thread's last-error value and the clock, on Linux.
#pragma once

#include <cstdint>

#include "platform.h"

namespace quill {

// Holds the last-error value per thread, in the numbering of platform.h.
class LinuxOsError : public OsErrorPort {
 public:
  uint32_t Get() override;
  void Set(uint32_t value) override;
};

// The last-error value for an errno value: a device node that is gone or a
// device that was unplugged gives kOsErrorDeviceNotConnected, a timeout
// kOsErrorTimeout, 0 gives kOsErrorSuccess, anything else kOsErrorGenFailure.
uint32_t OsErrorFromErrno(int error);

// Records the last-error value for error (an errno value).
void SetOsErrorFromErrno(OsErrorPort& osError, int error);

class LinuxClock : public ClockPort {
 public:
  uint64_t FileTimeNow() override;
  void SleepMs(uint32_t milliseconds) override;
};

// Microseconds of a monotonic clock; for measuring waits.
uint64_t MonotonicUs();

}  // namespace quill
