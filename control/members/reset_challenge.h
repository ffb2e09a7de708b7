// The reset challenge: four draws of the Microsoft C runtime's rand() after
// srand(seconds), computed here so that every platform draws the same values.
#pragma once

#include <cstdint>

namespace quill {

constexpr int kResetChallengeSize = 8;

// The four values (0 to 32767) as 16-bit little-endian words.
inline void ResetChallengeAt(int64_t seconds, uint8_t challenge[kResetChallengeSize]) {
  uint32_t state = static_cast<uint32_t>(seconds);  // srand takes the low 32 bits
  for (int i = 0; i < kResetChallengeSize / 2; ++i) {
    state = state * 214013u + 2531011u;
    const uint32_t value = (state >> 16) & 0x7FFF;
    challenge[2 * i] = static_cast<uint8_t>(value & 0xFF);
    challenge[2 * i + 1] = static_cast<uint8_t>(value >> 8);
  }
}

}  // namespace quill
