// Completing one overlapped request with a bounded wait.
#pragma once

#include <windows.h>

#include <cstdint>

namespace quill {

enum class OverlappedOutcome {
  kDone,         // the request completed; the byte count is valid
  kFailed,       // the request failed when issued or when it completed
  kWaitTimeout,  // the wait ran out; the request was cancelled (last error ERROR_TIMEOUT)
  kWaitFailed,   // the wait itself failed; the request was cancelled
};

// Finishes a request that was just issued on device with record (whose event
// the request signals); issued is what WriteFile, ReadFile or DeviceIoControl
// returned. A cancelled request is waited out before this returns, so the
// caller's buffers and the record are no longer in use. The thread's
// last-error value tells why a request failed.
OverlappedOutcome FinishOverlapped(HANDLE device, OVERLAPPED* record, BOOL issued, uint32_t waitMs,
                                   DWORD* transferred);

}  // namespace quill
