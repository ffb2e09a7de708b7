// The Base64 decoder on any text: it must never read or write outside its
// buffers, its capacity must cover what it decodes, and what it accepts must
// encode back to the same groups.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base64.h"

namespace {

// The text with the line breaks the decoder skips taken out.
std::string WithoutLineBreaks(const char* text, size_t length) {
  std::string kept;
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == '\n') continue;
    if (text[i] == '\r' && i + 1 < length && text[i + 1] == '\n') continue;
    kept += text[i];
  }
  return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly size bytes, so that a read past the end shows.
  std::vector<char> text(data, data + size);
  std::vector<uint8_t> decoded;
  const bool valid = quill::Base64Decode(text.data(), text.size(), &decoded);
  size_t capacity = 0;
  const bool sized = quill::Base64DecodedCapacity(text.data(), text.size(), &capacity);
  if (valid != sized) std::abort();
  if (!valid) return 0;
  if (decoded.size() > capacity) std::abort();

  // Whole groups decode to bytes that encode to the same characters, except
  // for the bits a padded group leaves unused.
  const std::string kept = WithoutLineBreaks(text.data(), text.size());
  const std::string encoded = quill::Base64Encode(decoded.data(), decoded.size());
  const size_t whole = kept.size() / 4 * 4;
  if (encoded.size() != whole) std::abort();
  for (size_t group = 0; group < whole; group += 4) {
    const bool padded = kept[group + 3] == '=';
    const size_t exact = padded ? (kept[group + 2] == '=' ? 1 : 2) : 4;
    if (encoded.compare(group, exact, kept, group, exact) != 0) std::abort();
  }

  // Round trip of the fuzz bytes themselves.
  const std::string again = quill::Base64Encode(data, size);
  if (again.size() != quill::Base64EncodedLength(size)) std::abort();
  std::vector<uint8_t> back;
  if (!quill::Base64Decode(again.data(), again.size(), &back)) std::abort();
  if (back != std::vector<uint8_t>(data, data + size)) std::abort();
  return 0;
}
