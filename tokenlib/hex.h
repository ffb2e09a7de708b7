// Hexadecimal text: lowercase out, either case in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quill {

// 2 * length characters, high nibble first, digits 0-9 and a-f.
std::string HexEncode(const uint8_t* bytes, size_t length);
// The value of one hexadecimal digit (either case), or -1.
int HexDigitValue(char c);
// Decodes length bytes from the first 2 * length characters; false at the
// first character that is not a hexadecimal digit, or when the text is too
// short (the bytes decoded before it are kept).
bool HexDecode(const std::string& text, uint8_t* out, size_t length);

}  // namespace quill
