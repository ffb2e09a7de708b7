#include "hex_text.h"

namespace quill {
namespace {

int NibbleValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string FormatHex(const uint8_t* data, size_t length) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(length * 2);
  for (size_t i = 0; i < length; ++i) {
    text += kDigits[data[i] >> 4];
    text += kDigits[data[i] & 0x0F];
  }
  return text;
}

bool ParseHex(const std::string& text, size_t maxBytes, std::vector<uint8_t>* bytes,
              std::string* error) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (NibbleValue(text[i]) < 0) {
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
    bytes->push_back(static_cast<uint8_t>(NibbleValue(text[i]) << 4 | NibbleValue(text[i + 1])));
  }
  return true;
}

}  // namespace quill
