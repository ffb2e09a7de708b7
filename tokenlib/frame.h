// The 248-byte command and answer frames, in both directions.
//
// Request (before encryption): 0x53, 0x00, command (cla ins p1 p2 lc data le),
// random filler, CRC_B over bytes 0..245 low byte first.
// Answer (after decryption): 0x52, status, L (big-endian, data length + 2),
// data, SW1, SW2, filler, CRC_B over bytes 0..245 low byte first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quill {

constexpr size_t kFrameSize = 248;
constexpr size_t kMaxCommandData = 238;
constexpr size_t kMaxAnswerData = 240;
constexpr uint8_t kCommandClass = 0xBF;
constexpr uint8_t kRequestMarker = 0x53;
constexpr uint8_t kAnswerMarker = 0x52;
constexpr uint8_t kStatusProcessed = 0xAA;
constexpr uint16_t kStatusWordSuccess = 0x9000;

using Frame = std::array<uint8_t, kFrameSize>;

struct TokenApdu {
  uint8_t cla = kCommandClass;
  uint8_t ins = 0;
  uint8_t p1 = 0;
  uint8_t p2 = 0;
  const uint8_t* data = nullptr;
  size_t lc = 0;  // must not exceed kMaxCommandData
  uint8_t le = 0;
};

// Serialises the command into out (lc + 6 bytes); returns the length, or 0
// when lc is out of range.
size_t SerializeApdu(const TokenApdu& apdu, uint8_t* out, size_t capacity);

// Writes the request into a frame that the caller has filled with random bytes.
bool BuildRequestFrame(const TokenApdu& apdu, Frame* frame);

struct AnswerView {
  uint8_t status = 0;
  uint16_t statusWord = 0;
  const uint8_t* data = nullptr;
  size_t length = 0;  // data bytes (L - 2)
};

enum class AnswerCheck { kOk, kDamaged, kWrongMarker };

// Checks checksum and length first, then the marker. The view points into frame.
AnswerCheck ParseAnswerFrame(const Frame& frame, AnswerView* answer);

// The token's side: parse a decrypted request and build an answer.
struct RequestView {
  TokenApdu apdu;
};
enum class RequestCheck { kOk, kDamaged, kWrongMarker };
RequestCheck ParseRequestFrame(const Frame& frame, RequestView* request);

// Writes an answer into a frame the caller has filled with random bytes;
// false when length exceeds kMaxAnswerData.
bool BuildAnswerFrame(uint8_t status, const uint8_t* data, size_t length, uint16_t statusWord,
                      Frame* frame);

// Stores CRC_B over bytes 0..245 into bytes 246..247.
void SealFrame(Frame* frame);
bool FrameChecksumValid(const Frame& frame);

}  // namespace quill
