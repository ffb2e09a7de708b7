#include "loopback_remote_channel.h"

namespace quill {

bool LoopbackRemoteChannel::OpenChannel() {
  socket_ = ConnectLoopback(endpoint_, connectWaitMs_);
  if (socket_ == nullptr) return false;
  ++opens_;
  return true;
}

bool LoopbackRemoteChannel::CloseChannel() {
  if (socket_ == nullptr) return false;
  socket_.reset();
  return true;
}

bool LoopbackRemoteChannel::SendRequest(const char* text, size_t length) {
  if (socket_ == nullptr) return false;
  size_t written = 0;
  return socket_->WriteAll(reinterpret_cast<const uint8_t*>(text), length, replyWaitMs_,
                           &written) == SocketStatus::kOk;
}

ChannelRead LoopbackRemoteChannel::ReceiveReply(uint8_t* buffer, size_t capacity,
                                                size_t* received) {
  *received = 0;
  if (socket_ == nullptr) return ChannelRead::kNoChannel;
  switch (socket_->ReadSome(buffer, capacity, replyWaitMs_, received)) {
    case SocketStatus::kOk:
      return ChannelRead::kOk;
    case SocketStatus::kTimeout:
      return ChannelRead::kTimeout;
    default:
      return ChannelRead::kBroken;
  }
}

}  // namespace quill
