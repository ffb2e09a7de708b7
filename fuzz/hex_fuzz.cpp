// The hexadecimal decoder on any text and any requested length: it writes
// at most the bytes asked for, and what it accepts encodes back to the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "hex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte says how many bytes to decode (0..255), the rest is text.
  const size_t length = data[0];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  // Exactly length bytes, so that a write past them shows.
  std::unique_ptr<uint8_t[]> out(new uint8_t[length]);
  const bool decoded = quill::HexDecode(text, out.get(), length);

  bool allDigits = text.size() >= 2 * length;
  for (size_t i = 0; allDigits && i < 2 * length; ++i) {
    allDigits = quill::HexDigitValue(text[i]) >= 0;
  }
  if (decoded != allDigits) std::abort();
  if (!decoded) return 0;

  std::string lower = text.substr(0, 2 * length);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  }
  if (quill::HexEncode(out.get(), length) != lower) std::abort();
  return 0;
}
