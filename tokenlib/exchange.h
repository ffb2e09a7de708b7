// The one road of every token command: frame, encrypt, transfer, decrypt,
// check, map the status; under the inter-process lock, with retries.
#pragma once

#include <cstddef>
#include <cstdint>

#include "token.h"

namespace quill {

constexpr uint32_t kExchangeTimeoutMs = 5000;
constexpr uint32_t kLockWaitMs = 500;
constexpr int kMaxExchangeAttempts = 3;

// Results of ExchangeOnce and TokenCommand.
enum ExchangeResult : int {
  kExchangeOk = 0,
  kExchangePrepareFailed = 1,
  kExchangeFrameFailed = 2,
  kExchangeTransferFailed = 3,
  kExchangeAnswerDamaged = 4,
  kExchangeWrongMarker = 5,
  kExchangeTokenFailure = 6,
  kExchangeAnswerShort = 7,
};

// One attempt. expected may be null (nothing expected). With takeAnswerLength
// the answer's own data length (at most *expected) is copied and written back.
int ExchangeOnce(TokenHandle handle, uint8_t ins, uint8_t p1, uint8_t p2, const uint8_t* data,
                 size_t lc, uint8_t* answer, uint16_t* expected, bool takeAnswerLength);

// ExchangeOnce under the lock, repeated after a transfer failure or a damaged
// answer (unless the device has gone), at most three attempts in all.
int TokenCommand(TokenHandle handle, uint8_t ins, uint8_t p1, uint8_t p2, const uint8_t* data,
                 size_t lc, uint8_t* answer, uint16_t* expected, bool takeAnswerLength);

}  // namespace quill
