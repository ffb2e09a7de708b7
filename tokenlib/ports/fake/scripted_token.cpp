#include "scripted_token.h"

#include <cstring>

namespace quill::fake {
namespace {

constexpr uint8_t kZeroIv[8] = {};

}  // namespace

Step Step::WithData(std::vector<uint8_t> bytes) {
  Step step;
  step.data = std::move(bytes);
  return step;
}

Step Step::Status(uint8_t status) {
  Step step;
  step.status = status;
  return step;
}

Step Step::StatusWord(uint16_t statusWord) {
  Step step;
  step.statusWord = statusWord;
  return step;
}

Step Step::Failing(Transport transport) {
  Step step;
  step.transport = transport;
  return step;
}

ScriptedToken::ScriptedToken(const std::array<uint8_t, 8>& frameKey) : key_(frameKey.data()) {
  for (size_t i = 0; i < uid_.size(); ++i) uid_[i] = static_cast<uint8_t>(0xA0 + i);
}

Step ScriptedToken::Exchange(const uint8_t request[kFrameSize], uint8_t answer[kFrameSize]) {
  Step step;
  if (!script_.empty()) {
    step = script_.front();
    script_.pop_front();
  }

  Frame plain;
  std::memcpy(plain.data(), request, kFrameSize);
  DesCbcDecrypt(key_, kZeroIv, plain.data(), plain.size());
  RequestView view;
  std::vector<uint8_t> data;
  if (ParseRequestFrame(plain, &view) == RequestCheck::kOk) {
    RecordedCommand command;
    command.ins = view.apdu.ins;
    command.p1 = view.apdu.p1;
    command.p2 = view.apdu.p2;
    command.le = view.apdu.le;
    command.data.assign(view.apdu.data, view.apdu.data + view.apdu.lc);
    commands_.push_back(command);
    if (view.apdu.ins == 0x3F) data.assign(uid_.begin(), uid_.end());
  } else {
    ++damagedRequests_;
    step.statusWord = 0x6700;
  }
  if (step.data) data = *step.data;

  Frame reply;
  for (uint8_t& byte : reply) {  // a filler that differs from answer to answer
    fillerSeed_ = fillerSeed_ * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(fillerSeed_ >> 16);
  }
  BuildAnswerFrame(step.status, data.data(), data.size(), step.statusWord, &reply);
  reply[0] = step.marker;
  if (step.lengthField) {
    reply[2] = static_cast<uint8_t>(*step.lengthField >> 8);
    reply[3] = static_cast<uint8_t>(*step.lengthField & 0xFF);
  }
  SealFrame(&reply);
  if (step.damageChecksumByte == 0 || step.damageChecksumByte == 1) {
    reply[kFrameSize - 2 + step.damageChecksumByte] ^= 0x5A;
  }
  DesCbcEncrypt(key_, kZeroIv, reply.data(), reply.size());
  std::memcpy(answer, reply.data(), kFrameSize);
  return step;
}

}  // namespace quill::fake
