// What a server that shares the token's keys computes in the tests: the
// token's data cipher (single DES per 8-byte block under the selector's
// cipher key, with the library's padding), the reset answers, and counts of
// the commands a token received.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base64.h"
#include "crypto/des.h"
#include "vtoken/server.h"

namespace quill::server_side {

using Bytes = std::vector<uint8_t>;

inline Bytes BytesOf(const std::string& text) {
  return Bytes(text.begin(), text.end());
}
inline std::string TextOf(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

inline std::string ToBase64(const Bytes& bytes) {
  return Base64Encode(bytes.data(), bytes.size());
}
inline Bytes FromBase64(const std::string& text) {
  Bytes bytes;
  EXPECT_TRUE(Base64Decode(text.data(), text.size(), &bytes)) << text;
  return bytes;
}

// Pads to the next multiple of 8 (a whole block when already a multiple),
// each padding byte holding the padding length, and encrypts block by block.
inline Bytes CipherEncrypt(const DesBlock& key, const Bytes& plain) {
  const size_t padded = (plain.size() / 8 + 1) * 8;
  Bytes out = plain;
  out.resize(padded, static_cast<uint8_t>(padded - plain.size()));
  const DesKey des(key.data());
  for (size_t i = 0; i < out.size(); i += 8) des.EncryptBlock(out.data() + i);
  return out;
}

// Decrypts block by block and strips the padding; false when it is not valid.
inline bool CipherDecrypt(const DesBlock& key, Bytes cipher, Bytes* plain) {
  if (cipher.empty() || cipher.size() % 8 != 0) return false;
  const DesKey des(key.data());
  for (size_t i = 0; i < cipher.size(); i += 8) des.DecryptBlock(cipher.data() + i);
  const uint8_t padding = cipher.back();
  if (padding == 0 || padding > 8) return false;
  for (size_t i = cipher.size() - padding; i < cipher.size(); ++i) {
    if (cipher[i] != padding) return false;
  }
  cipher.resize(cipher.size() - padding);
  *plain = cipher;
  return true;
}

inline DesBlock DesEncrypt(const DesBlock& key, DesBlock block) {
  DesKey(key.data()).EncryptBlock(block.data());
  return block;
}

inline std::string Hex(const uint8_t* bytes, size_t length) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 15];
  }
  return text;
}

inline DesBlock BlockFromHex(const std::string& hex) {
  DesBlock block{};
  for (size_t i = 0; i < block.size() && 2 * i + 1 < hex.size(); ++i) {
    block[i] = static_cast<uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
  }
  return block;
}

// How many commands with this instruction the token has received so far.
inline size_t CommandCount(const VirtualTokenServer& server, int id, uint8_t ins) {
  const std::vector<CommandRecord> commands = server.Stats(id).commands;
  return static_cast<size_t>(std::count_if(commands.begin(), commands.end(),
                                           [ins](const CommandRecord& c) { return c.ins == ins; }));
}

}  // namespace quill::server_side
