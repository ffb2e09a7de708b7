#include "win32_strings.h"

#include "wide_text.h"

namespace quill {

std::u16string Win32StringsPort::Load(int id) {
  // With no buffer, LoadStringW points into the loaded resource itself,
  // which is not terminated: the length is all there is.
  const wchar_t* text = nullptr;
  const int length =
      LoadStringW(module_, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return std::u16string();
  return FromWide(text, static_cast<size_t>(length));
}

}  // namespace quill
