#include "firmware.h"

#include "commands/command_codes.h"
#include "firmware_answers.h"

namespace quill {
namespace {

// Storage offsets: p1 the high byte, p2 the low byte.
size_t WideOffset(const TokenApdu& command) {
  return static_cast<size_t>(command.p1) << 8 | command.p2;
}

}  // namespace

TokenFirmware::TokenFirmware(const StoredTokenState& stored, const AccessKey& accessKey)
    : stored_(stored), accessKey_(accessKey) {}

TokenResponse TokenFirmware::Execute(const TokenApdu& command) {
  if (command.cla != kCommandClass) return StatusWordOnly(kSwClassNotSupported);

  using Handler = TokenResponse (*)(TokenFirmware&, const TokenApdu&);
  struct Command {
    uint8_t ins;
    Handler run;
  };
  using F = TokenFirmware;
  using C = TokenApdu;
  static const Command kCommands[] = {
      {kInsUid, [](F& f, const C& c) { return f.ReadUid(c); }},
      {kInsUsageTag, [](F& f, const C& c) { return f.ReadUsageTag(c); }},
      {kInsIdentity, [](F& f, const C& c) { return f.ReadIdentity(c); }},
      {kInsVersion, [](F& f, const C& c) { return f.ReadVersion(c); }},
      {kInsRequestEnabled, [](F& f, const C& c) { return f.ReadRequestEnabled(c); }},
      {kInsReadKeyInfo, [](F& f, const C& c) { return f.ReadKeyInfo(c); }},
      {kInsWriteKeyInfo, [](F& f, const C& c) { return f.WriteKeyInfo(c); }},
      {kInsVerifyPassword, [](F& f, const C& c) { return f.VerifyPassword(c); }},
      {kInsChangePassword, [](F& f, const C& c) { return f.ChangePassword(c); }},
      {kInsLogout, [](F& f, const C& c) { return f.Logout(c); }},
      {kInsResetChallenge, [](F& f, const C& c) { return f.ResetChallenge(c); }},
      {kInsResetPassword, [](F& f, const C& c) { return f.ResetPassword(c); }},
      {kInsSha1WithSeed, [](F& f, const C& c) { return f.Sha1WithSeed(c); }},
      {kInsPresentAccessKey, [](F& f, const C& c) { return f.PresentAccessKey(c); }},
      {kInsExportSeed, [](F& f, const C& c) { return f.ExportSeed(c); }},
      {kInsReadStorage,
       [](F& f, const C& c) {
         return f.ReadArea(c, f.stored_.userStorage.data(), f.stored_.userStorage.size(),
                           WideOffset(c), false);
       }},
      {kInsWriteStorage,
       [](F& f, const C& c) {
         return f.WriteArea(c, f.stored_.userStorage.data(), f.stored_.userStorage.size(),
                            WideOffset(c), false);
       }},
      {kInsSecureReadStorage,
       [](F& f, const C& c) {
         return f.ReadArea(c, f.stored_.secureStorage.data(), f.stored_.secureStorage.size(),
                           WideOffset(c), true);
       }},
      {kInsSecureWriteStorage,
       [](F& f, const C& c) {
         return f.WriteArea(c, f.stored_.secureStorage.data(), f.stored_.secureStorage.size(),
                            WideOffset(c), true);
       }},
      {kInsSecureLastBlock, [](F& f, const C& c) { return f.LastBlockMarker(c); }},
      {kInsReadMemory,
       [](F& f, const C& c) {
         return f.ReadArea(c, f.stored_.memory.data(), f.stored_.memory.size(), c.p1, false);
       }},
      {kInsWriteMemory,
       [](F& f, const C& c) {
         return f.WriteArea(c, f.stored_.memory.data(), f.stored_.memory.size(), c.p1, false);
       }},
      {kInsEncryptBlock, [](F& f, const C& c) { return f.TransformBlocks(c, true); }},
      {kInsDecryptBlock, [](F& f, const C& c) { return f.TransformBlocks(c, false); }},
      {kInsRemoteChallenge, [](F& f, const C& c) { return f.RemoteChallenge(c); }},
      {kInsRemoteApply, [](F& f, const C& c) { return f.RemoteApply(c); }},
  };

  for (const Command& entry : kCommands) {
    if (entry.ins != command.ins) continue;
    if (session_.locked && entry.ins != kInsUid && entry.ins != kInsUsageTag) {
      TokenResponse locked;
      locked.status = kStatusLocked;
      return locked;
    }
    return entry.run(*this, command);
  }
  return StatusWordOnly(kSwInsNotSupported);
}

void TokenFirmware::Unplug() {
  session_ = SessionState();
}

void TokenFirmware::Restore(const StoredTokenState& stored, const SessionState& session) {
  stored_ = stored;
  session_ = session;
  storedChanged_ = false;
}

bool TokenFirmware::TakeStoredChange() {
  const bool changed = storedChanged_;
  storedChanged_ = false;
  return changed;
}

}  // namespace quill
