// The inter-process exchange lock as an flock on a file every account can open.
#pragma once

#include <string>

#include "platform.h"

namespace quill {

// flock locks belong to the open file description, so two objects of this
// class exclude each other even inside one process, and a lock dies with the
// process that held it (the next waiter simply obtains it).
class FlockExchangeLock : public ExchangeLockPort {
 public:
  explicit FlockExchangeLock(std::string lockPath);
  ~FlockExchangeLock() override;
  FlockExchangeLock(const FlockExchangeLock&) = delete;
  FlockExchangeLock& operator=(const FlockExchangeLock&) = delete;

  // Opens the lock file once, creating it readable and writable for everyone.
  bool Create() override;
  // Polls for the lock every millisecond until timeoutMs has passed.
  bool Wait(uint32_t timeoutMs) override;
  void Release() override;

 private:
  int OpenLockFile() const;

  std::string path_;
  int fd_ = -1;
};

// The lock file shared by every process of the machine, named after the
// system-wide lock of the Windows build.
std::string DefaultExchangeLockPath();

}  // namespace quill
