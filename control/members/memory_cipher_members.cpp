// The 192-byte memory area, crossed only as the token's ciphertext, and the
// token's encryption and decryption of script data.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base64.h"
#include "control_codes.h"
#include "members/members.h"
#include "session.h"
#include "session_ops.h"

namespace quill {
namespace {

constexpr int64_t kMemoryLimit = 192;
constexpr size_t kMemoryReadBuffer = 200;
constexpr size_t kCipherBlock = 8;

}  // namespace

int32_t QuillWriteMemory(int32_t start, const ScriptText& buffer) {
  const std::string text = Narrow(buffer).substr(0, CharacterCount(buffer));
  std::vector<uint8_t> cipher;
  if (!Base64Decode(text.data(), text.size(), &cipher)) return 2;

  const uint8_t selector = KeySelector();
  std::vector<uint8_t> plain(std::max(cipher.size(), kCipherBlock));
  size_t capacity = cipher.size();
  if (TokenDecryptData(SelectedHandle(), selector, ControlAccessKey(), cipher.data(), cipher.size(),
                       &capacity, plain.data()) != 0) {
    TokenSetLastError(CTL_WRITE_DECRYPT_FAILED);
    return selector == 1 ? 3 : 4;
  }
  if (int64_t{start} + static_cast<int64_t>(capacity) > kMemoryLimit) return 5;
  if (TokenWriteMemory(SelectedHandle(), start, static_cast<int>(capacity), plain.data()) != 0) {
    return 6;
  }
  return 0;
}

ScriptText QuillReadMemory(int32_t start, int32_t length) {
  if (int64_t{start} + length > kMemoryLimit) return TextResult("1");
  // The token refuses every range outside the area, so a read that succeeds
  // took 0 to 192 bytes.
  uint8_t stored[kMemoryReadBuffer] = {};
  if (TokenReadMemory(SelectedHandle(), start, length, stored) != 0) return TextResult("2");

  const size_t count = static_cast<size_t>(length);
  std::vector<uint8_t> cipher(count + 2 * kCipherBlock);
  size_t capacity = cipher.size();
  if (TokenEncryptData(SelectedHandle(), KeySelector(), ControlAccessKey(), stored, count,
                       &capacity, cipher.data()) != 0) {
    TokenSetLastError(CTL_READ_ENCRYPT_FAILED);
    return ScriptText::Null();
  }
  const std::string encoded = Base64Encode(cipher.data(), capacity);
  if (encoded.empty()) {
    TokenSetLastError(CTL_ENCODE_FAILED);
    return ScriptText::Null();
  }
  return TextResult(encoded);
}

ScriptText QuillDataEncrypt(const ScriptText& buffer) {
  if (!TokenPresent()) return ScriptText::Null();
  const std::string text = Narrow(buffer).substr(0, 2 * CharacterCount(buffer));
  std::vector<uint8_t> cipher(2 * text.size() + kCipherBlock);
  size_t capacity = cipher.size();
  if (TokenEncryptData(SelectedHandle(), KeySelector(), ControlAccessKey(),
                       reinterpret_cast<const uint8_t*>(text.data()), text.size(), &capacity,
                       cipher.data()) != 0) {
    return ScriptText::Null();
  }
  return TextResult(Base64Encode(cipher.data(), capacity));
}

ScriptText QuillDataDecrypt(const ScriptText& buffer) {
  if (!TokenPresent()) return ScriptText::Null();
  const std::string text = Narrow(buffer);
  std::vector<uint8_t> cipher;
  if (!Base64Decode(text.data(), text.size(), &cipher)) return ScriptText::Null();
  if (cipher.size() % kCipherBlock != 0) {
    TokenSetLastError(CTL_BAD_CIPHERTEXT);
    return ScriptText::Null();
  }
  std::vector<uint8_t> plain(std::max(text.size(), kCipherBlock));
  size_t capacity = text.size();
  if (TokenDecryptData(SelectedHandle(), KeySelector(), ControlAccessKey(), cipher.data(),
                       cipher.size(), &capacity, plain.data()) != 0) {
    return ScriptText::Null();
  }
  return TextResult(std::string(reinterpret_cast<const char*>(plain.data()), capacity));
}

}  // namespace quill
