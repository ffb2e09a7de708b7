// Instruction codes of the token's command set (class 0xBF).
#pragma once

#include <cstdint>

namespace quill {

enum TokenInstruction : uint8_t {
  kInsWriteStorage = 0x0E,
  kInsReadStorage = 0x0F,
  kInsVerifyPassword = 0x15,
  kInsChangePassword = 0x17,
  kInsLogout = 0x19,
  kInsResetChallenge = 0x1B,
  kInsResetPassword = 0x1D,
  kInsExportSeed = 0x20,
  kInsSha1WithSeed = 0x21,
  kInsWriteKeyInfo = 0x23,
  kInsReadKeyInfo = 0x25,
  kInsPresentAccessKey = 0x2B,
  kInsEncryptBlock = 0x2D,
  kInsRequestEnabled = 0x2E,
  kInsDecryptBlock = 0x2F,
  kInsSecureReadStorage = 0x35,
  kInsSecureLastBlock = 0x36,
  kInsSecureWriteStorage = 0x37,
  kInsIdentity = 0x3B,
  kInsVersion = 0x3D,
  kInsUid = 0x3F,
  kInsUsageTag = 0x41,
  kInsRemoteChallenge = 0x44,
  kInsRemoteApply = 0x45,
  kInsWriteMemory = 0x62,
  kInsReadMemory = 0x63,
};

}  // namespace quill
