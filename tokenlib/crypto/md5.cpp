// MD5 (RFC 1321).
#include "crypto/md5.h"

#include <cstring>

namespace quill {
namespace {

inline uint32_t RotateLeft(uint32_t value, int bits) {
  return (value << bits) | (value >> (32 - bits));
}

inline uint32_t LoadLittleEndian(const uint8_t* bytes) {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
         uint32_t{bytes[3]} << 24;
}

inline void StoreLittleEndian(uint8_t* bytes, uint32_t value) {
  bytes[0] = static_cast<uint8_t>(value);
  bytes[1] = static_cast<uint8_t>(value >> 8);
  bytes[2] = static_cast<uint8_t>(value >> 16);
  bytes[3] = static_cast<uint8_t>(value >> 24);
}

// One step of each round: a = b + ((a + fn(b, c, d) + word + constant) <<< shift).
inline void RoundF(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t word,
                   uint32_t constant, int shift) {
  a = b + RotateLeft(a + (d ^ (b & (c ^ d))) + word + constant, shift);
}

// G = (b & d) | (c & ~d); the two terms never share a bit, so they can be added separately.
inline void RoundG(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t word,
                   uint32_t constant, int shift) {
  a = b + RotateLeft(a + (c & ~d) + word + constant + (b & d), shift);
}

inline void RoundH(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t word,
                   uint32_t constant, int shift) {
  a = b + RotateLeft(a + (b ^ c ^ d) + word + constant, shift);
}

inline void RoundI(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t word,
                   uint32_t constant, int shift) {
  a = b + RotateLeft(a + (c ^ (b | ~d)) + word + constant, shift);
}

}  // namespace

Md5::Md5() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476}, bitCount_(0), buffered_(0) {}

void Md5::Transform(const uint8_t block[64]) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = LoadLittleEndian(block + 4 * i);
  uint32_t a = state_[0];
  uint32_t b = state_[1];
  uint32_t c = state_[2];
  uint32_t d = state_[3];

  RoundF(a, b, c, d, x[0], 0xd76aa478, 7);
  RoundF(d, a, b, c, x[1], 0xe8c7b756, 12);
  RoundF(c, d, a, b, x[2], 0x242070db, 17);
  RoundF(b, c, d, a, x[3], 0xc1bdceee, 22);
  RoundF(a, b, c, d, x[4], 0xf57c0faf, 7);
  RoundF(d, a, b, c, x[5], 0x4787c62a, 12);
  RoundF(c, d, a, b, x[6], 0xa8304613, 17);
  RoundF(b, c, d, a, x[7], 0xfd469501, 22);
  RoundF(a, b, c, d, x[8], 0x698098d8, 7);
  RoundF(d, a, b, c, x[9], 0x8b44f7af, 12);
  RoundF(c, d, a, b, x[10], 0xffff5bb1, 17);
  RoundF(b, c, d, a, x[11], 0x895cd7be, 22);
  RoundF(a, b, c, d, x[12], 0x6b901122, 7);
  RoundF(d, a, b, c, x[13], 0xfd987193, 12);
  RoundF(c, d, a, b, x[14], 0xa679438e, 17);
  RoundF(b, c, d, a, x[15], 0x49b40821, 22);

  RoundG(a, b, c, d, x[1], 0xf61e2562, 5);
  RoundG(d, a, b, c, x[6], 0xc040b340, 9);
  RoundG(c, d, a, b, x[11], 0x265e5a51, 14);
  RoundG(b, c, d, a, x[0], 0xe9b6c7aa, 20);
  RoundG(a, b, c, d, x[5], 0xd62f105d, 5);
  RoundG(d, a, b, c, x[10], 0x02441453, 9);
  RoundG(c, d, a, b, x[15], 0xd8a1e681, 14);
  RoundG(b, c, d, a, x[4], 0xe7d3fbc8, 20);
  RoundG(a, b, c, d, x[9], 0x21e1cde6, 5);
  RoundG(d, a, b, c, x[14], 0xc33707d6, 9);
  RoundG(c, d, a, b, x[3], 0xf4d50d87, 14);
  RoundG(b, c, d, a, x[8], 0x455a14ed, 20);
  RoundG(a, b, c, d, x[13], 0xa9e3e905, 5);
  RoundG(d, a, b, c, x[2], 0xfcefa3f8, 9);
  RoundG(c, d, a, b, x[7], 0x676f02d9, 14);
  RoundG(b, c, d, a, x[12], 0x8d2a4c8a, 20);

  RoundH(a, b, c, d, x[5], 0xfffa3942, 4);
  RoundH(d, a, b, c, x[8], 0x8771f681, 11);
  RoundH(c, d, a, b, x[11], 0x6d9d6122, 16);
  RoundH(b, c, d, a, x[14], 0xfde5380c, 23);
  RoundH(a, b, c, d, x[1], 0xa4beea44, 4);
  RoundH(d, a, b, c, x[4], 0x4bdecfa9, 11);
  RoundH(c, d, a, b, x[7], 0xf6bb4b60, 16);
  RoundH(b, c, d, a, x[10], 0xbebfbc70, 23);
  RoundH(a, b, c, d, x[13], 0x289b7ec6, 4);
  RoundH(d, a, b, c, x[0], 0xeaa127fa, 11);
  RoundH(c, d, a, b, x[3], 0xd4ef3085, 16);
  RoundH(b, c, d, a, x[6], 0x04881d05, 23);
  RoundH(a, b, c, d, x[9], 0xd9d4d039, 4);
  RoundH(d, a, b, c, x[12], 0xe6db99e5, 11);
  RoundH(c, d, a, b, x[15], 0x1fa27cf8, 16);
  RoundH(b, c, d, a, x[2], 0xc4ac5665, 23);

  RoundI(a, b, c, d, x[0], 0xf4292244, 6);
  RoundI(d, a, b, c, x[7], 0x432aff97, 10);
  RoundI(c, d, a, b, x[14], 0xab9423a7, 15);
  RoundI(b, c, d, a, x[5], 0xfc93a039, 21);
  RoundI(a, b, c, d, x[12], 0x655b59c3, 6);
  RoundI(d, a, b, c, x[3], 0x8f0ccc92, 10);
  RoundI(c, d, a, b, x[10], 0xffeff47d, 15);
  RoundI(b, c, d, a, x[1], 0x85845dd1, 21);
  RoundI(a, b, c, d, x[8], 0x6fa87e4f, 6);
  RoundI(d, a, b, c, x[15], 0xfe2ce6e0, 10);
  RoundI(c, d, a, b, x[6], 0xa3014314, 15);
  RoundI(b, c, d, a, x[13], 0x4e0811a1, 21);
  RoundI(a, b, c, d, x[4], 0xf7537e82, 6);
  RoundI(d, a, b, c, x[11], 0xbd3af235, 10);
  RoundI(c, d, a, b, x[2], 0x2ad7d2bb, 15);
  RoundI(b, c, d, a, x[9], 0xeb86d391, 21);

  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

void Md5::Update(const uint8_t* bytes, size_t length) {
  if (length == 0) return;
  bitCount_ += static_cast<uint64_t>(length) << 3;
  if (buffered_ > 0) {
    const size_t take = length < 64 - buffered_ ? length : 64 - buffered_;
    std::memcpy(buffer_ + buffered_, bytes, take);
    buffered_ += take;
    bytes += take;
    length -= take;
    if (buffered_ < 64) return;
    Transform(buffer_);
    buffered_ = 0;
  }
  for (; length >= 64; bytes += 64, length -= 64) Transform(bytes);
  if (length > 0) {
    std::memcpy(buffer_, bytes, length);
    buffered_ = length;
  }
}

void Md5::Final(uint8_t digest[kMd5DigestSize]) {
  // Padding: 0x80, zeros up to 56 mod 64, then the message length in bits, low byte first.
  uint8_t lengthBytes[8];
  for (int i = 0; i < 8; ++i) lengthBytes[i] = static_cast<uint8_t>(bitCount_ >> (8 * i));
  static constexpr uint8_t kPadding[64] = {0x80};
  const size_t padLength = buffered_ < 56 ? 56 - buffered_ : 120 - buffered_;
  Update(kPadding, padLength);
  Update(lengthBytes, 8);
  for (int i = 0; i < 4; ++i) StoreLittleEndian(digest + 4 * i, state_[i]);
}

void Md5Digest(const uint8_t* bytes, size_t length, uint8_t digest[kMd5DigestSize]) {
  Md5 md5;
  md5.Update(bytes, length);
  md5.Final(digest);
}

}  // namespace quill
