// DES and Triple-DES (EDE, three independent keys) in CBC mode.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quill {

constexpr size_t kDesBlockSize = 8;

// One DES key with its expanded schedule. Parity bits of the key are ignored.
class DesKey {
 public:
  explicit DesKey(const uint8_t key[8]);
  void EncryptBlock(uint8_t block[8]) const;
  void DecryptBlock(uint8_t block[8]) const;

 private:
  uint64_t subkeys_[16];
};

// CBC over buffer[0..length) in place. Lengths are processed in whole 8-byte
// blocks; a final partial block is completed with zero bytes and processed as
// a whole block, of which only the bytes inside the buffer are written back.
void DesCbcEncrypt(const uint8_t key[8], const uint8_t iv[8], uint8_t* buffer, size_t length);
void DesCbcDecrypt(const uint8_t key[8], const uint8_t iv[8], uint8_t* buffer, size_t length);
void DesCbcEncrypt(const DesKey& key, const uint8_t iv[8], uint8_t* buffer, size_t length);
void DesCbcDecrypt(const DesKey& key, const uint8_t iv[8], uint8_t* buffer, size_t length);

// Triple DES: K1 = key[0..8), K2 = key[8..16), K3 = key[16..24);
// a block is encrypted as E(K3, D(K2, E(K1, x))).
void TripleDesCbcEncrypt(const uint8_t key[24], const uint8_t iv[8], uint8_t* buffer,
                         size_t length);
void TripleDesCbcDecrypt(const uint8_t key[24], const uint8_t iv[8], uint8_t* buffer,
                         size_t length);

}  // namespace quill
