// The library's process-wide state: error store, platform binding, device
// tables and the exchange lock. Held in one place; tests reset it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "config.h"
#include "crypto/des.h"
#include "error_store.h"
#include "platform.h"
#include "token.h"

namespace quill {

enum TokenDeviceState : int { kStateEmpty = 0, kStatePresent = 2, kStatePasswordVerified = 4 };
enum class TokenTransport : int { kHid = 0, kStoragePath = 1 };

struct TokenDeviceEntry {
  TokenHandle handle = 0;
  int slot = 0;
  int state = kStateEmpty;
  TokenTransport transport = TokenTransport::kHid;
};

struct HidSlot {
  int state = 0;  // 2: holds an opened token
  std::unique_ptr<HidDevicePort> device;
};

constexpr size_t kMaxDevicePath = 260;
constexpr int kFirstStorageId = 1000;

struct StorageSlot {
  int id = 0;  // kFirstStorageId + position; 0 for an empty slot
  std::string devicePath;
  std::unique_ptr<StorageDevicePort> device;
  bool isOpen = false;
};

struct LibraryState {
  Platform* platform = nullptr;
  const TokenConfig* config = nullptr;
  ErrorStore store;
  bool bound = false;
  bool lockCreated = false;

  TokenDeviceEntry entries[kMaxTokens];
  int entryCount = 0;

  HidSlot hidSlots[kMaxTokens];
  StorageSlot storageSlots[kMaxTokens];
  int storageIds[kMaxTokens] = {};
  int storageIdCount = 0;

  std::optional<DesKey> frameKey;  // built at the first exchange
};

LibraryState& Library();

// Replaces the whole state with a fresh one that uses the given platform and
// configuration (tests; also lets a program pick its ports explicitly). With
// a null platform the next use starts over on the native platform.
void ResetLibrary(Platform* platform, const TokenConfig* config);

}  // namespace quill
