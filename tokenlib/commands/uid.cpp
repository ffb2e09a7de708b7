#include "commands/command_codes.h"
#include "crypto/md5.h"
#include "device_table.h"
#include "error_codes.h"
#include "error_store.h"
#include "exchange.h"
#include "hex.h"
#include "library_lock.h"

namespace quill {

void FormatUid(const uint8_t answer[32], char uid[kUidTextSize]) {
  uint8_t digest[kMd5DigestSize];
  Md5Digest(answer, 32, digest);
  const std::string text = HexEncode(digest, sizeof(digest));
  text.copy(uid, text.size());
  uid[text.size()] = '\0';
}

int TokenGetUID(TokenHandle handle, char uid[kUidTextSize]) {
  const LibraryLock lock;
  if (RequireDeviceState(handle, kStatePresent) != 0) {
    RecordError(kErrNotPresent);
    return 1;
  }
  uint8_t answer[32];
  uint16_t expected = sizeof(answer);
  if (TokenCommand(handle, kInsUid, 0, 0, nullptr, 0, answer, &expected, false) != 0) {
    RecordError(kErrUidCommand);
    return 2;
  }
  FormatUid(answer, uid);
  RecordError(kTokenOk);
  return 0;
}

}  // namespace quill
