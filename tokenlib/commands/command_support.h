// Shared steps of the token operations.
#pragma once

#include <cstddef>
#include <cstdint>

#include "device_table.h"
#include "error_codes.h"
#include "error_store.h"
#include "exchange.h"
#include "token.h"

namespace quill {

// The state check every operation starts with; some record 81 after it.
inline bool CheckPresent(TokenHandle handle, bool recordNotPresent) {
  if (RequireDeviceState(handle, kStatePresent) == 0) return true;
  if (recordNotPresent) RecordError(kErrNotPresent);
  return false;
}

// A command without answer data.
inline int SendCommand(TokenHandle handle, uint8_t ins, uint8_t p1, uint8_t p2, const uint8_t* data,
                       size_t lc) {
  return TokenCommand(handle, ins, p1, p2, data, lc, nullptr, nullptr, false);
}

// A command whose answer must carry exactly length bytes.
inline int ReadCommand(TokenHandle handle, uint8_t ins, uint8_t p1, uint8_t p2, const uint8_t* data,
                       size_t lc, uint8_t* answer, uint16_t length) {
  uint16_t expected = length;
  return TokenCommand(handle, ins, p1, p2, data, lc, answer, &expected, false);
}

// Success: empties the store.
inline int Succeeded() {
  RecordError(kTokenOk);
  return 0;
}

// Records code and returns result.
inline int Failed(int code, int result) {
  RecordError(code);
  return result;
}

}  // namespace quill
