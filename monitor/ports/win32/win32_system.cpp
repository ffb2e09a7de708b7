#include "win32_system.h"

// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <shlobj.h>
// clang-format on

#include <vector>

#include "wide_text.h"

namespace quill {
namespace {

constexpr DWORD kModulePathCharacters = 260;

using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);

IsWow64ProcessFunction FindIsWow64Process() {
  const HMODULE kernel = GetModuleHandleW(L"kernel32");
  if (kernel == nullptr) return nullptr;
  return reinterpret_cast<IsWow64ProcessFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "IsWow64Process")));
}

}  // namespace

bool Win32SystemPort::GetVersion(OsVersion* version) {
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return false;
  version->major = info.dwMajorVersion;
  version->minor = info.dwMinorVersion;
  version->platformId = info.dwPlatformId;
  version->productType = info.wProductType;
  return true;
}

uint16_t Win32SystemPort::ProcessorArchitecture() {
  SYSTEM_INFO info = {};
  GetSystemInfo(&info);
  return info.wProcessorArchitecture;
}

int Win32SystemPort::ServerR2Metric() {
  return GetSystemMetrics(SM_SERVERR2);
}

bool Win32SystemPort::HasIsWow64Process() {
  return FindIsWow64Process() != nullptr;
}

bool Win32SystemPort::IsWow64Process() {
  const IsWow64ProcessFunction function = FindIsWow64Process();
  BOOL wow64 = FALSE;
  if (function == nullptr || !function(GetCurrentProcess(), &wow64)) return false;
  return wow64 != FALSE;
}

std::u16string Win32SystemPort::ModuleFileName() {
  wchar_t path[kModulePathCharacters] = {};
  GetModuleFileNameW(nullptr, path, kModulePathCharacters);
  // A path cut to the buffer may lack its terminator: never read past it.
  return FromWide(path, wcsnlen(path, kModulePathCharacters));
}

bool Win32SystemPort::CommonProgramsFolder(std::u16string* path) {
  wchar_t folder[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_COMMON_PROGRAMS, FALSE)) return false;
  *path = FromWide(folder, wcsnlen(folder, MAX_PATH));
  return true;
}

std::u16string Win32SystemPort::CommandLine() {
  return FromWide(GetCommandLineW());
}

bool Win32SystemPort::GetEnvironment(const std::u16string& name, std::u16string* value) {
  // The value may grow between the size query and the read: ask again until
  // it fits.
  std::vector<wchar_t> buffer(256);
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableW(WidePointer(name), buffer.data(),
                                                 static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
      value->clear();  // defined, but empty
      return true;
    }
    if (length < buffer.size()) {
      *value = FromWide(buffer.data(), length);
      return true;
    }
    buffer.assign(length + 1, 0);
  }
}

void Win32SystemPort::Sleep(uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

}  // namespace quill
