#include "win32_text.h"

#include <windows.h>

#include "wide_text.h"

namespace quill {
namespace {

constexpr UINT kChineseCodePage = 936;

UINT CodePageNumber(CodePage codePage) {
  switch (codePage) {
    case CodePage::kAnsi:
      return CP_ACP;
    case CodePage::kThreadAnsi:
      return CP_THREAD_ACP;
    case CodePage::kChinese936:
      return kChineseCodePage;
  }
  return CP_ACP;
}

}  // namespace

std::string Win32TextPort::ToNarrow(CodePage codePage, const std::u16string& text) {
  if (text.empty()) return std::string();
  const UINT page = CodePageNumber(codePage);
  const int length = static_cast<int>(text.size());
  const int size =
      WideCharToMultiByte(page, 0, WidePointer(text), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string narrow(static_cast<size_t>(size), '\0');
  const int written =
      WideCharToMultiByte(page, 0, WidePointer(text), length, &narrow[0], size, nullptr, nullptr);
  narrow.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return narrow;
}

std::u16string Win32TextPort::ToWide(CodePage codePage, const std::string& text) {
  if (text.empty()) return std::u16string();
  const UINT page = CodePageNumber(codePage);
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(page, 0, text.data(), length, nullptr, 0);
  if (size <= 0) return std::u16string();
  std::wstring wide(static_cast<size_t>(size), L'\0');
  const int written = MultiByteToWideChar(page, 0, text.data(), length, &wide[0], size);
  return FromWide(wide.data(), written > 0 ? static_cast<size_t>(written) : 0);
}

}  // namespace quill
