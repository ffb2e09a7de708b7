// The form in which every password reaches the token.
#include <cstring>

#include "crypto/md5.h"
#include "token.h"

namespace quill {

bool PasswordDigest(const char* password, uint8_t digest[kPasswordDigestSize]) {
  uint8_t buffer[kMaxPasswordLength] = {};
  size_t length = 0;
  if (password != nullptr) {
    while (password[length] != '\0') {
      if (length == kMaxPasswordLength) return false;
      buffer[length] = static_cast<uint8_t>(password[length]);
      ++length;
    }
  }
  Md5Digest(buffer, sizeof(buffer), digest);
  std::memset(digest + kMd5DigestSize, 0, kPasswordDigestSize - kMd5DigestSize);
  return true;
}

}  // namespace quill
