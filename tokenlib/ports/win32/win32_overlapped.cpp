#include "win32_overlapped.h"

namespace quill {
namespace {

// Cancels the request and waits until the cancellation has completed it,
// then leaves lastError as the thread's last-error value.
void CancelRequest(HANDLE device, OVERLAPPED* record, DWORD lastError) {
  CancelIo(device);
  DWORD ignored = 0;
  GetOverlappedResult(device, record, &ignored, TRUE);
  SetLastError(lastError);
}

}  // namespace

OverlappedOutcome FinishOverlapped(HANDLE device, OVERLAPPED* record, BOOL issued, uint32_t waitMs,
                                   DWORD* transferred) {
  *transferred = 0;
  if (!issued) {
    if (GetLastError() != ERROR_IO_PENDING) return OverlappedOutcome::kFailed;
    switch (WaitForSingleObject(record->hEvent, waitMs)) {
      case WAIT_OBJECT_0:
        break;
      case WAIT_TIMEOUT:
        CancelRequest(device, record, ERROR_TIMEOUT);
        return OverlappedOutcome::kWaitTimeout;
      default:
        CancelRequest(device, record, GetLastError());
        return OverlappedOutcome::kWaitFailed;
    }
  }
  if (!GetOverlappedResult(device, record, transferred, FALSE)) {
    *transferred = 0;
    return OverlappedOutcome::kFailed;
  }
  return OverlappedOutcome::kDone;
}

}  // namespace quill
