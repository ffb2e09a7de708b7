#include "commands/command_codes.h"
#include "crypto/md5.h"
#include "device_table.h"
#include "error_codes.h"
#include "error_store.h"
#include "exchange.h"

namespace quill {

void FormatUid(const uint8_t answer[32], char uid[kUidTextSize]) {
  static const char kDigits[] = "0123456789abcdef";
  uint8_t digest[kMd5DigestSize];
  Md5Digest(answer, 32, digest);
  for (size_t i = 0; i < kMd5DigestSize; ++i) {
    uid[2 * i] = kDigits[digest[i] >> 4];
    uid[2 * i + 1] = kDigits[digest[i] & 0x0F];
  }
  uid[32] = '\0';
}

int TokenGetUID(TokenHandle handle, char uid[kUidTextSize]) {
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
