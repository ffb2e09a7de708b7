// CUsbKey: the monitor's small wrapper over the token library. It finds the
// connected tokens of either model (at most 8), reads their UIDs, recognises
// the login token by its usage tag, and offers the few token operations the
// monitor needs, each on the first token found.
//
// The main window, the Basic page and the Change Password dialog each hold
// their own instance; the library's device table behind them is
// process-wide, so every operation that uses the handles runs right after a
// Refresh of its own instance.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ports/monitor_ports.h"
#include "token.h"

namespace quill {

constexpr int kUsbKeyMaxHandles = 8;
constexpr size_t kLoginUidSize = 64;   // loginUid: 64 bytes of 8-bit text
constexpr size_t kUidCharacters = 32;  // a UID text
constexpr size_t kKeyInfoTextCharacters = 64;
constexpr size_t kExpandedUrlSize = 1024;  // ExpandUrl's output buffer
constexpr int kWaitForKeyAttempts = 10;
constexpr uint32_t kWaitForKeyPauseMilliseconds = 500;

// Refresh's results.
constexpr int kRefreshFound = 0;
constexpr int kRefreshNoToken = 1;
constexpr int kRefreshUidFailed = 2;

// The key information as the monitor shows it: the four texts as wide
// strings (at most 64 characters each) and the model bytes copied as 8-bit
// text (bytes after the first zero stay zero).
struct UsbKeyInfo {
  std::u16string name;
  std::u16string description;
  std::u16string url;
  std::u16string other;
  uint8_t model[kModelSize] = {};
};

class CUsbKey {
 public:
  // Uses ports.system (WaitForKey's pauses) and ports.text (GetKeyInfo).
  explicit CUsbKey(const MonitorPorts& ports) : ports_(ports) {}

  // 0 when at least one token was found and every UID read; 1 no token; 2 a
  // UID read failed. Records the first login-tagged token while loginSeen is 0.
  int Refresh();
  // Refresh until it returns 0, at most 10 times, pausing 500 ms after each
  // failed call. True when the last Refresh returned 0 (callers may ignore it).
  bool WaitForKey();
  void ResetLoginSeen() { loginSeen_ = 0; }

  const char* loginUid() const { return loginUid_; }
  uint8_t loginSeen() const { return loginSeen_; }
  int count() const { return count_; }

  // 0 ok; 1 Refresh failed; 2 TokenGetKeyInfo failed. Starts with a Refresh.
  int GetKeyInfo(UsbKeyInfo* info);
  // TokenGetUID on the first token without a Refresh: 0 with at most 32
  // characters in *uid, or 1.
  int GetUid(std::string* uid);
  // Copies text into out (outSize bytes, zero-filled by the caller), each
  // "{ID}" replaced by exactly 32 bytes: the first token's UID, or 32 zero
  // bytes when it cannot be read. 1 when text or out is missing, or when the
  // result and its terminator would not fit outSize (nothing usable is left
  // in out then: it is cleared); else 0.
  int ExpandUrl(const char* text, char* out, size_t outSize = kExpandedUrlSize);
  // Refresh (failure 1), then TokenGetVersionInfo (failure 2); the 8-byte
  // version text (up to its first zero byte) in *version; 0.
  int GetVersionText(std::string* version);
  int LastError() const;
  // 0 when TokenLogin on the first token succeeds, else 1.
  int Login(const std::string& password);
  // 0 when TokenChangePassword on the first token succeeds, else 1.
  int ChangePassword(const std::string& oldPassword, const std::string& newPassword);

 private:
  void RecordLoginToken(TokenHandle handle, const char* uid);

  MonitorPorts ports_;
  TokenHandle handles_[kUsbKeyMaxHandles] = {};
  int count_ = 0;
  char loginUid_[kLoginUidSize] = {};
  uint8_t loginSeen_ = 0;
};

}  // namespace quill
