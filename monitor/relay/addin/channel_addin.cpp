#include "channel_addin.h"

#include <string>
#include <utility>

#include "channel_constants.h"

namespace quill {

void ChannelAddin::OnInitialized() {
  if (state_ == State::kCreated) state_ = State::kInitialized;
}

uint32_t ChannelAddin::OnConnected() {
  if (state_ == State::kTerminated) return kChannelNotInitialized;
  if (state_ == State::kOpen) return kChannelOk;
  assembler_.Reset();
  relay_.Reset();
  uint32_t result = host_.OpenChannel();
  state_ = result == kChannelOk ? State::kOpen : State::kClosed;
  return result;
}

void ChannelAddin::OnDisconnected() {
  if (state_ == State::kOpen) host_.CloseChannel();
  if (state_ != State::kTerminated) state_ = State::kClosed;
  assembler_.Reset();
  relay_.Reset();
  // Writes still queued are reported cancelled by the client and released
  // then; whatever it never reports goes with OnTerminated.
}

void ChannelAddin::OnTerminated() {
  OnDisconnected();
  state_ = State::kTerminated;
  // After termination the client makes no more calls, so no completion
  // will come for what is still queued.
  writes_.Clear();
}

ChannelAddin::DataOutcome ChannelAddin::OnDataReceived(const uint8_t* data, uint32_t dataLength,
                                                       uint32_t totalLength, uint32_t flags) {
  if (state_ != State::kOpen) return DataOutcome::kIgnored;
  switch (assembler_.Add(data, dataLength, totalLength, flags)) {
    case MessageAssembler::Step::kIncomplete:
      return DataOutcome::kPartial;
    case MessageAssembler::Step::kRefused:
      return DataOutcome::kRefused;
    case MessageAssembler::Step::kIgnored:
      return DataOutcome::kIgnored;
    case MessageAssembler::Step::kComplete:
      break;
  }
  return Answer();
}

ChannelAddin::DataOutcome ChannelAddin::Answer() {
  const std::vector<uint8_t>& message = assembler_.Message();
  std::string reply = relay_.ReceiveAndReply(message.data(), message.size());
  // The message ends here; an unfinished request in it is not continued by
  // the next message.
  relay_.Reset();
  if (reply.empty()) return DataOutcome::kNoReply;
  std::string* buffer = writes_.Add(std::move(reply));
  uint32_t result = host_.WriteChannel(reinterpret_cast<const uint8_t*>(buffer->data()),
                                       static_cast<uint32_t>(buffer->size()), buffer);
  if (result != kChannelOk) {
    // A refused write is never reported complete: release its buffer now.
    writes_.Finish(buffer);
    return DataOutcome::kWriteFailed;
  }
  return DataOutcome::kAnswered;
}

bool ChannelAddin::OnWriteFinished(const void* userData) {
  return writes_.Finish(userData);
}

}  // namespace quill
