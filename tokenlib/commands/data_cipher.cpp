// Encryption and decryption of caller data inside the token, 232 bytes per
// command, with the library adding and removing the padding.
#include <cstring>

#include "commands/command_codes.h"
#include "commands/command_support.h"
#include "library_lock.h"

namespace quill {
namespace {

constexpr size_t kGroup = 232;
constexpr size_t kBlock = 8;

// Transforms buffer in place, group by group. 0; 1 when a full group failed;
// 2 when the final partial group failed.
int TransformGroups(TokenHandle handle, uint8_t ins, uint8_t selector, uint8_t* buffer,
                    size_t length) {
  size_t done = 0;
  for (; done + kGroup <= length; done += kGroup) {
    if (ReadCommand(handle, ins, selector, 0, buffer + done, kGroup, buffer + done, kGroup) != 0) {
      return 1;
    }
  }
  const size_t rest = length - done;
  if (rest > 0 && ReadCommand(handle, ins, selector, 0, buffer + done, rest, buffer + done,
                              static_cast<uint16_t>(rest)) != 0) {
    return 2;
  }
  return 0;
}

}  // namespace

int TokenEncryptData(TokenHandle handle, uint8_t selector, const uint8_t accessKey[8],
                     const uint8_t* input, size_t length, size_t* capacity, uint8_t* out) {
  const LibraryLock lock;
  if (capacity == nullptr) return 1;
  const size_t padded = (length / kBlock + 1) * kBlock;
  if (out == nullptr) {
    *capacity = padded;
    return 0;
  }
  if (*capacity < padded) return 2;
  if (length > 0 && input == nullptr) return Failed(kErrArgumentRange, 1);
  *capacity = padded;
  if (length > 0) std::memmove(out, input, length);
  std::memset(out + length, static_cast<int>(padded - length), padded - length);
  if (TokenVerifyAccessKey(handle, accessKey) != 0) return 1;
  switch (TransformGroups(handle, kInsEncryptBlock, selector, out, padded)) {
    case 1:
      return Failed(kErrEncryptBlock, 2);
    case 2:
      return Failed(kErrEncryptBlock, 3);
    default:
      return Succeeded();
  }
}

int TokenDecryptData(TokenHandle handle, uint8_t selector, const uint8_t accessKey[8],
                     const uint8_t* input, size_t length, size_t* capacity, uint8_t* out) {
  const LibraryLock lock;
  if (capacity == nullptr || input == nullptr || out == nullptr || length < kBlock ||
      length % kBlock != 0 || *capacity < length - kBlock) {
    return Failed(kErrArgumentRange, 1);
  }
  uint8_t last[kBlock];
  std::memcpy(last, input + length - kBlock, kBlock);
  const size_t body = length - kBlock;
  if (body > 0) {
    std::memmove(out, input, body);
    if (TokenVerifyAccessKey(handle, accessKey) != 0) return 2;
    if (TransformGroups(handle, kInsDecryptBlock, selector, out, body) != 0) {
      return Failed(kErrDecryptBlock, 2);
    }
  } else if (TokenVerifyAccessKey(handle, accessKey) != 0) {
    return 3;
  }
  if (ReadCommand(handle, kInsDecryptBlock, selector, 0, last, kBlock, last, kBlock) != 0) {
    return Failed(kErrDecryptBlock, 4);
  }
  const uint8_t padding = last[kBlock - 1];
  if (padding > kBlock) return Failed(kErrPaddingInvalid, 5);
  for (size_t i = kBlock - padding; i < kBlock; ++i) {
    if (last[i] != padding) return Failed(kErrPaddingInvalid, 6);
  }
  const size_t resultLength = body + kBlock - padding;
  if (*capacity < resultLength) return Failed(kErrArgumentRange, 7);
  if (kBlock - padding > 0) std::memcpy(out + body, last, kBlock - padding);
  *capacity = resultLength;
  return Succeeded();
}

}  // namespace quill
