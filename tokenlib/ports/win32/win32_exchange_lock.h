// The exchange lock of all processes on the machine: a named mutex in the
// global namespace that every account may open.
#pragma once

#include "platform.h"

namespace quill {

class Win32ExchangeLock : public ExchangeLockPort {
 public:
  Win32ExchangeLock() = default;
  ~Win32ExchangeLock() override;
  Win32ExchangeLock(const Win32ExchangeLock&) = delete;
  Win32ExchangeLock& operator=(const Win32ExchangeLock&) = delete;

  bool Create() override;
  bool Wait(uint32_t timeoutMs) override;
  void Release() override;

 private:
  void* mutex_ = nullptr;  // the mutex handle
};

}  // namespace quill
