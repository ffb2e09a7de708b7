// Bytes as hexadecimal text and back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "hex.h"

namespace quill {

// Lower-case hexadecimal, two digits a byte, no separators.
inline std::string FormatHex(const std::vector<uint8_t>& data) {
  return HexEncode(data.data(), data.size());
}

// An even number of hexadecimal digits (either case). False, with a message,
// for any other character, an odd count or more than maxBytes bytes.
bool ParseHex(const std::string& text, size_t maxBytes, std::vector<uint8_t>* bytes,
              std::string* error);

}  // namespace quill
