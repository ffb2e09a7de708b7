// Base64 with the standard alphabet and "=" padding, and a tolerant decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quill {

// Encodes groups of 3 bytes as 4 characters, "=" padded, no line breaks.
std::string Base64Encode(const uint8_t* data, size_t length);
// Characters the encoding of length bytes takes (without a terminator).
size_t Base64EncodedLength(size_t length);

// Decodes text: a pair CR LF and a lone LF are skipped; a lone CR, a byte
// with the high bit set, any character outside the alphabet and "=", a third
// "=", and an alphabet character after "=" make it invalid (false). Groups of
// four give 3, 2 (one "=") or 1 (two "=") bytes; a trailing incomplete group
// gives nothing.
bool Base64Decode(const char* text, size_t length, std::vector<uint8_t>* out);
// The output space the decoder asks for: (6 * n + 7) / 8 bytes, n being the
// characters kept (padding included); false when the text is invalid.
bool Base64DecodedCapacity(const char* text, size_t length, size_t* capacity);

}  // namespace quill
