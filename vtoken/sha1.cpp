#include "sha1.h"

#include <cstring>

namespace quill {
namespace {

uint32_t RotateLeft(uint32_t value, int bits) {
  return (value << bits) | (value >> (32 - bits));
}

uint32_t ReadBigEndian32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
         static_cast<uint32_t>(bytes[2]) << 8 | static_cast<uint32_t>(bytes[3]);
}

void WriteBigEndian32(uint32_t value, uint8_t* bytes) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

}  // namespace

Sha1::Sha1()
    : state_{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u},
      byteCount_(0),
      buffer_{},
      buffered_(0) {}

void Sha1::Update(const uint8_t* bytes, size_t length) {
  byteCount_ += length;
  while (length > 0) {
    const size_t take = length < 64 - buffered_ ? length : 64 - buffered_;
    std::memcpy(buffer_ + buffered_, bytes, take);
    buffered_ += take;
    bytes += take;
    length -= take;
    if (buffered_ == 64) {
      Transform(buffer_);
      buffered_ = 0;
    }
  }
}

void Sha1::Final(uint8_t digest[kSha1DigestSize]) {
  const uint64_t bitCount = byteCount_ * 8;
  // Padding: one 1 bit, zeros up to 56 bytes modulo 64, then the bit count.
  const uint8_t one = 0x80;
  Update(&one, 1);
  const uint8_t zero = 0;
  while (buffered_ != 56) Update(&zero, 1);
  uint8_t length[8];
  for (int i = 0; i < 8; ++i) length[i] = static_cast<uint8_t>(bitCount >> (56 - 8 * i));
  Update(length, sizeof(length));
  for (int i = 0; i < 5; ++i) WriteBigEndian32(state_[i], digest + 4 * i);
}

void Sha1::Transform(const uint8_t block[64]) {
  uint32_t schedule[80];
  for (int t = 0; t < 16; ++t) schedule[t] = ReadBigEndian32(block + 4 * t);
  for (int t = 16; t < 80; ++t) {
    schedule[t] =
        RotateLeft(schedule[t - 3] ^ schedule[t - 8] ^ schedule[t - 14] ^ schedule[t - 16], 1);
  }
  uint32_t a = state_[0];
  uint32_t b = state_[1];
  uint32_t c = state_[2];
  uint32_t d = state_[3];
  uint32_t e = state_[4];
  for (int t = 0; t < 80; ++t) {
    uint32_t f;
    uint32_t k;
    if (t < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999u;
    } else if (t < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1u;
    } else if (t < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDCu;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6u;
    }
    const uint32_t temp = RotateLeft(a, 5) + f + e + k + schedule[t];
    e = d;
    d = c;
    c = RotateLeft(b, 30);
    b = a;
    a = temp;
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
  state_[4] += e;
}

void Sha1Digest(const uint8_t* bytes, size_t length, uint8_t digest[kSha1DigestSize]) {
  Sha1 sha1;
  sha1.Update(bytes, length);
  sha1.Final(digest);
}

}  // namespace quill
