// UTF-16 texts of the ports (std::u16string) as the Windows API takes them:
// wchar_t is 16 bits wide on Windows, so only the pointer type changes.
#pragma once

#include <windows.h>

#include <string>

namespace quill {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t is UTF-16 on Windows");

inline const wchar_t* WidePointer(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline std::u16string FromWide(const wchar_t* text, size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

inline std::u16string FromWide(const wchar_t* text) {
  return text == nullptr ? std::u16string() : FromWide(text, wcslen(text));
}

}  // namespace quill
