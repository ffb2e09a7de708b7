// What the virtual presence watcher needs from outside: a way to ask one
// virtual token endpoint whether it answers, and a way to hand a device
// notification to the running monitor.
#pragma once

#include <string>

#include "config.h"

namespace quill {

enum class ProbeOutcome {
  kAnswered,  // connected and read a hello line (in *helloLine)
  kRefused,   // nothing listens there: the token is unplugged
  kUnclear,   // connected, but no usable hello line in time
};

class EndpointProbe {
 public:
  virtual ~EndpointProbe() = default;
  // Connects to the endpoint with a short timeout and reads its hello line
  // (line feed included); the connection is closed again before returning.
  virtual ProbeOutcome Probe(const LoopbackEndpoint& endpoint, std::string* helloLine) = 0;
};

enum class PresenceChange { kArrival, kRemoval };

class PresenceNotifier {
 public:
  virtual ~PresenceNotifier() = default;
  // Delivers one device notification for the USB device interface path.
  // False when it could not be delivered (no monitor window, for example).
  virtual bool Deliver(PresenceChange change, const std::string& devicePath) = 0;
};

}  // namespace quill
