#include "base64.h"

namespace quill {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int AlphabetValue(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// The characters kept by the decoder (line breaks removed); false when invalid.
bool KeptCharacters(const char* text, size_t length, std::string* kept) {
  int padding = 0;
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n') continue;
    if (c == '\r') {
      if (i + 1 < length && text[i + 1] == '\n') {
        ++i;
        continue;
      }
      return false;
    }
    if (c == '=') {
      if (++padding > 2) return false;
    } else if (AlphabetValue(c) < 0 || padding > 0) {
      return false;
    }
    kept->push_back(static_cast<char>(c));
  }
  return true;
}

}  // namespace

size_t Base64EncodedLength(size_t length) {
  return 4 * ((length + 2) / 3);
}

std::string Base64Encode(const uint8_t* data, size_t length) {
  std::string text;
  text.reserve(Base64EncodedLength(length));
  size_t i = 0;
  for (; i + 3 <= length; i += 3) {
    const uint32_t group = uint32_t{data[i]} << 16 | uint32_t{data[i + 1]} << 8 | data[i + 2];
    text.push_back(kAlphabet[group >> 18]);
    text.push_back(kAlphabet[(group >> 12) & 63]);
    text.push_back(kAlphabet[(group >> 6) & 63]);
    text.push_back(kAlphabet[group & 63]);
  }
  if (length - i == 1) {
    const uint32_t group = uint32_t{data[i]} << 16;
    text.push_back(kAlphabet[group >> 18]);
    text.push_back(kAlphabet[(group >> 12) & 63]);
    text.append("==");
  } else if (length - i == 2) {
    const uint32_t group = uint32_t{data[i]} << 16 | uint32_t{data[i + 1]} << 8;
    text.push_back(kAlphabet[group >> 18]);
    text.push_back(kAlphabet[(group >> 12) & 63]);
    text.push_back(kAlphabet[(group >> 6) & 63]);
    text.push_back('=');
  }
  return text;
}

bool Base64DecodedCapacity(const char* text, size_t length, size_t* capacity) {
  std::string kept;
  if (!KeptCharacters(text, length, &kept)) return false;
  *capacity = (6 * kept.size() + 7) / 8;
  return true;
}

bool Base64Decode(const char* text, size_t length, std::vector<uint8_t>* out) {
  std::string kept;
  if (!KeptCharacters(text, length, &kept)) return false;
  out->clear();
  for (size_t i = 0; i + 4 <= kept.size(); i += 4) {
    uint32_t group = 0;
    int padding = 0;
    for (size_t j = 0; j < 4; ++j) {
      const char c = kept[i + j];
      group <<= 6;
      if (c == '=') {
        ++padding;
      } else {
        group |= static_cast<uint32_t>(AlphabetValue(static_cast<unsigned char>(c)));
      }
    }
    out->push_back(static_cast<uint8_t>(group >> 16));
    if (padding < 2) out->push_back(static_cast<uint8_t>(group >> 8));
    if (padding < 1) out->push_back(static_cast<uint8_t>(group));
  }
  return true;
}

}  // namespace quill
