// Maps a token's answer status and status word to a library code.
#pragma once

#include <cstdint>

namespace quill {

// The code recorded before 53 for a failed answer; 0 when the status has no
// code of its own (a status other than 0xAA, 0xE1, 0xE2, 0xE3).
int StatusCode(uint8_t status, uint16_t statusWord);

}  // namespace quill
