#include "win32_processes.h"

// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>
// clang-format on

#include "wide_text.h"

namespace quill {

bool Win32ProcessPort::Start(const std::u16string& commandLine) {
  // CreateProcessW may write into its command line: hand it a copy.
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  // The monitor never waits for what it starts; keeping the handles would
  // leak one process and one thread object per start.
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

intptr_t Win32ProcessPort::ShellOpen(const std::u16string& file, const std::u16string& parameters,
                                     int showCommand) {
  const HINSTANCE result =
      ShellExecuteW(nullptr, L"open", WidePointer(file),
                    parameters.empty() ? nullptr : WidePointer(parameters), nullptr, showCommand);
  return reinterpret_cast<intptr_t>(result);
}

bool Win32ProcessPort::ProcessNames(std::vector<std::u16string>* names) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  names->clear();
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    names->push_back(FromWide(entry.szExeFile, wcsnlen(entry.szExeFile, MAX_PATH)));
  }
  CloseHandle(snapshot);
  return true;
}

}  // namespace quill
