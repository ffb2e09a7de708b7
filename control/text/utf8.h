// UTF-8 and UTF-16, for platforms whose 8-bit text is UTF-8.
#pragma once

#include <string>

namespace quill {

// Unpaired surrogates and malformed sequences become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);
std::u16string Utf8ToUtf16(const std::string& text);

}  // namespace quill
