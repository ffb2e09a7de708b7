// Joins the chunks in which the remote-desktop client hands over one channel
// message. Each chunk comes with its own length, the message's total length
// and the first/last flags. A message is accepted only when its pieces add up
// exactly to the total announced with its first chunk, and only when that
// total is within the limit: nothing is ever stored beyond it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quill {

class MessageAssembler {
 public:
  enum class Step {
    kIncomplete,  // a piece was kept; the message goes on
    kComplete,    // the message is whole: Message() holds it
    kRefused,     // the message breaks the rules and was dropped
    kIgnored,     // a piece outside any message (after a refusal, or no first chunk)
  };

  explicit MessageAssembler(size_t limit) : limit_(limit) {}

  // One received chunk: its bytes, the total length of its message and the
  // channel flags (kChannelFlagFirst, kChannelFlagLast; other bits ignored).
  Step Add(const uint8_t* data, uint32_t dataLength, uint32_t totalLength, uint32_t flags);

  // The last completed message (valid until the next Add or Reset).
  const std::vector<uint8_t>& Message() const { return message_; }
  // Whether a message has been started and not yet finished.
  bool InMessage() const { return assembling_; }
  // Forgets a partly received message.
  void Reset();

 private:
  Step Refuse();

  size_t limit_;
  std::vector<uint8_t> message_;
  size_t expected_ = 0;
  bool assembling_ = false;
};

}  // namespace quill
