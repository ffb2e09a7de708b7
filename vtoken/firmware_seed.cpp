// The keyed SHA-1 over a seed, the access key, and the export of seed 0.
#include <algorithm>

#include "firmware.h"
#include "firmware_answers.h"
#include "sha1.h"

namespace quill {

// SHA-1(seed[p1] || data), after the password.
TokenResponse TokenFirmware::Sha1WithSeed(const TokenApdu& command) const {
  if (command.le != kSha1DigestSize) return StatusWordOnly(kSwWrongLength);
  if (command.p1 >= kSeedSelectors) return StatusWordOnly(kSwWrongParameters);
  if (!session_.passwordVerified) return StatusWordOnly(kSwSecurityNotSatisfied);
  const auto& seed = stored_.seeds[command.p1];
  Sha1 sha1;
  sha1.Update(seed.data(), seed.size());
  if (command.lc > 0) sha1.Update(command.data, command.lc);
  uint8_t digest[kSha1DigestSize];
  sha1.Final(digest);
  return DataAnswer(digest, sizeof(digest));
}

TokenResponse TokenFirmware::PresentAccessKey(const TokenApdu& command) {
  if (command.lc != accessKey_.size()) return StatusWordOnly(kSwWrongLength);
  session_.accessKeyPresented = std::equal(accessKey_.begin(), accessKey_.end(), command.data);
  return session_.accessKeyPresented ? Done() : StatusWordOnly(kSwSecurityNotSatisfied);
}

TokenResponse TokenFirmware::ExportSeed(const TokenApdu& command) const {
  if (!HasLengths(command, 0, kSeedSize)) return StatusWordOnly(kSwWrongLength);
  if (!session_.accessKeyPresented) return StatusWordOnly(kSwSecurityNotSatisfied);
  return DataAnswer(stored_.seeds[0]);
}

}  // namespace quill
