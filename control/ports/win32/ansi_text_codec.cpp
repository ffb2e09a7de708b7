#include "ports/win32/ansi_text_codec.h"

#include <windows.h>

#include <climits>

namespace quill {
namespace {

std::string WideToCodePage(UINT codePage, const std::u16string& text) {
  if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return std::string();
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int needed = WideCharToMultiByte(codePage, 0, wide, length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  std::string narrow(static_cast<size_t>(needed), '\0');
  const int written =
      WideCharToMultiByte(codePage, 0, wide, length, &narrow[0], needed, nullptr, nullptr);
  narrow.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return narrow;
}

}  // namespace

std::string AnsiTextCodecPort::ToNarrow(const std::u16string& text) {
  return WideToCodePage(CP_ACP, text);
}

std::string AnsiTextCodecPort::ToNarrowForThread(const std::u16string& text) {
  return WideToCodePage(CP_THREAD_ACP, text);
}

std::u16string AnsiTextCodecPort::ToWide(const std::string& text) {
  if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return std::u16string();
  const int length = static_cast<int>(text.size());
  const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) return std::u16string();
  std::u16string wide(static_cast<size_t>(needed), u'\0');
  const int written = MultiByteToWideChar(CP_ACP, 0, text.data(), length,
                                          reinterpret_cast<wchar_t*>(&wide[0]), needed);
  wide.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return wide;
}

}  // namespace quill
