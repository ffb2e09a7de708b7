// Small builders of firmware answers, shared by the command families.
#pragma once

#include <cstddef>
#include <cstdint>

#include "firmware.h"

namespace quill {

// Status 0xAA, no data, the given status word.
inline TokenResponse StatusWordOnly(uint16_t statusWord) {
  TokenResponse response;
  response.statusWord = statusWord;
  return response;
}

// Status 0xAA, no data, 0x9000.
inline TokenResponse Done() {
  return TokenResponse();
}

inline TokenResponse DataAnswer(const uint8_t* data, size_t length) {
  TokenResponse response;
  response.data.assign(data, data + length);
  return response;
}

template <typename Bytes>
TokenResponse DataAnswer(const Bytes& bytes) {
  return DataAnswer(bytes.data(), bytes.size());
}

// The command carries exactly lc data bytes and asks for exactly le.
inline bool HasLengths(const TokenApdu& command, size_t lc, size_t le) {
  return command.lc == lc && command.le == le;
}

}  // namespace quill
