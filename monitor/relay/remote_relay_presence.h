// Makes a CRemoteRelay the main window's remote presence check.
#pragma once

#include "ports/monitor_ports.h"
#include "remote_relay.h"

namespace quill {

class RemoteRelayPresence : public RemotePresencePort {
 public:
  explicit RemoteRelayPresence(CRemoteRelay& relay) : relay_(relay) {}
  bool Probe() override { return relay_.Probe(); }
  int Find() override { return relay_.Find(); }

 private:
  CRemoteRelay& relay_;
};

}  // namespace quill
