#include "win32_storage_port.h"

// windows.h first, then the control-code macros, then the pass-through header
// that uses them.
// clang-format off
#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>
// clang-format on

#include <cstddef>
#include <cstring>

#include "win32_interface_list.h"
#include "win32_overlapped.h"

namespace quill {
namespace {

// GUID_DEVINTERFACE_CDROM.
constexpr GUID kCdromInterfaceClass = {
    0x53F56308, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

static_assert(IOCTL_SCSI_PASS_THROUGH_DIRECT == 0x4D014, "unexpected pass-through control code");

constexpr UCHAR kTargetId = 1;
constexpr UCHAR kCdbLength = 10;
constexpr UCHAR kVendorOperation = 0xFF;
constexpr ULONG kDeviceTimeoutSeconds = 5;
constexpr size_t kSenseSize = 32;

// The pass-through header, then a filler and the sense data the device may
// return; the same buffer goes in and comes back.
struct PassThroughRequest {
  SCSI_PASS_THROUGH_DIRECT header;
  ULONG filler;
  UCHAR sense[kSenseSize];
};

void CloseKeepingError(HANDLE handle) {
  const DWORD lastError = GetLastError();
  CloseHandle(handle);
  SetLastError(lastError);
}

class Win32StorageDevice : public StorageDevicePort {
 public:
  Win32StorageDevice(HANDLE device, HANDLE ioEvent) : device_(device), ioEvent_(ioEvent) {}
  ~Win32StorageDevice() override {
    CloseHandle(device_);
    CloseHandle(ioEvent_);
  }
  Win32StorageDevice(const Win32StorageDevice&) = delete;
  Win32StorageDevice& operator=(const Win32StorageDevice&) = delete;

  PassThroughStatus PassThrough(ScsiDirection direction, uint8_t* data, size_t length,
                                uint32_t waitMs) override {
    if (length > MAXDWORD) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return PassThroughStatus::kRequestFailed;
    }
    PassThroughRequest request;
    std::memset(&request, 0, sizeof(request));
    SCSI_PASS_THROUGH_DIRECT& header = request.header;
    header.Length = sizeof(SCSI_PASS_THROUGH_DIRECT);
    header.PathId = 0;
    header.TargetId = kTargetId;
    header.Lun = 0;
    header.CdbLength = kCdbLength;
    header.SenseInfoLength = kSenseSize;
    header.DataIn = direction == ScsiDirection::kDataIn ? SCSI_IOCTL_DATA_IN : SCSI_IOCTL_DATA_OUT;
    header.DataTransferLength = static_cast<ULONG>(length);
    header.TimeOutValue = kDeviceTimeoutSeconds;
    header.DataBuffer = data;
    header.SenseInfoOffset = offsetof(PassThroughRequest, sense);
    header.Cdb[0] = kVendorOperation;

    std::memset(&record_, 0, sizeof(record_));
    record_.hEvent = ioEvent_;
    const BOOL issued =
        DeviceIoControl(device_, IOCTL_SCSI_PASS_THROUGH_DIRECT, &request, sizeof(request),
                        &request, sizeof(request), nullptr, &record_);
    DWORD returned = 0;
    switch (FinishOverlapped(device_, &record_, issued, waitMs, &returned)) {
      case OverlappedOutcome::kDone:
        break;
      case OverlappedOutcome::kWaitTimeout:
        return PassThroughStatus::kWaitTimeout;
      case OverlappedOutcome::kWaitFailed:
        return PassThroughStatus::kWaitFailed;
      case OverlappedOutcome::kFailed:
        // Not issued, or completed with an error: either way nothing usable came back.
        return PassThroughStatus::kRequestFailed;
    }
    if (header.ScsiStatus != 0) return PassThroughStatus::kScsiError;
    if (returned == 0) return PassThroughStatus::kNothingTransferred;
    return PassThroughStatus::kOk;
  }

 private:
  HANDLE device_;
  HANDLE ioEvent_;
  OVERLAPPED record_{};
};

}  // namespace

std::unique_ptr<InterfaceListPort> Win32StoragePort::ListInterfaces() {
  return Win32InterfaceList::Open(LinkedSetupDiFunctions(), kCdromInterfaceClass);
}

std::unique_ptr<StorageDevicePort> Win32StoragePort::Open(const std::string& path) {
  HANDLE ioEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (ioEvent == nullptr) return nullptr;
  HANDLE device =
      CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (device == INVALID_HANDLE_VALUE) {
    CloseKeepingError(ioEvent);
    return nullptr;
  }
  return std::make_unique<Win32StorageDevice>(device, ioEvent);
}

}  // namespace quill
