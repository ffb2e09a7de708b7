// Encryption and decryption of caller data: DES on each 8-byte block on its
// own, under the cipher key of the selector in p1.
#include "crypto/des.h"
#include "firmware.h"
#include "firmware_answers.h"

namespace quill {
namespace {

constexpr size_t kMaxCipherData = 232;

}  // namespace

TokenResponse TokenFirmware::TransformBlocks(const TokenApdu& command, bool encrypt) const {
  if (command.lc == 0 || command.lc > kMaxCipherData || command.lc % kDesBlockSize != 0 ||
      command.le != command.lc) {
    return StatusWordOnly(kSwWrongLength);
  }
  if (command.p1 >= kSeedSelectors) return StatusWordOnly(kSwWrongParameters);
  if (!session_.accessKeyPresented) return StatusWordOnly(kSwSecurityNotSatisfied);
  const DesKey key(stored_.cipherKeys[command.p1].data());
  TokenResponse response = DataAnswer(command.data, command.lc);
  for (size_t at = 0; at < response.data.size(); at += kDesBlockSize) {
    if (encrypt) {
      key.EncryptBlock(response.data.data() + at);
    } else {
      key.DecryptBlock(response.data.data() + at);
    }
  }
  return response;
}

}  // namespace quill
