#include "win32_exchange_lock.h"

#include <windows.h>

namespace quill {
namespace {

constexpr char kMutexName[] = "Global\\cf95b67d-8de0-4296-aba1-d1183c304098";

}  // namespace

Win32ExchangeLock::~Win32ExchangeLock() {
  if (mutex_ != nullptr) CloseHandle(mutex_);
}

bool Win32ExchangeLock::Create() {
  if (mutex_ != nullptr) return true;
  // A null DACL: processes of every account (services included) may open it.
  SECURITY_DESCRIPTOR descriptor{};
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE)) {
    return false;
  }
  SECURITY_ATTRIBUTES attributes{};
  attributes.nLength = sizeof(attributes);
  attributes.lpSecurityDescriptor = &descriptor;
  attributes.bInheritHandle = FALSE;
  mutex_ = CreateMutexA(&attributes, FALSE, kMutexName);
  return mutex_ != nullptr;
}

bool Win32ExchangeLock::Wait(uint32_t timeoutMs) {
  if (mutex_ == nullptr) return false;
  const DWORD result = WaitForSingleObject(mutex_, timeoutMs);
  // An abandoned mutex is ours now: its previous holder died mid-exchange.
  return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

void Win32ExchangeLock::Release() {
  if (mutex_ == nullptr) return;
  // The exchange's own last-error value stays what the caller sees.
  const DWORD lastError = GetLastError();
  ReleaseMutex(mutex_);
  SetLastError(lastError);
}

}  // namespace quill
