#include "hex_text.h"

namespace quill {
bool ParseHex(const std::string& text, size_t maxBytes, std::vector<uint8_t>* bytes,
              std::string* error) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (HexDigitValue(text[i]) < 0) {
      *error = "not a hexadecimal digit at position " + std::to_string(i + 1);
      return false;
    }
  }
  if (text.size() % 2 != 0) {
    *error = "odd number of hexadecimal digits";
    return false;
  }
  if (text.size() / 2 > maxBytes) {
    *error = "more than " + std::to_string(maxBytes) + " bytes";
    return false;
  }
  bytes->clear();
  bytes->reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    bytes->push_back(
        static_cast<uint8_t>(HexDigitValue(text[i]) << 4 | HexDigitValue(text[i + 1])));
  }
  return true;
}

}  // namespace quill
