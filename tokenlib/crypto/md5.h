// MD5 message digest (RFC 1321).
#pragma once

#include <cstddef>
#include <cstdint>

namespace quill {

constexpr size_t kMd5DigestSize = 16;

class Md5 {
 public:
  Md5();
  void Update(const uint8_t* bytes, size_t length);
  void Final(uint8_t digest[kMd5DigestSize]);

 private:
  void Transform(const uint8_t block[64]);
  uint32_t state_[4];
  uint64_t bitCount_;
  uint8_t buffer_[64];
  size_t buffered_;
};

// Digest in the standard byte order.
void Md5Digest(const uint8_t* bytes, size_t length, uint8_t digest[kMd5DigestSize]);

}  // namespace quill
