// SHA-1 message digest (FIPS 180-4), for the token's keyed digest command.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quill {

constexpr size_t kSha1DigestSize = 20;

class Sha1 {
 public:
  Sha1();
  void Update(const uint8_t* bytes, size_t length);
  // Writes the digest; the object must not be updated afterwards.
  void Final(uint8_t digest[kSha1DigestSize]);

 private:
  void Transform(const uint8_t block[64]);

  uint32_t state_[5];
  uint64_t byteCount_;
  uint8_t buffer_[64];
  size_t buffered_;
};

void Sha1Digest(const uint8_t* bytes, size_t length, uint8_t digest[kSha1DigestSize]);

}  // namespace quill
