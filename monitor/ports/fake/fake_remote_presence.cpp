#include "fake_remote_presence.h"

namespace quill::fake {

bool FakeRemotePresence::Probe() {
  ++probes;
  if (probeAnswers.empty()) return probeDefault;
  bool answer = probeAnswers.front();
  probeAnswers.pop_front();
  return answer;
}

int FakeRemotePresence::Find() {
  ++finds;
  return findResult;
}

}  // namespace quill::fake
