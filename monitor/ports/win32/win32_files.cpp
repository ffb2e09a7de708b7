#include "win32_files.h"

// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <shlwapi.h>
// clang-format on

#include "wide_text.h"

namespace quill {
namespace {

bool Opens(const std::u16string& path, DWORD access, DWORD sharing) {
  const HANDLE file = CreateFileW(WidePointer(path), access, sharing, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

}  // namespace

bool Win32FilePort::OpensForReadingUnshared(const std::u16string& path) {
  return Opens(path, GENERIC_READ, 0);
}

bool Win32FilePort::OpensWithoutAccess(const std::u16string& path) {
  return Opens(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE);
}

bool Win32FilePort::PathExists(const std::u16string& path) {
  return PathFileExistsW(WidePointer(path)) != FALSE;
}

}  // namespace quill
