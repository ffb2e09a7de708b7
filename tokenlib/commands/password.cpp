// Password verification, change, logout and the token half of a reset.
#include <cstring>

#include "commands/command_codes.h"
#include "commands/command_support.h"
#include "library_lock.h"

namespace quill {

namespace {

// Sends a password command and moves the entry to PasswordVerified on
// success, back to Present on failure (recording failureCode).
int PasswordCommand(TokenHandle handle, uint8_t ins, const char* password, int failureCode) {
  uint8_t digest[kPasswordDigestSize];
  int result = kExchangePrepareFailed;
  if (PasswordDigest(password, digest)) {
    result = SendCommand(handle, ins, 0, 0, digest, sizeof(digest));
  } else {
    RecordError(kErrArgumentRange);  // longer than the token takes
  }
  if (result == 0) {
    SetDeviceState(handle, kStatePasswordVerified);
    RecordError(kTokenOk);
  } else {
    SetDeviceState(handle, kStatePresent);
    RecordError(failureCode);
  }
  return result;
}

}  // namespace

int TokenLogin(TokenHandle handle, const char* password) {
  const LibraryLock lock;
  if (!CheckPresent(handle, true)) return 1;
  return PasswordCommand(handle, kInsVerifyPassword, password, kErrPasswordVerify);
}

int TokenChangePassword(TokenHandle handle, const char* oldPassword, const char* newPassword) {
  const LibraryLock lock;
  if (TokenLogin(handle, oldPassword) != 0) return 1;
  return PasswordCommand(handle, kInsChangePassword, newPassword, kErrPasswordChange);
}

int TokenLogout(TokenHandle handle) {
  const LibraryLock lock;
  if (!CheckPresent(handle, true)) return 1;
  if (SendCommand(handle, kInsLogout, 0, 0, nullptr, 0) != 0) return Failed(kErrLogout, 2);
  return Succeeded();
}

int TokenResetChallenge(TokenHandle handle, const uint8_t challenge[8], uint8_t answer[8]) {
  const LibraryLock lock;
  if (!CheckPresent(handle, true)) return 1;
  if (challenge == nullptr || answer == nullptr) return Failed(kErrArgumentRange, 2);
  if (ReadCommand(handle, kInsResetChallenge, 0, 0, challenge, 8, answer, 8) != 0) {
    return Failed(kErrResetChallenge, 2);
  }
  return Succeeded();
}

int TokenResetPassword(TokenHandle handle, const uint8_t challenge[8], const uint8_t response[8],
                       const char* newPassword) {
  const LibraryLock lock;
  if (!CheckPresent(handle, true)) return 1;
  uint8_t data[8 + 8 + kPasswordDigestSize];
  if (challenge == nullptr || response == nullptr || !PasswordDigest(newPassword, data + 16)) {
    return Failed(kErrArgumentRange, 2);
  }
  std::memcpy(data, challenge, 8);
  std::memcpy(data + 8, response, 8);
  if (SendCommand(handle, kInsResetPassword, 0, 0, data, sizeof(data)) != 0) {
    return Failed(kErrResetPassword, 2);
  }
  return Succeeded();
}

}  // namespace quill
