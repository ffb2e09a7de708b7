#include "library_lock.h"
#include "library_state.h"
#include "platform.h"
#include "token.h"

namespace quill {

uint32_t TokenRandom() {
  const LibraryLock lock;
  const uint32_t low = static_cast<uint32_t>(Library().platform->clock->FileTimeNow());
  uint32_t z = low;
  uint32_t w = low >> 16;
  z = 36969u * (z & 0xFFFFu) + (z >> 16);
  w = 18000u * (w & 0xFFFFu) + (w >> 16);
  return (z << 16) + w;
}

void TokenRandomFill(uint8_t* buffer, size_t length) {
  const LibraryLock lock;
  for (size_t i = 0; i < length; ++i) {
    const uint32_t v = TokenRandom() / static_cast<uint32_t>(i + 1);
    buffer[i] = static_cast<uint8_t>(v >> (8 * (i % 4)));
  }
}

}  // namespace quill
