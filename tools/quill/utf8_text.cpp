#include "utf8_text.h"

#include <cstdint>

namespace quill {

size_t Utf8SequenceLength(const std::string& text, size_t index) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  const uint8_t lead = byte(index);
  size_t length = 0;
  uint32_t min = 0;
  uint32_t point = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    min = 0x80;
    point = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    min = 0x800;
    point = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    min = 0x10000;
    point = lead & 0x07;
  } else {
    return 0;
  }
  if (index + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(index + k) & 0xC0) != 0x80) return 0;
    point = point << 6 | (byte(index + k) & 0x3F);
  }
  // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
  if (point < min || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF) return 0;
  return length;
}

std::string PrintableText(const std::string& text) {
  static const char kDigits[] = "0123456789abcdef";
  std::string shown;
  for (size_t i = 0; i < text.size();) {
    const uint8_t c = static_cast<uint8_t>(text[i]);
    if (c >= 0x80) {
      const size_t length = Utf8SequenceLength(text, i);
      if (length > 0) {
        shown.append(text, i, length);
        i += length;
        continue;
      }
    }
    if (c < 0x20 || c >= 0x7F) {
      shown += "\\x";
      shown += kDigits[c >> 4];
      shown += kDigits[c & 0x0F];
    } else {
      shown += static_cast<char>(c);
    }
    ++i;
  }
  return shown;
}

}  // namespace quill
