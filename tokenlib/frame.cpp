#include "frame.h"

#include <cstring>

#include "crypto/crc16b.h"

namespace quill {
namespace {

constexpr size_t kChecksumOffset = kFrameSize - 2;
constexpr size_t kCommandOffset = 2;
constexpr size_t kAnswerDataOffset = 4;
constexpr size_t kMaxLengthField = kMaxAnswerData + 2;

}  // namespace

size_t SerializeApdu(const TokenApdu& apdu, uint8_t* out, size_t capacity) {
  if (apdu.lc > kMaxCommandData || apdu.lc + 6 > capacity) return 0;
  if (apdu.lc > 0 && apdu.data == nullptr) return 0;
  out[0] = apdu.cla;
  out[1] = apdu.ins;
  out[2] = apdu.p1;
  out[3] = apdu.p2;
  out[4] = static_cast<uint8_t>(apdu.lc);
  if (apdu.lc > 0) std::memcpy(out + 5, apdu.data, apdu.lc);
  out[5 + apdu.lc] = apdu.le;
  return apdu.lc + 6;
}

void SealFrame(Frame* frame) {
  const uint16_t crc = Crc16B(frame->data(), kChecksumOffset);
  (*frame)[kChecksumOffset] = static_cast<uint8_t>(crc & 0xFF);
  (*frame)[kChecksumOffset + 1] = static_cast<uint8_t>(crc >> 8);
}

bool FrameChecksumValid(const Frame& frame) {
  const uint16_t crc = Crc16B(frame.data(), kChecksumOffset);
  return frame[kChecksumOffset] == (crc & 0xFF) && frame[kChecksumOffset + 1] == (crc >> 8);
}

bool BuildRequestFrame(const TokenApdu& apdu, Frame* frame) {
  (*frame)[0] = kRequestMarker;
  (*frame)[1] = 0x00;
  if (SerializeApdu(apdu, frame->data() + kCommandOffset, kChecksumOffset - kCommandOffset) == 0) {
    return false;
  }
  SealFrame(frame);
  return true;
}

AnswerCheck ParseAnswerFrame(const Frame& frame, AnswerView* answer) {
  const size_t lengthField = static_cast<size_t>(frame[2]) << 8 | frame[3];
  if (!FrameChecksumValid(frame) || lengthField < 2 || lengthField > kMaxLengthField) {
    return AnswerCheck::kDamaged;
  }
  if (frame[0] != kAnswerMarker) return AnswerCheck::kWrongMarker;
  answer->status = frame[1];
  answer->length = lengthField - 2;
  answer->data = frame.data() + kAnswerDataOffset;
  const size_t swOffset = kAnswerDataOffset + answer->length;
  answer->statusWord = static_cast<uint16_t>(frame[swOffset] << 8 | frame[swOffset + 1]);
  return AnswerCheck::kOk;
}

RequestCheck ParseRequestFrame(const Frame& frame, RequestView* request) {
  if (!FrameChecksumValid(frame)) return RequestCheck::kDamaged;
  const size_t lc = frame[kCommandOffset + 4];
  if (lc > kMaxCommandData) return RequestCheck::kDamaged;
  if (frame[0] != kRequestMarker) return RequestCheck::kWrongMarker;
  TokenApdu& apdu = request->apdu;
  apdu.cla = frame[kCommandOffset];
  apdu.ins = frame[kCommandOffset + 1];
  apdu.p1 = frame[kCommandOffset + 2];
  apdu.p2 = frame[kCommandOffset + 3];
  apdu.lc = lc;
  apdu.data = frame.data() + kCommandOffset + 5;
  apdu.le = frame[kCommandOffset + 5 + lc];
  return RequestCheck::kOk;
}

bool BuildAnswerFrame(uint8_t status, const uint8_t* data, size_t length, uint16_t statusWord,
                      Frame* frame) {
  if (length > kMaxAnswerData || (length > 0 && data == nullptr)) return false;
  const size_t lengthField = length + 2;
  (*frame)[0] = kAnswerMarker;
  (*frame)[1] = status;
  (*frame)[2] = static_cast<uint8_t>(lengthField >> 8);
  (*frame)[3] = static_cast<uint8_t>(lengthField & 0xFF);
  if (length > 0) std::memcpy(frame->data() + kAnswerDataOffset, data, length);
  (*frame)[kAnswerDataOffset + length] = static_cast<uint8_t>(statusWord >> 8);
  (*frame)[kAnswerDataOffset + length + 1] = static_cast<uint8_t>(statusWord & 0xFF);
  SealFrame(frame);
  return true;
}

}  // namespace quill
