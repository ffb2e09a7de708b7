#include "presence_watcher.h"

#include <utility>

#include "device_interface_path.h"
#include "endpoint_list.h"

namespace quill {

PresenceWatcher::PresenceWatcher(std::vector<LoopbackEndpoint> endpoints, EndpointProbe* probe,
                                 PresenceNotifier* notifier)
    : probe_(probe), notifier_(notifier) {
  for (LoopbackEndpoint& endpoint : endpoints) {
    Watched watched;
    watched.endpoint = std::move(endpoint);
    watched_.push_back(std::move(watched));
  }
}

std::vector<PresenceEvent> PresenceWatcher::Poll() {
  std::vector<PresenceEvent> events;
  for (Watched& watched : watched_) {
    std::string hello;
    const ProbeOutcome outcome = probe_->Probe(watched.endpoint, &hello);
    if (outcome == ProbeOutcome::kUnclear) continue;
    const bool answers = outcome == ProbeOutcome::kAnswered;
    if (answers) {
      std::string path;
      // A hello that names no USB identifiers leaves the last path in place.
      if (DevicePathFromHello(hello, watched.endpoint.port, &path)) watched.devicePath = path;
    }
    const bool baseline = !watched.known;
    const bool changed = answers != watched.present;
    watched.known = true;
    watched.present = answers;
    if (baseline || !changed || watched.devicePath.empty()) continue;
    PresenceEvent event;
    event.change = answers ? PresenceChange::kArrival : PresenceChange::kRemoval;
    event.endpoint = EndpointText(watched.endpoint);
    event.devicePath = watched.devicePath;
    event.delivered = notifier_->Deliver(event.change, event.devicePath);
    events.push_back(std::move(event));
  }
  return events;
}

bool PresenceWatcher::Present(size_t index) const {
  return index < watched_.size() && watched_[index].present;
}

}  // namespace quill
