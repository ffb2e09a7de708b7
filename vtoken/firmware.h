// The token's command processor: one command in, status, status word and
// answer data out. It holds the token's stored and session state and is not
// thread-safe; the owner serialises calls.
//
// Checks come in this order: class (0x6E00), instruction (0x6D00), the lock
// (status 0xE3 for all but UID and usage tag), data and answer lengths
// (0x6700), parameters (offset range 0x6B00, selector 0x6A86), and last what
// the command needs (password or access key 0x6982; a challenge or pending
// remote change 0x6985).
#pragma once

#include <cstdint>
#include <vector>

#include "frame.h"
#include "token_state.h"

namespace quill {

// Status words the firmware answers with.
constexpr uint16_t kSwMemoryFailure = 0x6581;
constexpr uint16_t kSwWrongLength = 0x6700;
constexpr uint16_t kSwSecurityNotSatisfied = 0x6982;
constexpr uint16_t kSwConditionsNotSatisfied = 0x6985;
constexpr uint16_t kSwWrongParameters = 0x6A86;
constexpr uint16_t kSwWrongOffset = 0x6B00;
constexpr uint16_t kSwInsNotSupported = 0x6D00;
constexpr uint16_t kSwClassNotSupported = 0x6E00;
// The status byte of every answer of a locked token (but UID and usage tag).
constexpr uint8_t kStatusLocked = 0xE3;

struct TokenResponse {
  uint8_t status = kStatusProcessed;
  uint16_t statusWord = kStatusWordSuccess;
  std::vector<uint8_t> data;  // at most kMaxAnswerData bytes
};

class TokenFirmware {
 public:
  TokenFirmware(const StoredTokenState& stored, const AccessKey& accessKey);

  TokenResponse Execute(const TokenApdu& command);

  // Clears the session: flags, failed count, challenge, pending remote change.
  void Unplug();

  const StoredTokenState& Stored() const { return stored_; }
  const SessionState& Session() const { return session_; }
  // Puts back state taken earlier (for a command whose result could not be saved).
  void Restore(const StoredTokenState& stored, const SessionState& session);
  // True once after each command that changed the stored state.
  bool TakeStoredChange();

 private:
  // firmware_identity.cpp
  TokenResponse ReadUid(const TokenApdu& command) const;
  TokenResponse ReadIdentity(const TokenApdu& command) const;
  TokenResponse ReadVersion(const TokenApdu& command) const;
  TokenResponse ReadRequestEnabled(const TokenApdu& command) const;
  TokenResponse ReadUsageTag(const TokenApdu& command) const;
  TokenResponse ReadKeyInfo(const TokenApdu& command) const;
  TokenResponse WriteKeyInfo(const TokenApdu& command);
  // firmware_password.cpp
  TokenResponse VerifyPassword(const TokenApdu& command);
  TokenResponse ChangePassword(const TokenApdu& command);
  TokenResponse Logout(const TokenApdu& command);
  TokenResponse ResetChallenge(const TokenApdu& command);
  TokenResponse ResetPassword(const TokenApdu& command);
  // firmware_seed.cpp
  TokenResponse Sha1WithSeed(const TokenApdu& command) const;
  TokenResponse PresentAccessKey(const TokenApdu& command);
  TokenResponse ExportSeed(const TokenApdu& command) const;
  // firmware_storage.cpp
  // The le bytes at offset of an area / the lc data bytes written there.
  TokenResponse ReadArea(const TokenApdu& command, const uint8_t* area, size_t size, size_t offset,
                         bool needsAccessKey) const;
  TokenResponse WriteArea(const TokenApdu& command, uint8_t* area, size_t size, size_t offset,
                          bool needsAccessKey);
  TokenResponse LastBlockMarker(const TokenApdu& command);
  // firmware_cipher.cpp
  TokenResponse TransformBlocks(const TokenApdu& command, bool encrypt) const;
  // firmware_remote.cpp
  TokenResponse RemoteChallenge(const TokenApdu& command);
  TokenResponse RemoteApply(const TokenApdu& command);

  TokenResponse Dispatch(const TokenApdu& command);
  // E(reset key, challenge); remembers the challenge as the given kind.
  TokenResponse AnswerChallenge(const TokenApdu& command, ChallengeKind kind);

  StoredTokenState stored_;
  SessionState session_;
  const AccessKey accessKey_;
  bool storedChanged_ = false;
};

}  // namespace quill
