// Storage writes that also tell how far they got.
//
// A write of more than one 224-byte chunk is several commands, and the token
// keeps each chunk it has confirmed: a write that fails half-way (the token
// unplugged, a connection lost) leaves the first chunks written, and the
// protocol cannot undo them. These functions write exactly like
// TokenWriteStorage and TokenSecureWriteStorage (same checks, results and
// error codes) and also set *written, when it is not null, to the number of
// bytes from offset on that the token confirmed: all of them after a
// success, fewer after a failure (0 when nothing was confirmed). A chunk
// whose answer was lost may or may not have been written; it is not counted.
#pragma once

#include <cstdint>

#include "token.h"

namespace quill {

int TokenWriteStorageCounted(TokenHandle handle, int offset, int length, const uint8_t* data,
                             int* written);
int TokenSecureWriteStorageCounted(TokenHandle handle, const uint8_t accessKey[8], int offset,
                                   int length, const uint8_t* data, int* written);

}  // namespace quill
