// The token's keyed SHA-1 answer and the export of its seed.
#include "commands/command_codes.h"
#include "commands/command_support.h"
#include "frame.h"
#include "library_lock.h"
#include "library_state.h"

namespace quill {

const uint8_t* TokenAccessKey() {
  const LibraryLock lock;
  return Library().config->accessKey.data();
}

int TokenSha1WithSeed(TokenHandle handle, uint8_t selector, const uint8_t* data, size_t length,
                      uint8_t digest[20]) {
  const LibraryLock lock;
  if (!CheckPresent(handle, true)) return 1;
  if (length > kMaxCommandData || (length > 0 && data == nullptr) || digest == nullptr) {
    return Failed(kErrArgumentRange, 2);
  }
  if (ReadCommand(handle, kInsSha1WithSeed, selector, 0, data, length, digest, 20) != 0) {
    return Failed(kErrSha1WithSeed, 2);
  }
  return Succeeded();
}

int TokenExportSeed(TokenHandle handle, int /*unused*/, uint8_t seed[32]) {
  const LibraryLock lock;
  if (!CheckPresent(handle, true)) return 1;
  if (SendCommand(handle, kInsPresentAccessKey, 0, 0, TokenAccessKey(), 8) != 0) {
    return Failed(kErrAccessKeyRejected, 1);
  }
  uint8_t answer[32];
  if (ReadCommand(handle, kInsExportSeed, 0, 0, nullptr, 0, answer, sizeof(answer)) != 0) {
    return Failed(kErrSeedExport, 2);
  }
  if (seed != nullptr) std::copy(answer, answer + sizeof(answer), seed);
  return Succeeded();
}

}  // namespace quill
