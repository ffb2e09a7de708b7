// Watches virtual token endpoints and turns a token being plugged in or
// pulled out into the device notification a real token would cause.
//
// Each Poll probes every endpoint once. The first Poll only records which
// endpoints answer: a token present at start gives no arrival, as on
// Windows. Afterwards an endpoint that was refused and answers again is an
// arrival, with the path built from its hello line; one that answered and is
// refused is a removal, with the path of its last hello. An endpoint that
// connects but sends no usable hello keeps its previous state; one that gave
// no clear answer yet takes its first clear answer as its baseline.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config.h"
#include "presence_ports.h"

namespace quill {

struct PresenceEvent {
  PresenceChange change = PresenceChange::kArrival;
  std::string endpoint;    // "127.0.0.1:PORT"
  std::string devicePath;  // the USB device interface path delivered
  bool delivered = false;  // what the notifier said
};

class PresenceWatcher {
 public:
  PresenceWatcher(std::vector<LoopbackEndpoint> endpoints, EndpointProbe* probe,
                  PresenceNotifier* notifier);

  // Probes every endpoint in list order and delivers the changes found; the
  // events of this poll, in that order.
  std::vector<PresenceEvent> Poll();

  // Whether the endpoint at index answered at the last poll that was clear
  // about it (false before the first poll).
  bool Present(size_t index) const;
  size_t EndpointCount() const { return watched_.size(); }

 private:
  struct Watched {
    LoopbackEndpoint endpoint;
    bool known = false;  // a clear answer was seen
    bool present = false;
    std::string devicePath;  // from the last hello; empty before one
  };

  std::vector<Watched> watched_;
  EndpointProbe* probe_;
  PresenceNotifier* notifier_;
};

}  // namespace quill
