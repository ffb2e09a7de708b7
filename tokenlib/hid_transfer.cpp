// One frame out and one frame back as HID output and input reports.
#include <algorithm>
#include <cstring>

#include "device_table.h"
#include "error_codes.h"
#include "error_store.h"
#include "frame.h"

namespace quill {
namespace {

constexpr size_t kReportSize = kFrameSize + 1;  // report id 0, then the frame
constexpr uint32_t kDefaultWriteWaitMs = 500;
constexpr uint32_t kMinimumReadWaitMs = 2000;
constexpr uint32_t kPauseBeforeReadMs = 10;

// 0; 3 (code 22) when the write or its wait failed; 4 (code 23) when short.
int WriteReport(HidDevicePort& device, const uint8_t* request, uint32_t timeoutMs) {
  uint8_t report[kReportSize];
  report[0] = 0;
  std::memcpy(report + 1, request, kFrameSize);
  const uint32_t waitMs = timeoutMs == 0 ? kDefaultWriteWaitMs : timeoutMs;
  size_t written = 0;
  RecordError(kTokenOk);
  if (device.Write(report, kReportSize, waitMs, &written) != IoStatus::kOk) {
    RecordError(kErrHidWriteFailed);
    return 3;
  }
  if (written < kReportSize) {
    RecordError(kErrHidWriteIncomplete);
    return 4;
  }
  return 0;
}

// 0; 1 (codes 26 or 27, then 20) when the read failed; 2 (code 21) when the
// report has the wrong length.
int ReadReport(HidDevicePort& device, uint8_t* response, uint32_t timeoutMs) {
  uint8_t report[kReportSize];
  size_t received = 0;
  const IoStatus status =
      device.Read(report, kReportSize, std::max(timeoutMs, kMinimumReadWaitMs), &received);
  if (status != IoStatus::kOk) {
    RecordError(status == IoStatus::kTimeout ? kErrIoWaitTimeout : kErrIoWaitFailed);
    RecordError(kErrHidReadFailed);
    return 1;
  }
  if (received != kReportSize) {
    RecordError(kErrHidReadLength);
    return 2;
  }
  std::memcpy(response, report + 1, kFrameSize);
  return 0;
}

}  // namespace

int HidTransfer(int slot, const uint8_t* request, uint8_t* response, uint32_t timeoutMs) {
  LibraryState& lib = Library();
  if (slot < 0 || slot >= kMaxTokens) {
    RecordError(kErrArgumentRange);
    return 1;
  }
  HidSlot& hid = lib.hidSlots[slot];
  if (hid.state != kStatePresent || !hid.device) {
    RecordError(kErrDeviceNotReady);
    return 2;
  }
  if (!hid.device->FlushQueue()) {
    RecordError(kErrHidFlush);
    return 5;
  }
  if (WriteReport(*hid.device, request, timeoutMs) != 0) {
    RecordError(kErrHidSendFailed);
    return 3;
  }
  lib.platform->clock->SleepMs(kPauseBeforeReadMs);
  if (ReadReport(*hid.device, response, timeoutMs) != 0) {
    RecordError(kErrHidReceiveFailed);
    return 4;
  }
  RecordError(kTokenOk);
  return 0;
}

}  // namespace quill
