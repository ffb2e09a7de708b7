// The transport under the relay: the remote session question and one static
// virtual channel, held by the port. Implementations: win32/ (the system
// metric and the WTSVirtualChannel* calls), loopback/ (a TCP connection on
// the loopback interface standing in for the channel, chosen with
// QUILL_VIRTUAL_CHANNEL), and the scripted fakes of the tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quill {

// How a read of the channel ended.
enum class ChannelRead {
  kOk,         // bytes arrived (at least one)
  kNoChannel,  // no channel is open
  kTimeout,    // nothing arrived within the wait; the channel is still usable
  kBroken,     // the channel failed or was closed by the other end
};

class RemoteChannelPort {
 public:
  virtual ~RemoteChannelPort() = default;
  // Whether this process runs in a remote-desktop session
  // (GetSystemMetrics(SM_REMOTESESSION) != 0).
  virtual bool IsRemoteSession() = 0;
  // Opens the channel "_QLCHN" of the current session; true when a channel
  // is open afterwards. Only called while none is open.
  virtual bool OpenChannel() = 0;
  // Closes the open channel (if any); true when the close succeeded.
  virtual bool CloseChannel() = 0;
  virtual bool IsChannelOpen() = 0;
  // One write of the request's bytes; true when the write succeeded.
  virtual bool SendRequest(const char* text, size_t length) = 0;
  // One read of at most `capacity` bytes, waiting at most the port's reply
  // wait (5000 ms for the real channel). *received holds the count on kOk.
  virtual ChannelRead ReceiveReply(uint8_t* buffer, size_t capacity, size_t* received) = 0;
};

// How long the relay waits for a reply.
constexpr uint32_t kRelayReplyWaitMs = 5000;

}  // namespace quill
