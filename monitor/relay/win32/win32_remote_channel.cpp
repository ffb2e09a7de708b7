#include "win32_remote_channel.h"

#include <windows.h>
#include <wtsapi32.h>

namespace quill {
namespace {

char kChannelName[] = "_QLCHN";

}  // namespace

bool Win32RemoteChannel::IsRemoteSession() {
  return GetSystemMetrics(SM_REMOTESESSION) != 0;
}

bool Win32RemoteChannel::OpenChannel() {
  channel_ = WTSVirtualChannelOpen(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, kChannelName);
  return channel_ != nullptr;
}

bool Win32RemoteChannel::CloseChannel() {
  if (channel_ == nullptr) return false;
  const BOOL closed = WTSVirtualChannelClose(channel_);
  channel_ = nullptr;
  return closed != FALSE;
}

bool Win32RemoteChannel::SendRequest(const char* text, size_t length) {
  if (channel_ == nullptr) return false;
  ULONG written = 0;
  return WTSVirtualChannelWrite(channel_, const_cast<PCHAR>(text), static_cast<ULONG>(length),
                                &written) != FALSE;
}

ChannelRead Win32RemoteChannel::ReceiveReply(uint8_t* buffer, size_t capacity, size_t* received) {
  *received = 0;
  if (channel_ == nullptr) return ChannelRead::kNoChannel;
  ULONG read = 0;
  if (!WTSVirtualChannelRead(channel_, kRelayReplyWaitMs, reinterpret_cast<PCHAR>(buffer),
                             static_cast<ULONG>(capacity), &read)) {
    return ChannelRead::kBroken;
  }
  // A successful read of nothing is the wait running out.
  if (read == 0) return ChannelRead::kTimeout;
  *received = read;
  return ChannelRead::kOk;
}

}  // namespace quill
