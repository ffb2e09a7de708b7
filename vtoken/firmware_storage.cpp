// The user storage, the secure storage and the memory area, and the
// last-block marker of secure transfers.
#include <algorithm>

#include "firmware.h"
#include "firmware_answers.h"

namespace quill {

// Answers exactly le bytes (le 0: none). An answer frame carries at most
// kMaxAnswerData bytes, so a larger le is a length the command does not take.
TokenResponse TokenFirmware::ReadArea(const TokenApdu& command, const uint8_t* area, size_t size,
                                      size_t offset, bool needsAccessKey) const {
  if (command.lc != 0 || command.le > kMaxAnswerData) return StatusWordOnly(kSwWrongLength);
  if (offset > size || command.le > size - offset) return StatusWordOnly(kSwWrongOffset);
  if (needsAccessKey && !session_.accessKeyPresented) {
    return StatusWordOnly(kSwSecurityNotSatisfied);
  }
  return DataAnswer(area + offset, command.le);
}

TokenResponse TokenFirmware::WriteArea(const TokenApdu& command, uint8_t* area, size_t size,
                                       size_t offset, bool needsAccessKey) {
  if (offset > size || command.lc > size - offset) return StatusWordOnly(kSwWrongOffset);
  if (needsAccessKey && !session_.accessKeyPresented) {
    return StatusWordOnly(kSwSecurityNotSatisfied);
  }
  if (command.lc > 0) {
    std::copy(command.data, command.data + command.lc, area + offset);
    storedChanged_ = true;
  }
  return Done();
}

// p1 = 1 announces the final chunk of a secure transfer, p1 = 0 ends it.
TokenResponse TokenFirmware::LastBlockMarker(const TokenApdu& command) {
  if (command.lc != 0) return StatusWordOnly(kSwWrongLength);
  if (command.p1 > 1) return StatusWordOnly(kSwWrongParameters);
  session_.lastBlockMarker = command.p1;
  return Done();
}

}  // namespace quill
