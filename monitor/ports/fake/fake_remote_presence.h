// A scripted remote-desktop relay for tests: Probe answers from a queue
// (then a default), Find answers a set result; calls are counted.
#pragma once

#include <deque>

#include "ports/monitor_ports.h"

namespace quill::fake {

class FakeRemotePresence : public RemotePresencePort {
 public:
  bool Probe() override;
  int Find() override;

  std::deque<bool> probeAnswers;  // used first, one per Probe
  bool probeDefault = false;      // when the queue is empty
  int findResult = 0;
  int probes = 0;
  int finds = 0;
};

}  // namespace quill::fake
