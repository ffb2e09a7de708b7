#include "win32_system.h"

#include <windows.h>

namespace quill {

uint32_t Win32OsError::Get() {
  return GetLastError();
}

void Win32OsError::Set(uint32_t value) {
  SetLastError(value);
}

uint64_t Win32Clock::FileTimeNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

void Win32Clock::SleepMs(uint32_t milliseconds) {
  Sleep(milliseconds);
}

}  // namespace quill
