// The library with no hardware devices and the given virtual tokens, reached
// through real sockets, the real clock and the real inter-process lock.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "flock_exchange_lock.h"
#include "library_state.h"
#include "linux_system.h"
#include "ports/virtual/virtual_tokens.h"

namespace quill {

class LoopbackPlatform {
 public:
  LoopbackPlatform(const std::vector<std::string>& endpoints, const std::string& lockPath)
      : lock_(lockPath), noHid_(osError_), noStorage_(osError_) {
    config_ = ParseTokenConfig([](const char*, std::string*) { return false; },
                               [](const std::string&) {});
    for (const std::string& text : endpoints) {
      LoopbackEndpoint endpoint;
      if (ParseLoopbackEndpoint(text, &endpoint)) config_.virtualTokens.push_back(endpoint);
    }
    virtual_ = std::make_unique<VirtualTokens>(config_.virtualTokens, osError_);
    hid_ = std::make_unique<JoinedHidPort>(noHid_, *virtual_);
    storage_ = std::make_unique<JoinedStoragePort>(noStorage_, *virtual_);
    platform_ = Platform{&osError_, &clock_, &lock_, hid_.get(), storage_.get(), virtual_.get()};
    ResetLibrary(&platform_, &config_);
  }
  ~LoopbackPlatform() { ResetLibrary(nullptr, nullptr); }

 private:
  // One last-error value for every port (the empty device lists are fakes).
  fake::FakeOsError osError_;
  LinuxClock clock_;
  FlockExchangeLock lock_;
  fake::FakeHidPort noHid_;
  fake::FakeStoragePort noStorage_;
  TokenConfig config_;
  std::unique_ptr<VirtualTokens> virtual_;
  std::unique_ptr<JoinedHidPort> hid_;
  std::unique_ptr<JoinedStoragePort> storage_;
  Platform platform_;
};

}  // namespace quill
