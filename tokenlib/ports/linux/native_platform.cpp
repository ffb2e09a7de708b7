// The Linux platform: hidraw, SCSI generic and flock, joined with the
// virtual tokens that the configuration names.
#include "flock_exchange_lock.h"
#include "hidraw_port.h"
#include "linux_system.h"
#include "platform.h"
#include "ports/virtual/virtual_tokens.h"
#include "sg_storage_port.h"

namespace quill {

Platform& NativePlatform() {
  static LinuxOsError osError;
  static LinuxClock clock;
  static FlockExchangeLock lock(DefaultExchangeLockPath());
  static HidrawPort hidraw(osError);
  static SgStoragePort storage(osError);
  static VirtualTokens virtualTokens(ProcessTokenConfig().virtualTokens, osError);
  static JoinedHidPort hid(hidraw, virtualTokens);
  static JoinedStoragePort joinedStorage(storage, virtualTokens);
  static Platform platform{&osError, &clock, &lock, &hid, &joinedStorage, &virtualTokens};
  return platform;
}

}  // namespace quill
