// recorder.exe: stands in for a program that the monitor starts (the browser
// of the HTTP open command, plugreg32/64.exe, firefox.exe, chrome.exe). It
// appends one UTF-8 line to the file named by QUILL_RECORDER_LOG:
//
//   <its own module path><TAB><GetCommandLineW()>
//
// and exits 0. Without QUILL_RECORDER_LOG, or when the file cannot be
// written, it exits 1. Copies under other names record their own path, so a
// test tells which stand-in was started.
#include <windows.h>

#include <string>
#include <vector>

#include "wide_utf8.h"

namespace {

bool Environment(const wchar_t* name, std::wstring* value) {
  std::vector<wchar_t> buffer(32768);
  const DWORD length =
      GetEnvironmentVariableW(name, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length == 0 || length >= buffer.size()) return false;
  value->assign(buffer.data(), length);
  return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  std::wstring logPath;
  if (!Environment(L"QUILL_RECORDER_LOG", &logPath)) return 1;
  wchar_t module[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH * 4);
  const std::string line =
      quill::WideToUtf8(module) + "\t" + quill::WideToUtf8(GetCommandLineW()) + "\n";
  // Appending through FILE_APPEND_DATA keeps lines of recorders running at
  // the same time whole.
  HANDLE file = CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == line.size() ? 0 : 1;
}
