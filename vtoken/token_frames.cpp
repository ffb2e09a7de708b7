#include "token_frames.h"

#include <algorithm>

namespace quill {
namespace {

const uint8_t kZeroIv[kDesBlockSize] = {};

}  // namespace

RequestCheck OpenRequest(const DesKey& key, const uint8_t* wire, Frame* plain,
                         RequestView* request) {
  std::copy(wire, wire + kFrameSize, plain->begin());
  DesCbcDecrypt(key, kZeroIv, plain->data(), kFrameSize);
  return ParseRequestFrame(*plain, request);
}

TokenResponse DamagedRequestResponse() {
  TokenResponse response;
  response.statusWord = kSwWrongLength;
  return response;
}

void BuildAnswer(const TokenResponse& response, std::mt19937& filler, Frame* plain) {
  std::uniform_int_distribution<int> byte(0, 255);
  for (uint8_t& b : *plain) b = static_cast<uint8_t>(byte(filler));
  const size_t length = std::min(response.data.size(), kMaxAnswerData);
  BuildAnswerFrame(response.status, response.data.data(), length, response.statusWord, plain);
}

void EncryptFrame(const DesKey& key, Frame* frame) {
  DesCbcEncrypt(key, kZeroIv, frame->data(), kFrameSize);
}

}  // namespace quill
