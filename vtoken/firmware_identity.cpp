// UID, identity record, version text, request-enabled byte, usage tag and the
// key information record.
#include <algorithm>

#include "firmware.h"
#include "firmware_answers.h"

namespace quill {

TokenResponse TokenFirmware::ReadUid(const TokenApdu& command) const {
  if (!HasLengths(command, 0, stored_.uid.size())) return StatusWordOnly(kSwWrongLength);
  return DataAnswer(stored_.uid);
}

TokenResponse TokenFirmware::ReadIdentity(const TokenApdu& command) const {
  if (!HasLengths(command, 0, stored_.identity.size())) return StatusWordOnly(kSwWrongLength);
  return DataAnswer(stored_.identity);
}

TokenResponse TokenFirmware::ReadVersion(const TokenApdu& command) const {
  if (!HasLengths(command, 0, stored_.versionText.size())) return StatusWordOnly(kSwWrongLength);
  return DataAnswer(stored_.versionText);
}

TokenResponse TokenFirmware::ReadRequestEnabled(const TokenApdu& command) const {
  if (!HasLengths(command, 0, 1)) return StatusWordOnly(kSwWrongLength);
  return DataAnswer(&stored_.requestEnabled, 1);
}

TokenResponse TokenFirmware::ReadUsageTag(const TokenApdu& command) const {
  if (!HasLengths(command, 0, stored_.usageTag.size())) return StatusWordOnly(kSwWrongLength);
  return DataAnswer(stored_.usageTag);
}

TokenResponse TokenFirmware::ReadKeyInfo(const TokenApdu& command) const {
  if (!HasLengths(command, 0, stored_.keyInfo.size())) return StatusWordOnly(kSwWrongLength);
  return DataAnswer(stored_.keyInfo);
}

TokenResponse TokenFirmware::WriteKeyInfo(const TokenApdu& command) {
  if (command.lc != stored_.keyInfo.size()) return StatusWordOnly(kSwWrongLength);
  if (!session_.passwordVerified) return StatusWordOnly(kSwSecurityNotSatisfied);
  std::copy(command.data, command.data + command.lc, stored_.keyInfo.begin());
  storedChanged_ = true;
  return Done();
}

}  // namespace quill
