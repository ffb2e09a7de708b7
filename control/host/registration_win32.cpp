// Registration on Windows: the manifest files in the user's local
// application data, and per browser a key under HKEY_CURRENT_USER whose
// default value is the path of its manifest.
#include <windows.h>

#include <string>

#include "extension_ids.h"
#include "host_platform.h"
#include "manifest.h"
#include "registration.h"

namespace quill::host {
namespace {

struct BrowserKey {
  const wchar_t* key;  // below HKEY_CURRENT_USER, without the host's name
  ManifestForm form;
};

constexpr BrowserKey kKeys[] = {
    {L"Software\\Google\\Chrome\\NativeMessagingHosts", ManifestForm::kChromium},
    {L"Software\\Microsoft\\Edge\\NativeMessagingHosts", ManifestForm::kChromium},
    {L"Software\\Mozilla\\NativeMessagingHosts", ManifestForm::kFirefox},
};

std::wstring Widen(const std::string& utf8) {
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) {
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
  }
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) {
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], length,
                        nullptr, nullptr);
  }
  return utf8;
}

std::string Failure(const std::wstring& what, DWORD code) {
  return Narrow(what) + ": error " + std::to_string(code);
}

// %LOCALAPPDATA%\Quill\NativeMessagingHosts, or empty.
std::wstring ManifestFolder() {
  wchar_t base[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  return std::wstring(base, length) + L"\\Quill\\NativeMessagingHosts";
}

std::wstring ManifestPath(const std::wstring& folder, ManifestForm form) {
  return folder + L"\\" + Widen(kHostName) +
         (form == ManifestForm::kChromium ? L".chromium.json" : L".firefox.json");
}

bool MakeFolder(const std::wstring& folder, std::string* error) {
  const size_t quill = folder.rfind(L'\\');
  for (const std::wstring& path : {folder.substr(0, quill), folder}) {
    if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      *error = Failure(path, GetLastError());
      return false;
    }
  }
  return true;
}

bool WriteWhole(const std::wstring& path, const std::string& text, std::string* error) {
  const std::wstring temporary = path + L".tmp";
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = Failure(temporary, GetLastError());
    return false;
  }
  DWORD written = 0;
  const bool ok =
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
      written == text.size();
  CloseHandle(file);
  if (!ok || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    *error = Failure(path, GetLastError());
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

bool SetDefaultValue(const std::wstring& key, const std::wstring& value, std::string* error) {
  HKEY handle = nullptr;
  LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &handle, nullptr);
  if (status == ERROR_SUCCESS) {
    status =
        RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
  }
  if (status != ERROR_SUCCESS) {
    *error = "HKCU\\" + Failure(key, static_cast<DWORD>(status));
    return false;
  }
  return true;
}

bool Install(std::vector<std::string>* done, std::vector<std::string>* failed) {
  const std::string hostPath = HostExecutablePath();
  const std::wstring folder = ManifestFolder();
  std::string error;
  if (hostPath.empty() || folder.empty()) {
    failed->push_back(hostPath.empty() ? "the path of quill-host cannot be found"
                                       : "LOCALAPPDATA is not set");
    return false;
  }
  if (!MakeFolder(folder, &error)) {
    failed->push_back(error);
    return false;
  }
  bool ok = true;
  for (ManifestForm form : {ManifestForm::kChromium, ManifestForm::kFirefox}) {
    const std::wstring path = ManifestPath(folder, form);
    if (WriteWhole(path, HostManifest(form, hostPath), &error)) {
      done->push_back("wrote " + Narrow(path));
    } else {
      failed->push_back(error);
      ok = false;
    }
  }
  for (const BrowserKey& browser : kKeys) {
    const std::wstring key = std::wstring(browser.key) + L"\\" + Widen(kHostName);
    if (SetDefaultValue(key, ManifestPath(folder, browser.form), &error)) {
      done->push_back("set HKCU\\" + Narrow(key));
    } else {
      failed->push_back(error);
      ok = false;
    }
  }
  return ok;
}

bool Uninstall(std::vector<std::string>* done, std::vector<std::string>* failed) {
  bool ok = true;
  for (const BrowserKey& browser : kKeys) {
    const std::wstring key = std::wstring(browser.key) + L"\\" + Widen(kHostName);
    const LONG status = RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    if (status == ERROR_SUCCESS) {
      done->push_back("deleted HKCU\\" + Narrow(key));
    } else if (status != ERROR_FILE_NOT_FOUND) {
      failed->push_back("HKCU\\" + Failure(key, static_cast<DWORD>(status)));
      ok = false;
    }
  }
  const std::wstring folder = ManifestFolder();
  if (folder.empty()) return ok;
  for (ManifestForm form : {ManifestForm::kChromium, ManifestForm::kFirefox}) {
    const std::wstring path = ManifestPath(folder, form);
    if (DeleteFileW(path.c_str())) {
      done->push_back("removed " + Narrow(path));
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND) {
      failed->push_back(Failure(path, GetLastError()));
      ok = false;
    }
  }
  // Only empty folders go; anything else in them stays.
  RemoveDirectoryW(folder.c_str());
  RemoveDirectoryW(folder.substr(0, folder.rfind(L'\\')).c_str());
  return ok;
}

}  // namespace

bool RegisterHost(RegistrationAction action, std::vector<std::string>* done,
                  std::vector<std::string>* failed) {
  return action == RegistrationAction::kInstall ? Install(done, failed) : Uninstall(done, failed);
}

}  // namespace quill::host
