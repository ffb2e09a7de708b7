// One virtual token on its own loopback port: sends the hello line on every
// connection, then reads requests and writes answers in order. Unplugging
// closes the listener (new connections are refused) and every connection;
// plugging listens again on the same port.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "loopback_listener.h"
#include "request_tracker.h"
#include "token_setup.h"
#include "virtual_token.h"

namespace quill {

class TokenEndpoint {
 public:
  // The token starts with the stored state given; spec.uid is set by the caller.
  TokenEndpoint(const TokenSpec& spec, const StoredTokenState& stored, const AccessKey& accessKey,
                const FrameKey& frameKey, RequestTracker& tracker);
  ~TokenEndpoint();

  // The first plug takes spec.port (0: ephemeral); later ones the same port.
  bool Plug(std::string* error);
  // Also clears the token's session (flags, failed count, pending items).
  void Unplug();
  bool Plugged() const;
  uint16_t Port() const;
  // The TokenSpec with the port and the cdrom path filled in once known.
  TokenSpec Spec() const;

  VirtualToken& Token() { return token_; }
  const VirtualToken& Token() const { return token_; }

 private:
  void Serve(int fd, const std::string& hello, uint64_t generation);
  // Waits delayMs unless the token is unplugged meanwhile; false when it was.
  bool WaitWhilePlugged(uint32_t delayMs, uint64_t generation);

  const TokenKind kind_;
  VirtualToken token_;
  RequestTracker& tracker_;

  mutable std::mutex stateMutex_;  // guards spec_ and listener_ (plug and unplug)
  TokenSpec spec_;
  LoopbackListener listener_;

  std::mutex plugMutex_;  // guards generation_
  std::condition_variable unplugged_;
  uint64_t generation_ = 0;  // counts unplugs
};

}  // namespace quill
