// The relay's channel on Windows: the session question from
// GetSystemMetrics(SM_REMOTESESSION), and the static virtual channel "_QLCHN"
// through the WTSVirtualChannel* calls of wtsapi32.
#pragma once

#include "remote_channel_port.h"

namespace quill {

class Win32RemoteChannel : public RemoteChannelPort {
 public:
  Win32RemoteChannel() = default;
  Win32RemoteChannel(const Win32RemoteChannel&) = delete;
  Win32RemoteChannel& operator=(const Win32RemoteChannel&) = delete;
  ~Win32RemoteChannel() override { CloseChannel(); }

  bool IsRemoteSession() override;
  bool OpenChannel() override;
  bool CloseChannel() override;
  bool IsChannelOpen() override { return channel_ != nullptr; }
  bool SendRequest(const char* text, size_t length) override;
  ChannelRead ReceiveReply(uint8_t* buffer, size_t capacity, size_t* received) override;

 private:
  void* channel_ = nullptr;  // the WTSVirtualChannelOpen handle
};

}  // namespace quill
