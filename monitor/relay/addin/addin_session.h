// Everything one loaded add-in needs on the client machine: the tokens (the
// token library on this machine's platform, or whatever the caller passes),
// the relay client answering over them, and the add-in core driving the
// channel lent by the platform's shell.
#pragma once

#include <memory>

#include "channel_addin.h"
#include "channel_host.h"
#include "client/relay_client.h"

namespace quill {

// The token library of this machine, as the relay client reaches it.
std::unique_ptr<RelayTokenAccess> MakeMachineTokenAccess();

class AddinSession {
 public:
  AddinSession(ChannelHost& host, std::unique_ptr<RelayTokenAccess> tokens)
      : tokens_(std::move(tokens)), relay_(*tokens_), addin_(host, relay_) {}

  ChannelAddin& Addin() { return addin_; }

 private:
  std::unique_ptr<RelayTokenAccess> tokens_;
  RelayClient relay_;
  ChannelAddin addin_;
};

}  // namespace quill
