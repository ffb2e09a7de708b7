// What a virtual token remembers: the stored state that survives an unplug
// (and goes into the state file) and the session state that an unplug clears.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "token.h"
#include "token_settings.h"
#include "token_setup.h"

namespace quill {

using AccessKey = std::array<uint8_t, 8>;
using DesBlock = std::array<uint8_t, 8>;
using PasswordDigestValue = std::array<uint8_t, kPasswordDigestSize>;

constexpr size_t kSeedSize = 32;
constexpr size_t kIdentityRecordSize = 18;
constexpr size_t kRemotePayloadSize = 161;  // value A, two digests, values B to E
constexpr size_t kRemoteValuesSize = 97;    // values A to E of the last remote change
constexpr int kSeedSelectors = 2;

struct StoredTokenState {
  TokenUidValue uid{};
  PasswordDigestValue password{};
  std::array<uint8_t, kKeyInfoSize> keyInfo{};
  std::array<uint8_t, kUserStorageSize> userStorage{};
  std::array<uint8_t, kSecureStorageSize> secureStorage{};
  std::array<uint8_t, kMemorySize> memory{};
  std::array<std::array<uint8_t, kSeedSize>, kSeedSelectors> seeds{};
  std::array<DesBlock, kSeedSelectors> cipherKeys{};
  DesBlock resetKey{};
  std::array<uint8_t, kVersionTextSize> versionText{};
  std::array<uint8_t, kIdentityRecordSize> identity{};
  uint8_t requestEnabled = 0;
  std::array<uint8_t, kUsageTagSize> usageTag{};
  std::array<uint8_t, kRemoteValuesSize> remoteValues{};

  bool operator==(const StoredTokenState& other) const;
  bool operator!=(const StoredTokenState& other) const { return !(*this == other); }
};

enum class ChallengeKind { kNone, kReset, kRemote };

struct SessionState {
  bool passwordVerified = false;
  bool accessKeyPresented = false;
  bool locked = false;
  int failedPasswords = 0;  // wrong passwords in a row
  uint8_t lastBlockMarker = 0;
  ChallengeKind challengeKind = ChallengeKind::kNone;  // the last reset or remote challenge
  DesBlock challenge{};
  std::optional<std::array<uint8_t, kRemotePayloadSize>> pendingPayload;
  std::optional<std::array<uint8_t, kKeyInfoSize>> pendingBlock;
};

// The password digest as the library sends it: MD5 over the password in a
// zeroed 64-byte buffer, then 16 zero bytes. The password must be at most 64
// bytes long (CheckTokenSettings).
PasswordDigestValue TokenPasswordDigest(const std::string& password);

// The state of a new token: the settings, seeds and cipher keys derived
// from the UID value, and the access key as reset key. The settings must
// have passed CheckTokenSettings.
StoredTokenState DefaultTokenState(const TokenUidValue& uid, const TokenSettings& settings,
                                   const AccessKey& accessKey);

}  // namespace quill
