// The plain user storage (8-bit text) and the key-protected secure storage
// (Base64), with the control's limits and those of 128-byte variant 2 tokens.
//
// Negative offsets and lengths pass the control's upper limits and are then
// refused by the token operation (its argument-range code), except where a
// variant 2 write builds the whole 128-byte area itself: there a range that
// does not lie inside the area is refused with 4106. Buffers are sized from
// lengths clamped to the area, never from a script's number as it stands.
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

constexpr int64_t kUserReadLimit = 2048;
constexpr int64_t kUserWriteLimit = 2056;
constexpr int64_t kSecureLimit = 2056;
constexpr int64_t kSmallArea = 128;
constexpr int kSmallAreaVariant = 2;
constexpr size_t kMaxSecureTextCharacters = 2732;

bool SmallArea() {
  return Session().variant == kSmallAreaVariant;
}

// A buffer for length bytes of an area of the given size: enough for every
// range the token operation can accept, plus slack bytes.
std::vector<uint8_t> ReadBuffer(int length, int64_t areaSize, size_t perByte, size_t slack) {
  const int64_t clamped = std::clamp<int64_t>(length, 0, areaSize);
  return std::vector<uint8_t>(static_cast<size_t>(clamped) * perByte + slack, 0);
}

const uint8_t* Bytes(const std::string& text) {
  return reinterpret_cast<const uint8_t*>(text.data());
}

// Records code and gives the empty text.
ScriptText Refuse(int code) {
  TokenSetLastError(code);
  return ScriptText::Null();
}

// Records code and gives result.
int32_t Refuse(int code, int32_t result) {
  TokenSetLastError(code);
  return result;
}

ScriptText SecureRead(int start, int length) {
  std::vector<uint8_t> buffer = ReadBuffer(length, kSecureLimit, 2, 16);
  int received = length;
  if (TokenSecureReadStorage(SelectedHandle(), ControlAccessKey(), start, &received,
                             buffer.data()) != 0) {
    return ScriptText::Null();
  }
  received = std::clamp<int>(received, 0, static_cast<int>(buffer.size()));
  return TextResult(Base64Encode(buffer.data(), static_cast<size_t>(received)));
}

// The Base64 text of a secure write decoded; false when it is not Base64.
bool DecodeSecureText(const ScriptText& text, std::vector<uint8_t>* bytes) {
  const std::string narrow = Narrow(text);
  return Base64Decode(narrow.data(), narrow.size(), bytes);
}

}  // namespace

ScriptText QuillReadUserStorage(int32_t length) {
  return QuillReadUserStorageEx(0, length);
}

ScriptText QuillReadUserStorageEx(int32_t start, int32_t length) {
  if (!TokenPresent()) return ScriptText::Null();
  const int64_t end = int64_t{start} + length;
  if (end > kUserReadLimit) return Refuse(CTL_READ_TOO_LONG);
  DetectVariant();
  if (SmallArea() && end > kSmallArea) return Refuse(CTL_READ_TOO_LONG);
  std::vector<uint8_t> buffer = ReadBuffer(length, kUserReadLimit, 1, 8);
  if (TokenReadStorage(SelectedHandle(), start, length, buffer.data()) != 0) {
    return ScriptText::Null();
  }
  return TextResult(std::string(buffer.begin(), buffer.end()));
}

int32_t QuillWriteUserStorage(const ScriptText& buffer) {
  if (!TokenPresent()) return 1;
  const std::string text = Narrow(buffer);
  const int64_t length = static_cast<int64_t>(text.size());
  if (length > kUserWriteLimit) return Refuse(CTL_WRITE_TOO_LONG, 2);
  DetectVariant();
  if (SmallArea() && length > kSmallArea) return Refuse(CTL_WRITE_TOO_LONG, 3);
  if (TokenWriteStorage(SelectedHandle(), 0, static_cast<int>(length), Bytes(text)) != 0) return 4;
  return 0;
}

int32_t QuillWriteUserStorageEx(int32_t start, const ScriptText& buffer) {
  if (!TokenPresent()) return 1;
  const std::string text = Narrow(buffer);
  const int64_t end = int64_t{start} + static_cast<int64_t>(text.size());
  if (end > kUserWriteLimit) return Refuse(CTL_WRITE_TOO_LONG, 2);
  DetectVariant();
  if (SmallArea()) {
    if (end > kSmallArea || start < 0) return Refuse(CTL_WRITE_TOO_LONG, 3);
    // The whole area is written: what lies outside the text becomes zero.
    uint8_t block[kSmallArea] = {};
    std::copy(text.begin(), text.end(), block + start);
    if (TokenWriteStorage(SelectedHandle(), 0, kSmallArea, block) != 0) return 4;
    return 0;
  }
  if (TokenWriteStorage(SelectedHandle(), start, static_cast<int>(text.size()), Bytes(text)) != 0) {
    return 5;
  }
  return 0;
}

ScriptText QuillSecureReadStorage(int32_t length) {
  if (ModelRefused(1) || !TokenPresent()) return ScriptText::Null();
  DetectVariant();
  if (SmallArea() && length > kSmallArea) return Refuse(CTL_READ_TOO_LONG);
  if (length > kSecureLimit) return Refuse(CTL_READ_TOO_LONG);
  return SecureRead(0, length);
}

ScriptText QuillSecureReadStorageEx(int32_t start, int32_t length) {
  if (ModelRefused(1) || !TokenPresent()) return ScriptText::Null();
  const int64_t end = int64_t{start} + length;
  if (end > kSecureLimit) return Refuse(CTL_READ_TOO_LONG);
  DetectVariant();
  if (SmallArea() && end > kSmallArea) return Refuse(CTL_READ_TOO_LONG);
  return SecureRead(start, length);
}

// Texts up to 2732 characters are decoded whole (at most 2049 bytes), so the
// byte limits below decide the rest.
int32_t QuillSecureWriteStorage(const ScriptText& buffer) {
  if (ModelRefused(1)) return 1;
  if (!TokenPresent()) return 2;
  if (CharacterCount(buffer) > kMaxSecureTextCharacters) return Refuse(CTL_WRITE_TOO_LONG, 3);
  std::vector<uint8_t> bytes;
  if (!DecodeSecureText(buffer, &bytes)) return 4;
  const int64_t length = static_cast<int64_t>(bytes.size());
  if (length > kSecureLimit) return Refuse(CTL_WRITE_TOO_LONG, 5);
  DetectVariant();
  if (SmallArea() && length > kSmallArea) return Refuse(CTL_WRITE_TOO_LONG, 6);
  if (TokenSecureWriteStorage(SelectedHandle(), ControlAccessKey(), 0, static_cast<int>(length),
                              bytes.data()) != 0) {
    return 7;
  }
  return 0;
}

int32_t QuillSecureWriteStorageEx(int32_t start, const ScriptText& buffer) {
  if (ModelRefused(1)) return 1;
  if (!TokenPresent()) return 2;
  if (CharacterCount(buffer) > kMaxSecureTextCharacters) return Refuse(CTL_WRITE_TOO_LONG, 3);
  std::vector<uint8_t> bytes;
  if (!DecodeSecureText(buffer, &bytes)) return 4;
  const int64_t length = static_cast<int64_t>(bytes.size());
  if (int64_t{start} + length > kSecureLimit) return Refuse(CTL_WRITE_TOO_LONG, 5);
  DetectVariant();
  if (SmallArea()) {
    if (start != 0) return Refuse(CTL_WRITE_TOO_LONG, 6);
    if (length > kSmallArea) return Refuse(CTL_WRITE_TOO_LONG, 7);
    if (TokenSecureWriteStorage(SelectedHandle(), ControlAccessKey(), 0, static_cast<int>(length),
                                bytes.data()) != 0) {
      return 8;
    }
    return 0;
  }
  if (TokenSecureWriteStorage(SelectedHandle(), ControlAccessKey(), start, static_cast<int>(length),
                              bytes.data()) != 0) {
    return 9;
  }
  return 0;
}

}  // namespace quill
