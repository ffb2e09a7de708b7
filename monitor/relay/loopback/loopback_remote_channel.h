// The relay's channel as a TCP connection to a loopback endpoint: the
// session counts as remote, opening the channel connects, and the bytes on
// the connection are exactly the channel's (one write per request, one read
// per reply). The client end listening there is quill-relay-client or a test.
#pragma once

#include <cstdint>
#include <memory>

#include "config.h"
#include "loopback_socket.h"
#include "remote_channel_port.h"

namespace quill {

class LoopbackRemoteChannel : public RemoteChannelPort {
 public:
  explicit LoopbackRemoteChannel(const LoopbackEndpoint& endpoint,
                                 uint32_t replyWaitMs = kRelayReplyWaitMs,
                                 uint32_t connectWaitMs = 1000)
      : endpoint_(endpoint), replyWaitMs_(replyWaitMs), connectWaitMs_(connectWaitMs) {}

  bool IsRemoteSession() override { return true; }
  bool OpenChannel() override;
  bool CloseChannel() override;
  bool IsChannelOpen() override { return socket_ != nullptr; }
  bool SendRequest(const char* text, size_t length) override;
  ChannelRead ReceiveReply(uint8_t* buffer, size_t capacity, size_t* received) override;

  // Connections made so far (each open that succeeded).
  int opens() const { return opens_; }

 private:
  LoopbackEndpoint endpoint_;
  uint32_t replyWaitMs_;
  uint32_t connectWaitMs_;
  std::unique_ptr<LoopbackSocket> socket_;
  int opens_ = 0;
};

}  // namespace quill
