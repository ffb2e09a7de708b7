// The Windows platform: hid.dll, the storage stack's SCSI pass-through and a
// named mutex, joined with the virtual tokens that the configuration names.
#include "platform.h"
#include "ports/virtual/virtual_tokens.h"
#include "win32_exchange_lock.h"
#include "win32_hid_port.h"
#include "win32_storage_port.h"
#include "win32_system.h"

namespace quill {

Platform& NativePlatform() {
  static Win32OsError osError;
  static Win32Clock clock;
  static Win32ExchangeLock lock;
  static Win32HidPort hidDevices;
  static Win32StoragePort storageDevices;
  static VirtualTokens virtualTokens(ProcessTokenConfig().virtualTokens, osError);
  static JoinedHidPort hid(hidDevices, virtualTokens);
  static JoinedStoragePort storage(storageDevices, virtualTokens);
  static Platform platform{&osError, &clock, &lock, &hid, &storage, &virtualTokens};
  return platform;
}

}  // namespace quill
