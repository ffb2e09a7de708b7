#include "token_endpoint.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "socket_io.h"

namespace quill {
namespace {

// Ends the in-work mark of one request exactly once.
class InWorkMark {
 public:
  explicit InWorkMark(RequestTracker& tracker) : tracker_(tracker) {}
  ~InWorkMark() { End(); }
  void End() {
    if (active_) tracker_.End();
    active_ = false;
  }

 private:
  RequestTracker& tracker_;
  bool active_ = true;
};

}  // namespace

TokenEndpoint::TokenEndpoint(const TokenSpec& spec, const StoredTokenState& stored,
                             const AccessKey& accessKey, const FrameKey& frameKey,
                             RequestTracker& tracker)
    : kind_(spec.kind), token_(stored, accessKey, frameKey), tracker_(tracker), spec_(spec) {}

TokenEndpoint::~TokenEndpoint() {
  Unplug();
}

bool TokenEndpoint::Plug(std::string* error) {
  std::lock_guard<std::mutex> lock(stateMutex_);
  if (listener_.IsOpen()) return true;
  if (!listener_.Open(spec_.port, error)) return false;
  spec_.port = listener_.Port();
  if (spec_.kind == TokenKind::kCdrom && spec_.path.empty()) {
    spec_.path = DefaultCdromPath(spec_.model, spec_.port);
  }
  const std::string hello = HelloLine(spec_.kind, spec_.model, spec_.path);
  uint64_t generation;
  {
    std::lock_guard<std::mutex> plugLock(plugMutex_);
    generation = generation_;
  }
  listener_.Serve([this, hello, generation](int fd) { Serve(fd, hello, generation); });
  return true;
}

void TokenEndpoint::Unplug() {
  std::lock_guard<std::mutex> lock(stateMutex_);
  if (!listener_.IsOpen()) return;
  {
    std::lock_guard<std::mutex> plugLock(plugMutex_);
    ++generation_;
  }
  unplugged_.notify_all();
  // Every connection has ended here, so no command runs after the reset.
  listener_.Close();
  token_.Unplug();
}

bool TokenEndpoint::Plugged() const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  return listener_.IsOpen();
}

uint16_t TokenEndpoint::Port() const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  return spec_.port;
}

TokenSpec TokenEndpoint::Spec() const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  return spec_;
}

void TokenEndpoint::Serve(int fd, const std::string& hello, uint64_t generation) {
  token_.CountConnection();
  if (!WriteAll(fd, hello)) return;
  const size_t messageSize = WireMessageSize(kind_);
  const size_t frameOffset = messageSize - kFrameSize;  // skips the hid report id
  std::vector<uint8_t> message(messageSize);
  while (ReadExactly(fd, message.data(), messageSize)) {
    if (tracker_.Begin()) token_.CountInterleaved();
    InWorkMark mark(tracker_);
    const RequestOutcome outcome = token_.HandleRequest(message.data() + frameOffset);
    if (outcome.delayMs > 0 && !WaitWhilePlugged(outcome.delayMs, generation)) return;
    // The request stops being in work before its answer can reach the client.
    mark.End();
    if (outcome.action == RequestAction::kDrop) return;
    if (outcome.action == RequestAction::kNoAnswer) continue;
    std::fill(message.begin(), message.end(), 0);
    std::copy(outcome.answer.begin(), outcome.answer.end(), message.begin() + frameOffset);
    // Counted first, so that a client that has its answer sees it counted.
    token_.CountAnswer();
    if (!WriteAll(fd, message.data(), messageSize)) return;
  }
}

bool TokenEndpoint::WaitWhilePlugged(uint32_t delayMs, uint64_t generation) {
  std::unique_lock<std::mutex> lock(plugMutex_);
  return !unplugged_.wait_for(lock, std::chrono::milliseconds(delayMs),
                              [&] { return generation_ != generation; });
}

}  // namespace quill
