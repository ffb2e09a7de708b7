#include "discovery.h"

#include <cstdlib>

#include "device_table.h"
#include "enumeration.h"
#include "error_codes.h"
#include "error_store.h"
#include "library_lock.h"
#include "library_state.h"
#include "models.h"

namespace quill {
namespace {

// Keeps base .. base + 31 inside the positive handle range.
constexpr int64_t kLargestHandleBase = INT32_MAX - kMaxTokens;

TokenHandle NewHandleBase() {
  const int32_t r = static_cast<int32_t>(TokenRandom());
  int64_t base = std::llabs(static_cast<int64_t>(r));
  if (base == 0) base = 1000;
  if (base > kLargestHandleBase) base -= kMaxTokens;
  return static_cast<TokenHandle>(base);
}

}  // namespace

int BuildDeviceTable(uint16_t vendorId, uint16_t productId, const char* marker) {
  LibraryState& lib = Library();
  if (lib.platform->discovery != nullptr) lib.platform->discovery->BeginDiscovery();
  const TokenHandle base = NewHandleBase();
  for (TokenDeviceEntry& entry : lib.entries) entry = TokenDeviceEntry();
  lib.entryCount = 0;

  int total = 0;
  if (marker != nullptr) {
    const int found = EnumerateStorageDevices(marker);
    for (int i = 0; i < found && total < kMaxTokens; ++i, ++total) {
      lib.entries[total] = {base + total, i, kStatePresent, TokenTransport::kStoragePath};
    }
  }
  const int found = EnumerateHidDevices(vendorId, productId);
  for (int j = 0; j < found && total < kMaxTokens; ++j, ++total) {
    lib.entries[total] = {base + total, j, kStatePresent, TokenTransport::kHid};
  }
  lib.entryCount = total;
  RecordError(kTokenOk);
  return total;
}

int TokenFind(TokenModel model, TokenHandle handles[kMaxTokens], int* count) {
  const LibraryLock lock;
  const TokenModelInfo& info = ModelInfo(model);
  const int entries = BuildDeviceTable(info.hidVendorId, info.hidProductId, info.storageMarker);
  if (entries == 0) {
    RecordError(kErrNoToken);
    if (count != nullptr) *count = 0;
    return 1;
  }
  int answered = 0;
  for (int position = 0; position < entries && answered < kMaxTokens; ++position) {
    const TokenHandle handle = DeviceHandleAt(position);
    char uid[kUidTextSize];
    if (TokenGetUID(handle, uid) != 0) continue;
    if (handles != nullptr) handles[answered] = handle;
    ++answered;
  }
  RecordError(kTokenOk);
  if (count != nullptr) *count = answered;
  return answered > 0 ? 0 : 1;
}

int TokenFindModelA(TokenHandle handles[kMaxTokens], int* count) {
  const LibraryLock lock;
  return TokenFind(TokenModel::kA, handles, count);
}

int TokenFindModelB(TokenHandle handles[kMaxTokens], int* count) {
  const LibraryLock lock;
  return TokenFind(TokenModel::kB, handles, count);
}

}  // namespace quill
