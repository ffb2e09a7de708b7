// The token's command processor: one command in, status, status word and
// answer data out. It holds the token's persistent state (for now the UID
// value) and is not thread-safe; the owner serialises calls.
#pragma once

#include <cstdint>
#include <vector>

#include "frame.h"
#include "token_setup.h"

namespace quill {

// Status words the firmware answers with.
constexpr uint16_t kSwWrongLength = 0x6700;
constexpr uint16_t kSwInsNotSupported = 0x6D00;
constexpr uint16_t kSwClassNotSupported = 0x6E00;

struct TokenResponse {
  uint8_t status = kStatusProcessed;
  uint16_t statusWord = kStatusWordSuccess;
  std::vector<uint8_t> data;  // at most kMaxAnswerData bytes
};

class TokenFirmware {
 public:
  explicit TokenFirmware(const TokenUidValue& uid);

  // Runs one command. A class other than 0xBF gets 0x6E00, an unknown
  // instruction 0x6D00; every answer has status 0xAA.
  TokenResponse Execute(const TokenApdu& command);

 private:
  TokenResponse ReadUid(const TokenApdu& command) const;

  TokenUidValue uid_;
};

}  // namespace quill
