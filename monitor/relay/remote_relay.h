// CRemoteRelay: the server end of the remote-desktop token relay. The
// monitor's main window holds one and, on every timer tick in a remote
// session, asks the client machine whether the token is still attached
// (Find). The other requests (Open, GetId, GetData, Close) use the same
// framing; no flow of the monitor issues them.
//
// Calling order: Probe first; each request runs only while connected, and
// performs exactly one write and one read before it returns a RelayResult.
//
// One channel at a time: Probe opens a channel only when none is open and
// otherwise reuses the open one, so the two probes of every tick hold one
// handle between them. A request whose write fails, or whose read finds the
// channel broken (closed by the client, a failed read), closes the channel,
// so that the next Probe opens a fresh one; `connected` keeps its value until
// then, and the result is the same as with a kept channel. A read that times
// out keeps the channel: a late reply stays in it and is read as the answer
// to the next request (replies carry no request identifier).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ports/monitor_ports.h"
#include "relay_codec.h"
#include "remote_channel_port.h"

namespace quill {

// The least room GetId and GetData ask of their callers.
constexpr size_t kRelayIdCapacity = kRelayDataSlot;
constexpr size_t kRelayDataCapacity = 768;

class CRemoteRelay {
 public:
  // The channel port does the platform's part; the text port converts Open's
  // wide text in the thread's ANSI code page.
  CRemoteRelay(RemoteChannelPort& channel, TextPort& text) : channel_(channel), text_(text) {}
  CRemoteRelay(const CRemoteRelay&) = delete;
  CRemoteRelay& operator=(const CRemoteRelay&) = delete;

  // Whether the monitor runs in a remote session with the channel open. In a
  // console session the channel is not touched.
  bool Probe();
  // Whether the token is attached to the client machine: 0 when it is.
  int Find();
  // Logs in on the client with this text (up to its first zero). Refused
  // (like a null text) with kRelaySendFailed, nothing sent, when the converted
  // text is over 127 bytes, holds ";", or holds a lone surrogate, which no
  // code page converts.
  int Open(const char16_t* text);
  // The client's token identifier: the reply's data field as text followed
  // by zero bytes, as many bytes as the reply had. `capacity` must be at
  // least kRelayIdCapacity; a smaller one is kRelaySendFailed, nothing sent.
  int GetId(char* out, size_t capacity);
  // The decoded data field: *count bytes into out. A decoded record larger
  // than `capacity` is kRelayBadData with nothing copied.
  int GetData(uint8_t* out, size_t capacity, int* count);
  int Close();

  bool connected() const { return connected_ == 1; }

 private:
  struct Reply {
    char status[kRelayFieldSlot] = {};
    char data[kRelayDataSlot] = {};
    size_t length = 0;  // bytes the reply had
  };
  int Exchange(const std::string& command, const std::string& argument, size_t replyLimit,
               Reply* reply);

  uint8_t connected_ = 0;
  RemoteChannelPort& channel_;
  TextPort& text_;
};

}  // namespace quill
