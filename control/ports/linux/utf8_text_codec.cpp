#include "ports/linux/utf8_text_codec.h"

#include "text/utf8.h"

namespace quill {

std::string Utf8TextCodecPort::ToNarrow(const std::u16string& text) {
  return Utf16ToUtf8(text);
}

std::u16string Utf8TextCodecPort::ToWide(const std::string& text) {
  return Utf8ToUtf16(text);
}

}  // namespace quill
