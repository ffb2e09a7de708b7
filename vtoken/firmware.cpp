#include "firmware.h"

#include "commands/command_codes.h"

namespace quill {
namespace {

TokenResponse StatusWordOnly(uint16_t statusWord) {
  TokenResponse response;
  response.statusWord = statusWord;
  return response;
}

}  // namespace

TokenFirmware::TokenFirmware(const TokenUidValue& uid) : uid_(uid) {}

TokenResponse TokenFirmware::Execute(const TokenApdu& command) {
  if (command.cla != kCommandClass) return StatusWordOnly(kSwClassNotSupported);
  switch (command.ins) {
    case kInsUid:
      return ReadUid(command);
    default:
      return StatusWordOnly(kSwInsNotSupported);
  }
}

// No data in, the 32-byte UID value out; any other lc or le is refused.
TokenResponse TokenFirmware::ReadUid(const TokenApdu& command) const {
  if (command.lc != 0 || command.le != uid_.size()) return StatusWordOnly(kSwWrongLength);
  TokenResponse response;
  response.data.assign(uid_.begin(), uid_.end());
  return response;
}

}  // namespace quill
