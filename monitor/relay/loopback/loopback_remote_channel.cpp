#include "loopback_remote_channel.h"

namespace quill {

bool LoopbackRemoteChannel::OpenChannel() {
  socket_ = ConnectChannelSocket(endpoint_, connectWaitMs_);
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
  return socket_->Send(reinterpret_cast<const uint8_t*>(text), length, replyWaitMs_);
}

ChannelRead LoopbackRemoteChannel::ReceiveReply(uint8_t* buffer, size_t capacity,
                                                size_t* received) {
  *received = 0;
  if (socket_ == nullptr) return ChannelRead::kNoChannel;
  return socket_->ReceiveSome(buffer, capacity, replyWaitMs_, received);
}

}  // namespace quill
