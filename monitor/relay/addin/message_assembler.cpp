#include "message_assembler.h"

#include "channel_constants.h"

namespace quill {

void MessageAssembler::Reset() {
  message_.clear();
  expected_ = 0;
  assembling_ = false;
}

MessageAssembler::Step MessageAssembler::Refuse() {
  Reset();
  return Step::kRefused;
}

MessageAssembler::Step MessageAssembler::Add(const uint8_t* data, uint32_t dataLength,
                                             uint32_t totalLength, uint32_t flags) {
  if (flags & kChannelFlagFirst) {
    // A first chunk always starts afresh, dropping an unfinished message.
    Reset();
    if (totalLength == 0 || totalLength > limit_) return Refuse();
    expected_ = totalLength;
    message_.reserve(expected_);
    assembling_ = true;
  } else if (!assembling_) {
    return Step::kIgnored;
  }
  if (dataLength > 0 && data == nullptr) return Refuse();
  if (dataLength > expected_ - message_.size()) return Refuse();
  message_.insert(message_.end(), data, data + dataLength);
  if (!(flags & kChannelFlagLast)) return Step::kIncomplete;
  if (message_.size() != expected_) return Refuse();
  assembling_ = false;
  return Step::kComplete;
}

}  // namespace quill
