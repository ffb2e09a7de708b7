#include "fake_control_ports.h"

#include "text/utf8.h"

namespace quill::fake {

std::string Utf8TextCodec::ToNarrow(const std::u16string& text) {
  return Utf16ToUtf8(text);
}

std::u16string Utf8TextCodec::ToWide(const std::string& text) {
  return Utf8ToUtf16(text);
}

FakeControlPlatform::FakeControlPlatform() {
  platform.text = &text;
  platform.adapters = &adapters;
  platform.dialog = &dialog;
  platform.clock = &clock;
}

}  // namespace quill::fake
