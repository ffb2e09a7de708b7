// Password verification, change and logout, and the token half of a
// server-assisted password reset.
#include <algorithm>

#include "crypto/des.h"
#include "firmware.h"
#include "firmware_answers.h"

namespace quill {
namespace {

constexpr int kFailuresBeforeLock = 3;
constexpr size_t kResetDataSize = 2 * kDesBlockSize + kPasswordDigestSize;

DesBlock EncryptBlock(const DesBlock& key, const uint8_t* input) {
  DesBlock block;
  std::copy(input, input + block.size(), block.begin());
  DesKey(key.data()).EncryptBlock(block.data());
  return block;
}

}  // namespace

TokenResponse TokenFirmware::VerifyPassword(const TokenApdu& command) {
  if (command.lc != kPasswordDigestSize) return StatusWordOnly(kSwWrongLength);
  if (std::equal(stored_.password.begin(), stored_.password.end(), command.data)) {
    session_.passwordVerified = true;
    session_.failedPasswords = 0;
    return Done();
  }
  session_.passwordVerified = false;
  ++session_.failedPasswords;
  if (session_.failedPasswords >= kFailuresBeforeLock) session_.locked = true;
  return StatusWordOnly(kSwSecurityNotSatisfied);
}

TokenResponse TokenFirmware::ChangePassword(const TokenApdu& command) {
  if (command.lc != kPasswordDigestSize) return StatusWordOnly(kSwWrongLength);
  if (!session_.passwordVerified) return StatusWordOnly(kSwSecurityNotSatisfied);
  std::copy(command.data, command.data + command.lc, stored_.password.begin());
  storedChanged_ = true;
  return Done();
}

TokenResponse TokenFirmware::Logout(const TokenApdu& command) {
  if (command.lc != 0) return StatusWordOnly(kSwWrongLength);
  session_.passwordVerified = false;
  session_.accessKeyPresented = false;
  return Done();
}

TokenResponse TokenFirmware::AnswerChallenge(const TokenApdu& command, ChallengeKind kind) {
  if (!HasLengths(command, kDesBlockSize, kDesBlockSize)) return StatusWordOnly(kSwWrongLength);
  std::copy(command.data, command.data + kDesBlockSize, session_.challenge.begin());
  session_.challengeKind = kind;
  return DataAnswer(EncryptBlock(stored_.resetKey, command.data));
}

TokenResponse TokenFirmware::ResetChallenge(const TokenApdu& command) {
  return AnswerChallenge(command, ChallengeKind::kReset);
}

// challenge (8) || response (8) || new password digest (32). The server
// proves it holds the reset key: response = E(key, E(key, challenge)).
TokenResponse TokenFirmware::ResetPassword(const TokenApdu& command) {
  if (command.lc != kResetDataSize) return StatusWordOnly(kSwWrongLength);
  const bool remembered =
      session_.challengeKind == ChallengeKind::kReset &&
      std::equal(session_.challenge.begin(), session_.challenge.end(), command.data);
  session_.challengeKind = ChallengeKind::kNone;
  if (!remembered) return StatusWordOnly(kSwConditionsNotSatisfied);
  const DesBlock answer = EncryptBlock(stored_.resetKey, command.data);
  const DesBlock expected = EncryptBlock(stored_.resetKey, answer.data());
  const uint8_t* response = command.data + kDesBlockSize;
  if (!std::equal(expected.begin(), expected.end(), response)) {
    return StatusWordOnly(kSwSecurityNotSatisfied);
  }
  std::copy(command.data + 2 * kDesBlockSize, command.data + kResetDataSize,
            stored_.password.begin());
  session_.failedPasswords = 0;
  session_.locked = false;
  storedChanged_ = true;
  return Done();
}

}  // namespace quill
