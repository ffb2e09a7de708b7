// DES block function and key schedule (FIPS 46-3), CBC mode, Triple-DES EDE.
//
// Layout used by the block function: after the initial permutation both halves
// are kept rotated right by 3 bits. In that form the eight 6-bit S-box inputs
// of the expansion E are plain byte fields: S1, S3, S5, S7 come from bits
// 29..24, 21..16, 13..8, 5..0 of the rotated half, S2, S4, S6, S8 from the
// same fields of the half rotated left by another 4 bits. The combined
// S-box/P tables (SP tables) are built at compile time with their output
// rotated the same way, and the subkeys are packed to match: S1/S3/S5/S7
// inputs in the upper 32 bits, S2/S4/S6/S8 inputs in the lower 32 bits.
#include "crypto/des.h"

#include <cstring>

namespace quill {
namespace {

// S-boxes, each 4 rows of 16 columns.
constexpr uint8_t kSBoxes[8][64] = {
    {14, 4,  13, 1, 2,  15, 11, 8, 3, 10, 6, 12, 5,  9,  0,  7,  0,  15, 7,  4,  14, 2,
     13, 1,  10, 6, 12, 11, 9,  5, 3, 8,  4, 1,  14, 8,  13, 6,  2,  11, 15, 12, 9,  7,
     3,  10, 5,  0, 15, 12, 8,  2, 4, 9,  1, 7,  5,  11, 3,  14, 10, 0,  6,  13},
    {15, 1,  8,  14, 6,  11, 3,  4, 9,  7,  2, 13, 12, 0,  5,  10, 3,  13, 4,  7, 15, 2,
     8,  14, 12, 0,  1,  10, 6,  9, 11, 5,  0, 14, 7,  11, 10, 4,  13, 1,  5,  8, 12, 6,
     9,  3,  2,  15, 13, 8,  10, 1, 3,  15, 4, 2,  11, 6,  7,  12, 0,  5,  14, 9},
    {10, 0,  9,  14, 6, 3,  15, 5,  1,  13, 12, 7, 11, 4,  2,  8,  13, 7, 0,  9, 3, 4,
     6,  10, 2,  8,  5, 14, 12, 11, 15, 1,  13, 6, 4,  9,  8,  15, 3,  0, 11, 1, 2, 12,
     5,  10, 14, 7,  1, 10, 13, 0,  6,  9,  8,  7, 4,  15, 14, 3,  11, 5, 2,  12},
    {7, 13, 14, 3, 0, 6,  9, 10, 1,  2, 8,  5, 11, 12, 4,  15, 13, 8,  11, 5, 6, 15,
     0, 3,  4,  7, 2, 12, 1, 10, 14, 9, 10, 6, 9,  0,  12, 11, 7,  13, 15, 1, 3, 14,
     5, 2,  8,  4, 3, 15, 0, 6,  10, 1, 13, 8, 9,  4,  5,  11, 12, 7,  2,  14},
    {2,  12, 4, 1,  7,  10, 11, 6, 8, 5,  3, 15, 13, 0,  14, 9,  14, 11, 2,  12, 4,  7,
     13, 1,  5, 0,  15, 10, 3,  9, 8, 6,  4, 2,  1,  11, 10, 13, 7,  8,  15, 9,  12, 5,
     6,  3,  0, 14, 11, 8,  12, 7, 1, 14, 2, 13, 6,  15, 0,  9,  10, 4,  5,  3},
    {12, 1,  10, 15, 9,  2,  6, 8,  0, 13, 3,  4,  14, 7,  5, 11, 10, 15, 4, 2, 7, 12,
     9,  5,  6,  1,  13, 14, 0, 11, 3, 8,  9,  14, 15, 5,  2, 8,  12, 3,  7, 0, 4, 10,
     1,  13, 11, 6,  4,  3,  2, 12, 9, 5,  15, 10, 11, 14, 1, 7,  6,  0,  8, 13},
    {4, 11, 2,  14, 15, 0,  8,  13, 3, 12, 9,  7, 5,  10, 6,  1,  13, 0,  11, 7,  4, 9,
     1, 10, 14, 3,  5,  12, 2,  15, 8, 6,  1,  4, 11, 13, 12, 3,  7,  14, 10, 15, 6, 8,
     0, 5,  9,  2,  6,  11, 13, 8,  1, 4,  10, 7, 9,  5,  0,  15, 14, 2,  3,  12},
    {13, 2, 8,  4, 6, 15, 11, 1,  10, 9,  3, 14, 5,  0,  12, 7,  1,  15, 13, 8, 10, 3,
     7,  4, 12, 5, 6, 11, 0,  14, 9,  2,  7, 11, 4,  1,  9,  12, 14, 2,  0,  6, 10, 13,
     15, 3, 5,  8, 2, 1,  14, 7,  4,  10, 8, 13, 15, 12, 9,  0,  3,  5,  6,  11},
};

// Permutation P: output bit i+1 is input bit kPermutationP[i] (bits numbered from 1, MSB first).
constexpr uint8_t kPermutationP[32] = {16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23,
                                       26, 5, 18, 31, 10, 2,  8,  24, 14, 32, 27,
                                       3,  9, 19, 13, 30, 6,  22, 11, 4,  25};

// Permuted choice 1 (key bits 1..64 -> C0 then D0) and permuted choice 2 (C, D -> subkey).
constexpr uint8_t kPermutedChoice1[56] = {57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18,
                                          10, 2,  59, 51, 43, 35, 27, 19, 11, 3,  60, 52, 44, 36,
                                          63, 55, 47, 39, 31, 23, 15, 7,  62, 54, 46, 38, 30, 22,
                                          14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};
constexpr uint8_t kPermutedChoice2[48] = {
    14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10, 23, 19, 12, 4,  26, 8,  16, 7,  27, 20, 13, 2,
    41, 52, 31, 37, 47, 55, 30, 40, 51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};
constexpr uint8_t kKeyRotations[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

constexpr uint32_t RotateRight(uint32_t value, unsigned bits) {
  return (value >> bits) | (value << ((32 - bits) & 31));
}
constexpr uint32_t RotateLeft(uint32_t value, unsigned bits) {
  return (value << bits) | (value >> ((32 - bits) & 31));
}

constexpr bool SBoxRowsArePermutations() {
  for (const auto& box : kSBoxes) {
    for (int row = 0; row < 4; ++row) {
      unsigned seen = 0;
      for (int column = 0; column < 16; ++column) seen |= 1u << box[row * 16 + column];
      if (seen != 0xffff) return false;
    }
  }
  return true;
}
static_assert(SBoxRowsArePermutations(), "S-box transcription error");

constexpr bool PermutedChoice2SplitsHalves() {
  for (int i = 0; i < 48; ++i) {
    if ((i < 24) != (kPermutedChoice2[i] <= 28)) return false;
  }
  return true;
}
static_assert(PermutedChoice2SplitsHalves(), "PC-2 must take its first 24 bits from C");

struct SpTables {
  uint32_t entry[8][64];
};

constexpr SpTables MakeSpTables() {
  SpTables tables{};
  for (int box = 0; box < 8; ++box) {
    for (unsigned input = 0; input < 64; ++input) {
      const unsigned row = ((input >> 4) & 2) | (input & 1);
      const unsigned column = (input >> 1) & 15;
      const uint32_t substituted = uint32_t{kSBoxes[box][row * 16 + column]} << (28 - 4 * box);
      uint32_t permuted = 0;
      for (int bit = 0; bit < 32; ++bit) {
        if ((substituted >> (32 - kPermutationP[bit])) & 1) permuted |= 1u << (31 - bit);
      }
      tables.entry[box][input] = RotateRight(permuted, 3);
    }
  }
  return tables;
}

constexpr SpTables kSp = MakeSpTables();

// Position of subkey bit `index` (0 = first bit of the 48) in the packed 64-bit subkey.
constexpr unsigned PackedSubkeyBit(int index) {
  const int group = index / 6;
  const unsigned bitInGroup = 5 - index % 6;
  const unsigned byteShift = 8 * (3 - group / 2);
  return (group % 2 == 0 ? 32 : 0) + byteShift + bitInGroup;
}

// PC-2 as lookups: the 28-bit registers C and D are each read as four 7-bit
// chunks (most significant first); each chunk value maps to its packed subkey bits.
struct Pc2Tables {
  uint64_t fromC[4][128];
  uint64_t fromD[4][128];
};

constexpr Pc2Tables MakePc2Tables() {
  Pc2Tables tables{};
  for (int chunk = 0; chunk < 4; ++chunk) {
    for (unsigned value = 0; value < 128; ++value) {
      for (int index = 0; index < 48; ++index) {
        const bool fromC = index < 24;
        const int source = kPermutedChoice2[index] - (fromC ? 1 : 29);  // 0..27 within C or D
        if (source / 7 != chunk || !((value >> (6 - source % 7)) & 1)) continue;
        const uint64_t bit = uint64_t{1} << PackedSubkeyBit(index);
        (fromC ? tables.fromC : tables.fromD)[chunk][value] |= bit;
      }
    }
  }
  return tables;
}

constexpr Pc2Tables kPc2 = MakePc2Tables();

uint32_t LoadBigEndian(const uint8_t* bytes) {
  return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 |
         uint32_t{bytes[3]};
}

void StoreBigEndian(uint8_t* bytes, uint32_t value) {
  bytes[0] = static_cast<uint8_t>(value >> 24);
  bytes[1] = static_cast<uint8_t>(value >> 16);
  bytes[2] = static_cast<uint8_t>(value >> 8);
  bytes[3] = static_cast<uint8_t>(value);
}

// Exchanges the bits of `high` selected by mask << shift with the bits of `low` selected by mask.
inline void SwapBits(uint32_t& high, uint32_t& low, unsigned shift, uint32_t mask) {
  const uint32_t difference = ((high >> shift) ^ low) & mask;
  low ^= difference;
  high ^= difference << shift;
}

// IP as five bit-group exchanges between the two halves.
inline void InitialPermutation(uint32_t& left, uint32_t& right) {
  SwapBits(left, right, 4, 0x0f0f0f0f);
  SwapBits(left, right, 16, 0x0000ffff);
  SwapBits(right, left, 2, 0x33333333);
  SwapBits(right, left, 8, 0x00ff00ff);
  SwapBits(left, right, 1, 0x55555555);
}

// IP^-1: the same exchanges in reverse order.
inline void FinalPermutation(uint32_t& left, uint32_t& right) {
  SwapBits(left, right, 1, 0x55555555);
  SwapBits(right, left, 8, 0x00ff00ff);
  SwapBits(right, left, 2, 0x33333333);
  SwapBits(left, right, 16, 0x0000ffff);
  SwapBits(left, right, 4, 0x0f0f0f0f);
}

// The round function f(R, K) followed by P, on a half rotated right by 3.
inline uint32_t RoundFunction(uint32_t right, uint64_t subkey) {
  const uint32_t s1357 = right ^ static_cast<uint32_t>(subkey >> 32);
  const uint32_t s2468 = RotateLeft(right, 4) ^ static_cast<uint32_t>(subkey);
  return kSp.entry[0][(s1357 >> 24) & 0x3f] ^ kSp.entry[2][(s1357 >> 16) & 0x3f] ^
         kSp.entry[4][(s1357 >> 8) & 0x3f] ^ kSp.entry[6][s1357 & 0x3f] ^
         kSp.entry[1][(s2468 >> 24) & 0x3f] ^ kSp.entry[3][(s2468 >> 16) & 0x3f] ^
         kSp.entry[5][(s2468 >> 8) & 0x3f] ^ kSp.entry[7][s2468 & 0x3f];
}

template <bool kDecrypt>
inline void CryptBlock(const uint64_t subkeys[16], uint8_t block[8]) {
  uint32_t left = LoadBigEndian(block);
  uint32_t right = LoadBigEndian(block + 4);
  InitialPermutation(left, right);
  left = RotateRight(left, 3);
  right = RotateRight(right, 3);
  for (int round = 0; round < 16; round += 2) {
    left ^= RoundFunction(right, subkeys[kDecrypt ? 15 - round : round]);
    right ^= RoundFunction(left, subkeys[kDecrypt ? 14 - round : round + 1]);
  }
  // The output block is R16 L16.
  left = RotateLeft(left, 3);
  right = RotateLeft(right, 3);
  FinalPermutation(right, left);
  StoreBigEndian(block, right);
  StoreBigEndian(block + 4, left);
}

inline void XorBlock(uint8_t target[8], const uint8_t source[8]) {
  uint64_t a;
  uint64_t b;
  std::memcpy(&a, target, 8);
  std::memcpy(&b, source, 8);
  a ^= b;
  std::memcpy(target, &a, 8);
}

// CBC over whole blocks; a final partial block is zero-completed in a temporary
// and only its bytes inside the buffer are written back.
template <typename EncryptBlockFn>
void CbcEncrypt(const EncryptBlockFn& encrypt, const uint8_t iv[8], uint8_t* buffer,
                size_t length) {
  uint8_t chain[kDesBlockSize];
  std::memcpy(chain, iv, kDesBlockSize);
  for (size_t offset = 0; offset < length; offset += kDesBlockSize) {
    const size_t count = length - offset < kDesBlockSize ? length - offset : kDesBlockSize;
    uint8_t block[kDesBlockSize] = {};
    std::memcpy(block, buffer + offset, count);
    XorBlock(block, chain);
    encrypt(block);
    std::memcpy(chain, block, kDesBlockSize);
    std::memcpy(buffer + offset, block, count);
  }
}

template <typename DecryptBlockFn>
void CbcDecrypt(const DecryptBlockFn& decrypt, const uint8_t iv[8], uint8_t* buffer,
                size_t length) {
  uint8_t chain[kDesBlockSize];
  std::memcpy(chain, iv, kDesBlockSize);
  for (size_t offset = 0; offset < length; offset += kDesBlockSize) {
    const size_t count = length - offset < kDesBlockSize ? length - offset : kDesBlockSize;
    uint8_t block[kDesBlockSize] = {};
    std::memcpy(block, buffer + offset, count);
    uint8_t ciphertext[kDesBlockSize];
    std::memcpy(ciphertext, block, kDesBlockSize);
    decrypt(block);
    XorBlock(block, chain);
    std::memcpy(chain, ciphertext, kDesBlockSize);
    std::memcpy(buffer + offset, block, count);
  }
}

struct TripleDesKeys {
  explicit TripleDesKeys(const uint8_t key[24]) : first(key), second(key + 8), third(key + 16) {}
  DesKey first;
  DesKey second;
  DesKey third;
};

}  // namespace

DesKey::DesKey(const uint8_t key[8]) {
  uint64_t keyBits = 0;
  for (int i = 0; i < 8; ++i) keyBits = keyBits << 8 | key[i];

  // PC-1 skips bits 8, 16, ..., 64, so the parity bits never reach the schedule.
  uint32_t c = 0;
  uint32_t d = 0;
  for (int i = 0; i < 28; ++i) {
    c |= static_cast<uint32_t>((keyBits >> (64 - kPermutedChoice1[i])) & 1) << (27 - i);
    d |= static_cast<uint32_t>((keyBits >> (64 - kPermutedChoice1[i + 28])) & 1) << (27 - i);
  }

  for (int round = 0; round < 16; ++round) {
    const unsigned shift = kKeyRotations[round];
    c = ((c << shift) | (c >> (28 - shift))) & 0x0fffffff;
    d = ((d << shift) | (d >> (28 - shift))) & 0x0fffffff;
    uint64_t subkey = 0;
    for (int chunk = 0; chunk < 4; ++chunk) {
      const unsigned chunkShift = 21 - 7 * chunk;
      subkey |= kPc2.fromC[chunk][(c >> chunkShift) & 0x7f];
      subkey |= kPc2.fromD[chunk][(d >> chunkShift) & 0x7f];
    }
    subkeys_[round] = subkey;
  }
}

void DesKey::EncryptBlock(uint8_t block[8]) const {
  CryptBlock<false>(subkeys_, block);
}

void DesKey::DecryptBlock(uint8_t block[8]) const {
  CryptBlock<true>(subkeys_, block);
}

void DesCbcEncrypt(const DesKey& key, const uint8_t iv[8], uint8_t* buffer, size_t length) {
  CbcEncrypt([&key](uint8_t block[8]) { key.EncryptBlock(block); }, iv, buffer, length);
}

void DesCbcDecrypt(const DesKey& key, const uint8_t iv[8], uint8_t* buffer, size_t length) {
  CbcDecrypt([&key](uint8_t block[8]) { key.DecryptBlock(block); }, iv, buffer, length);
}

void DesCbcEncrypt(const uint8_t key[8], const uint8_t iv[8], uint8_t* buffer, size_t length) {
  DesCbcEncrypt(DesKey(key), iv, buffer, length);
}

void DesCbcDecrypt(const uint8_t key[8], const uint8_t iv[8], uint8_t* buffer, size_t length) {
  DesCbcDecrypt(DesKey(key), iv, buffer, length);
}

void TripleDesCbcEncrypt(const uint8_t key[24], const uint8_t iv[8], uint8_t* buffer,
                         size_t length) {
  const TripleDesKeys keys(key);
  CbcEncrypt(
      [&keys](uint8_t block[8]) {
        keys.first.EncryptBlock(block);
        keys.second.DecryptBlock(block);
        keys.third.EncryptBlock(block);
      },
      iv, buffer, length);
}

void TripleDesCbcDecrypt(const uint8_t key[24], const uint8_t iv[8], uint8_t* buffer,
                         size_t length) {
  const TripleDesKeys keys(key);
  CbcDecrypt(
      [&keys](uint8_t block[8]) {
        keys.third.DecryptBlock(block);
        keys.second.EncryptBlock(block);
        keys.first.DecryptBlock(block);
      },
      iv, buffer, length);
}

}  // namespace quill
