#include "window_notifier.h"

#include <dbt.h>

#include <cstddef>
#include <vector>

namespace quill {
namespace {

// GUID_DEVINTERFACE_USB_DEVICE
const GUID kUsbDeviceInterface = {
    0xa5dcbf10, 0x6530, 0x11d2, {0x90, 0x1f, 0x00, 0xc0, 0x4f, 0xb9, 0x51, 0xed}};

// The record with the path (ASCII) and its terminator in dbcc_name.
std::vector<unsigned char> InterfaceRecord(const std::string& devicePath) {
  const size_t size = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) +
                      (devicePath.size() + 1) * sizeof(WCHAR);
  std::vector<unsigned char> bytes(size < sizeof(DEV_BROADCAST_DEVICEINTERFACE_W)
                                       ? sizeof(DEV_BROADCAST_DEVICEINTERFACE_W)
                                       : size);
  auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
  record->dbcc_size = static_cast<DWORD>(size);
  record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  record->dbcc_classguid = kUsbDeviceInterface;
  for (size_t i = 0; i < devicePath.size(); ++i) {
    record->dbcc_name[i] = static_cast<WCHAR>(static_cast<unsigned char>(devicePath[i]));
  }
  record->dbcc_name[devicePath.size()] = L'\0';
  return bytes;
}

}  // namespace

bool WindowNotifier::Deliver(PresenceChange change, const std::string& devicePath) {
  HWND window = FindWindowW(windowClass_.c_str(), caption_.c_str());
  if (window == nullptr) {
    lastOutcome_ = "no window";
    return false;
  }
  std::vector<unsigned char> record = InterfaceRecord(devicePath);
  const WPARAM event =
      change == PresenceChange::kArrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE;
  DWORD_PTR answer = 0;
  SetLastError(ERROR_SUCCESS);
  const LRESULT sent =
      SendMessageTimeoutW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(record.data()),
                          SMTO_NORMAL, answerTimeoutMs_, &answer);
  if (sent != 0) {
    lastOutcome_ = "delivered";
    return true;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_TIMEOUT || error == ERROR_SUCCESS) {
    // The message reached the window; its handler is still at work.
    lastOutcome_ = "delivered, still handling";
    return true;
  }
  lastOutcome_ = "failed (error " + std::to_string(error) + ")";
  return false;
}

}  // namespace quill
