#include "exchange.h"

#include <cstring>

#include "crypto/des.h"
#include "device_table.h"
#include "error_codes.h"
#include "error_store.h"
#include "frame.h"
#include "library_state.h"
#include "status_map.h"

namespace quill {
namespace {

constexpr uint8_t kZeroIv[8] = {};

const DesKey& FrameKey() {
  LibraryState& lib = Library();
  if (!lib.frameKey) lib.frameKey.emplace(lib.config->frameKey.data());
  return *lib.frameKey;
}

}  // namespace

int ExchangeOnce(TokenHandle handle, uint8_t ins, uint8_t p1, uint8_t p2, const uint8_t* data,
                 size_t lc, uint8_t* answer, uint16_t* expected, bool takeAnswerLength) {
  const uint16_t wanted = expected != nullptr ? *expected : 0;
  TokenApdu apdu;
  apdu.ins = ins;
  apdu.p1 = p1;
  apdu.p2 = p2;
  apdu.data = data;
  apdu.lc = lc;
  apdu.le = static_cast<uint8_t>(wanted & 0xFF);
  if (lc > kMaxCommandData || (lc > 0 && data == nullptr)) {
    RecordError(kErrCommandPrepare);
    return kExchangePrepareFailed;
  }

  Frame request;
  TokenRandomFill(request.data(), request.size());
  if (!BuildRequestFrame(apdu, &request)) {
    RecordError(kErrFrameBuild);
    return kExchangeFrameFailed;
  }
  const DesKey& key = FrameKey();
  DesCbcEncrypt(key, kZeroIv, request.data(), request.size());

  Frame reply;
  if (TransferFrame(handle, request.data(), reply.data(), kExchangeTimeoutMs) != 0) {
    RecordError(kErrFrameTransfer);
    return kExchangeTransferFailed;
  }
  DesCbcDecrypt(key, kZeroIv, reply.data(), reply.size());

  AnswerView view;
  switch (ParseAnswerFrame(reply, &view)) {
    case AnswerCheck::kDamaged:
      RecordError(kErrAnswerDamaged);
      return kExchangeAnswerDamaged;
    case AnswerCheck::kWrongMarker:
      RecordError(kErrAnswerMarker);
      return kExchangeWrongMarker;
    case AnswerCheck::kOk:
      break;
  }
  if (view.status != kStatusProcessed || view.statusWord != kStatusWordSuccess) {
    const int code = StatusCode(view.status, view.statusWord);
    if (code != 0) RecordError(code);
    RecordError(kErrTokenFailure);
    return kExchangeTokenFailure;
  }
  if (answer != nullptr && wanted != 0) {
    size_t toCopy = wanted;
    if (takeAnswerLength) {
      toCopy = view.length < wanted ? view.length : wanted;
      *expected = static_cast<uint16_t>(toCopy);
    }
    if (view.length < toCopy) {
      RecordError(kErrAnswerShort);
      return kExchangeAnswerShort;
    }
    std::memcpy(answer, view.data, toCopy);
  }
  RecordError(kTokenOk);
  return kExchangeOk;
}

int TokenCommand(TokenHandle handle, uint8_t ins, uint8_t p1, uint8_t p2, const uint8_t* data,
                 size_t lc, uint8_t* answer, uint16_t* expected, bool takeAnswerLength) {
  LibraryState& lib = Library();
  ExchangeLockPort* lock = lib.platform->lock;
  if (!lib.lockCreated) lib.lockCreated = lock->Create();
  const bool held = lib.lockCreated && lock->Wait(kLockWaitMs);

  int result = kExchangeOk;
  for (int attempt = 1; attempt <= kMaxExchangeAttempts; ++attempt) {
    result = ExchangeOnce(handle, ins, p1, p2, data, lc, answer, expected, takeAnswerLength);
    const bool retryable = result == kExchangeTransferFailed || result == kExchangeAnswerDamaged;
    if (!retryable || DeviceGone()) break;
  }
  if (held) lock->Release();
  return result;
}

}  // namespace quill
