// Presence and selection: the device list, the UIDs and the selected token.
#include <cstring>
#include <string>

#include "control_codes.h"
#include "members/members.h"
#include "session.h"
#include "session_ops.h"

namespace quill {
namespace {

constexpr size_t kIdLength = 32;
constexpr size_t kUidBufferSize = 64;

// The presence check run a second time on a fresh search when the first one
// finds nothing usable.
int RefreshWithRetry() {
  int found = RefreshDeviceList();
  if (found < 1) {
    QuillSession& session = Session();
    session.listValid = false;
    session.keyInfoValid = false;
    found = RefreshDeviceList();
  }
  return found;
}

bool IsWellFormedId(const ScriptText& id) {
  return !id.isNull && CharacterCount(id) == kIdLength;
}

// The first 32 bytes of the id's 8-bit text, zero-padded.
void IdBytes(const ScriptText& id, char out[kIdLength]) {
  const std::string narrow = Narrow(id);
  std::memset(out, 0, kIdLength);
  std::memcpy(out, narrow.data(), narrow.size() < kIdLength ? narrow.size() : kIdLength);
}

}  // namespace

int32_t QuillCheckExist() {
  return RefreshWithRetry();
}

int32_t QuillGetLastError() {
  return TokenGetLastError();
}

ScriptText QuillGetUID() {
  if (!TokenPresent()) return ScriptText::Null();
  char uid[kUidBufferSize] = {};
  if (TokenGetUID(SelectedHandle(), uid) != 0) return ScriptText::Null();
  return TextResult(uid);
}

int32_t QuillSelectId(const ScriptText& id) {
  if (!TokenPresent()) return 1;
  if (!IsWellFormedId(id)) {
    TokenSetLastError(CTL_BAD_ID);
    return 2;
  }
  char wanted[kIdLength];
  IdBytes(id, wanted);
  QuillSession& session = Session();
  // Every entry is read, also after a match; the last match wins.
  for (int i = 0; i < session.count; ++i) {
    char uid[kUidBufferSize] = {};
    if (TokenGetUID(session.handles[i], uid) != 0) {
      TokenSetLastError(CTL_UID_UNREADABLE);
      return 3;
    }
    if (std::memcmp(uid, wanted, kIdLength) == 0) {
      RefreshDeviceList();
      if (i < session.count) session.selected = i;
    }
  }
  return 0;
}

ScriptText QuillGetUIDByIndex(int32_t index) {
  QuillSession& session = Session();
  if (index > session.count) {
    TokenSetLastError(CTL_INDEX_OUT_OF_RANGE);
    return ScriptText::Null();
  }
  if (!TokenPresent()) return ScriptText::Null();
  char uid[kUidBufferSize] = {};
  if (index < 0 || index >= session.count || TokenGetUID(session.handles[index], uid) != 0) {
    TokenSetLastError(CTL_UID_UNREADABLE);
    return ScriptText::Null();
  }
  return TextResult(std::string(uid).substr(0, kIdLength));
}

int32_t QuillIsConnected(const ScriptText& id) {
  if (RefreshWithRetry() < 1) {
    TokenSetLastError(CTL_NO_TOKEN);
    return 1;
  }
  if (!IsWellFormedId(id)) {
    TokenSetLastError(CTL_BAD_ID);
    return 2;
  }
  char wanted[kIdLength];
  IdBytes(id, wanted);
  const QuillSession& session = Session();
  // A UID that cannot be read is not reported; it matches nothing (the
  // zeroed buffer must not pass for an id that reads as empty).
  for (int i = 0; i < session.count; ++i) {
    char uid[kUidBufferSize] = {};
    if (TokenGetUID(session.handles[i], uid) != 0) continue;
    if (std::memcmp(uid, wanted, kIdLength) == 0) return 0;
  }
  return 3;
}

}  // namespace quill
