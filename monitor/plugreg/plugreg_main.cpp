// plugreg32.exe / plugreg64.exe: registers a scripting control that lies in
// the helper's own folder, by calling the control's own DllRegisterServer.
// lumoMonitor starts it hidden, with the control's bare file name as the only
// parameter and no working folder, so the file is looked for next to this
// program and nowhere else.
//
//   plugreg64 [/s] CONTROL_FILE
//
// Every outcome is reported: one line on standard error and, unless /s is
// given, the same text in a message box (the monitor starts the helper
// without a console). Exit codes:
//
//   0  registered: the control's DllRegisterServer returned S_OK (or another
//      success code)
//   1  usage: no file name, more than one, or an unknown switch
//   2  not a bare file name: the name holds "\", "/" or ":" (a folder or a
//      drive), or is "." or ".."
//   3  file not found in the helper's folder
//   4  the file could not be loaded as a library (the system error is shown)
//   5  the library has no DllRegisterServer entry point
//   6  DllRegisterServer failed (its HRESULT is shown in hexadecimal)
//   7  the helper's own folder could not be determined
#include <windows.h>
// windows.h first: the headers below build on its types.
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "command_line_arguments.h"
#include "wide_utf8.h"

namespace {

enum ExitCode {
  kRegistered = 0,
  kUsage = 1,
  kNotBareName = 2,
  kFileNotFound = 3,
  kLoadFailed = 4,
  kNoEntryPoint = 5,
  kRegisterFailed = 6,
  kNoOwnFolder = 7,
};

struct Report {
  std::wstring program = L"plugreg";
  bool silent = false;
};

// One line on standard error (UTF-8 when redirected, wide on a console).
void WriteError(const std::wstring& line) {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  DWORD written = 0;
  const std::wstring text = line + L"\r\n";
  if (GetConsoleMode(error, &mode)) {
    WriteConsoleW(error, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  const std::string bytes = quill::WideToUtf8(line + L"\n");
  WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

int Finish(const Report& report, int code, const std::wstring& message) {
  const std::wstring line = report.program + L": " + message;
  WriteError(line);
  if (!report.silent) {
    MessageBoxW(nullptr, message.c_str(), report.program.c_str(),
                MB_OK | (code == kRegistered ? MB_ICONINFORMATION : MB_ICONERROR));
  }
  return code;
}

std::wstring SystemErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = L"error " + std::to_wstring(error);
  if (length > 0 && buffer != nullptr) {
    std::wstring meaning(buffer, length);
    while (!meaning.empty() && (meaning.back() == L'\n' || meaning.back() == L'\r' ||
                                meaning.back() == L' ' || meaning.back() == L'.')) {
      meaning.pop_back();
    }
    if (!meaning.empty()) text += L": " + meaning;
  }
  if (buffer != nullptr) LocalFree(buffer);
  return text;
}

std::wstring Hex32(unsigned long value) {
  wchar_t text[16];
  std::swprintf(text, 16, L"0x%08lX", value);
  return text;
}

// This program's full path; false when it does not fit or cannot be read.
bool OwnPath(std::wstring* path) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return false;
    if (length < buffer.size()) {
      path->assign(buffer.data(), length);
      return true;
    }
    if (buffer.size() >= 32768) return false;
    buffer.resize(buffer.size() * 2);
  }
}

bool IsBareName(const std::wstring& name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  return name.find_first_of(L"\\/:") == std::wstring::npos;
}

bool IsSwitch(const std::wstring& arg) {
  return arg.size() >= 2 && (arg[0] == L'/' || arg[0] == L'-') &&
         arg.find_first_of(L"\\:.", 1) == std::wstring::npos;
}

bool IsSilentSwitch(const std::wstring& arg) {
  return arg == L"/s" || arg == L"/S" || arg == L"-s" || arg == L"-S";
}

using RegisterEntry = HRESULT(STDAPICALLTYPE*)();

int Register(const Report& report, const std::wstring& path) {
  // The control registers its type library and classes as regsvr32 would
  // have it: with COM started on this thread.
  const HRESULT ole = OleInitialize(nullptr);
  // No error dialogs of the loader: the outcome is reported here.
  const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  const DWORD loadError = GetLastError();
  SetErrorMode(previousMode);
  int code;
  std::wstring message;
  if (module == nullptr) {
    code = kLoadFailed;
    message = path + L": cannot be loaded (" + SystemErrorText(loadError) + L")";
  } else {
    auto entry = reinterpret_cast<RegisterEntry>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
    if (entry == nullptr) {
      code = kNoEntryPoint;
      message = path + L": has no DllRegisterServer entry point";
    } else {
      const HRESULT result = entry();
      if (SUCCEEDED(result)) {
        code = kRegistered;
        message = path + L": registered";
      } else {
        code = kRegisterFailed;
        message = path + L": DllRegisterServer failed with HRESULT " +
                  Hex32(static_cast<unsigned long>(result));
      }
    }
    FreeLibrary(module);
  }
  if (SUCCEEDED(ole)) OleUninitialize();
  return Finish(report, code, message);
}

int Run(const std::vector<std::wstring>& args) {
  Report report;
  std::wstring own;
  const bool ownKnown = OwnPath(&own);
  if (ownKnown) {
    const size_t slash = own.find_last_of(L"\\/");
    std::wstring file = slash == std::wstring::npos ? own : own.substr(slash + 1);
    const size_t dot = file.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) file.erase(dot);
    if (!file.empty()) report.program = file;
  }

  std::vector<std::wstring> names;
  bool badSwitch = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (IsSilentSwitch(args[i])) {
      report.silent = true;
    } else if (IsSwitch(args[i])) {
      badSwitch = true;
    } else {
      names.push_back(args[i]);
    }
  }
  if (badSwitch || names.size() != 1) {
    return Finish(report, kUsage,
                  L"usage: " + report.program +
                      L" [/s] CONTROL_FILE (the bare file name of a control in the folder of " +
                      report.program + L".exe)");
  }
  const std::wstring& name = names[0];
  if (!IsBareName(name)) {
    return Finish(report, kNotBareName,
                  L"\"" + name +
                      L"\" is not a bare file name: give the control's file name only; it is "
                      L"looked for in the folder of " +
                      report.program + L".exe");
  }
  const size_t slash = own.find_last_of(L"\\/");
  if (!ownKnown || slash == std::wstring::npos) {
    return Finish(report, kNoOwnFolder, L"the folder of this program cannot be determined");
  }
  const std::wstring path = own.substr(0, slash + 1) + name;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return Finish(report, kFileNotFound, path + L": file not found");
  }
  return Register(report, path);
}

}  // namespace

int main() {
  return Run(quill::CommandLineArguments());
}
