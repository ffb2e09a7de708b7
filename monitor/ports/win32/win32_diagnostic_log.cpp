#include "win32_diagnostic_log.h"

#include "diagnostic_log_setting.h"
#include "wide_text.h"

namespace quill {

Win32DiagnosticLog::Win32DiagnosticLog(const std::u16string& path) {
  if (path.empty()) return;
  // FILE_APPEND_DATA alone: every write lands at the end, also when another
  // writer has the file open.
  file_ = CreateFileW(WidePointer(path), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

Win32DiagnosticLog::~Win32DiagnosticLog() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool Win32DiagnosticLog::Enabled() {
  return file_ != INVALID_HANDLE_VALUE;
}

void Win32DiagnosticLog::Line(const std::string& text) {
  if (file_ == INVALID_HANDLE_VALUE) return;
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  const LogTime time{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                     now.wMinute, now.wSecond, now.wMilliseconds};
  const std::string line = FormatLogLine(time, text);
  DWORD written = 0;
  WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  FlushFileBuffers(file_);
}

}  // namespace quill
