#include "linux_system.h"

#include <cerrno>
#include <ctime>

namespace quill {
namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr uint64_t kUnixEpochInFileTimeSeconds = 11644473600ULL;
constexpr uint64_t kFileTimeUnitsPerSecond = 10000000ULL;  // 100 ns units
constexpr uint64_t kNanosecondsPerFileTimeUnit = 100;

thread_local uint32_t threadLastError = kOsErrorSuccess;

}  // namespace

uint32_t LinuxOsError::Get() {
  return threadLastError;
}

void LinuxOsError::Set(uint32_t value) {
  threadLastError = value;
}

uint32_t OsErrorFromErrno(int error) {
  switch (error) {
    case 0:
      return kOsErrorSuccess;
    case ENODEV:
    case ENXIO:
    case ENOENT:
    case EPIPE:
    case ECONNRESET:
    case ESHUTDOWN:
    case EIO:  // hidraw and sg answer EIO once their device was unplugged
      return kOsErrorDeviceNotConnected;
    case ETIMEDOUT:
      return kOsErrorTimeout;
    default:
      return kOsErrorGenFailure;
  }
}

void SetOsErrorFromErrno(OsErrorPort& osError, int error) {
  osError.Set(OsErrorFromErrno(error));
}

// The coarse clock ticks every few milliseconds, much as the Windows system
// time does, and costs a few nanoseconds to read: the random source reads the
// time once per byte it makes.
uint64_t LinuxClock::FileTimeNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME_COARSE, &now);
  const uint64_t seconds = static_cast<uint64_t>(now.tv_sec) + kUnixEpochInFileTimeSeconds;
  return seconds * kFileTimeUnitsPerSecond +
         static_cast<uint64_t>(now.tv_nsec) / kNanosecondsPerFileTimeUnit;
}

void LinuxClock::SleepMs(uint32_t milliseconds) {
  timespec remaining{};
  remaining.tv_sec = static_cast<time_t>(milliseconds / 1000);
  remaining.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  // A signal cuts the sleep short; sleep what is left.
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

uint64_t MonotonicUs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000ULL +
         static_cast<uint64_t>(now.tv_nsec) / 1000ULL;
}

}  // namespace quill
