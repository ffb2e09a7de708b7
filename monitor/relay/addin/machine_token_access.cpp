// The add-in's tokens are the client machine's own, through the token library
// linked into the add-in module. The library keeps its state for the whole
// process; the client unloads an add-in module when its connections end, so
// the last channel to go releases that state, or every load of the module
// would leave it behind.
#include <memory>
#include <mutex>

#include "addin_session.h"
#include "client/library_token_access.h"
#include "library_state.h"

namespace quill {
namespace {

std::mutex& LiveAccessLock() {
  static std::mutex lock;
  return lock;
}

int& LiveAccessCount() {
  static int count = 0;
  return count;
}

class MachineTokenAccess : public LibraryTokenAccess {
 public:
  MachineTokenAccess() {
    const std::lock_guard<std::mutex> hold(LiveAccessLock());
    ++LiveAccessCount();
  }
  ~MachineTokenAccess() override {
    const std::lock_guard<std::mutex> hold(LiveAccessLock());
    if (--LiveAccessCount() == 0) ResetLibrary(nullptr, nullptr);
  }
  MachineTokenAccess(const MachineTokenAccess&) = delete;
  MachineTokenAccess& operator=(const MachineTokenAccess&) = delete;
};

}  // namespace

std::unique_ptr<RelayTokenAccess> MakeMachineTokenAccess() {
  return std::make_unique<MachineTokenAccess>();
}

}  // namespace quill
