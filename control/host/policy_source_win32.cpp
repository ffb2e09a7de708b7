// The machine policy on Windows: the lists under
// SOFTWARE\Policies\Quill\Host\AllowedOrigins and ...\ForbiddenOrigins, in
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER (merged), one pattern per REG_SZ
// value whatever its name, as browsers' list policies are written.
#include <windows.h>

#include <string>
#include <vector>

#include "policy_source.h"

namespace quill::host {
namespace {

constexpr wchar_t kPolicyKey[] = L"SOFTWARE\\Policies\\Quill\\Host\\";

struct Root {
  HKEY key;
  const char* name;
};

std::string Narrow(const wchar_t* wide, size_t size, bool* ok) {
  *ok = true;
  if (size == 0) return std::string();
  const int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide,
                                         static_cast<int>(size), nullptr, 0, nullptr, nullptr);
  if (length <= 0) {
    *ok = false;
    return std::string();
  }
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, static_cast<int>(size), &utf8[0], length,
                      nullptr, nullptr);
  return utf8;
}

std::string Narrow(const std::wstring& wide) {
  bool ok = true;
  return Narrow(wide.data(), wide.size(), &ok);
}

// Appends the patterns of one list key; false with the reason when the key
// exists but cannot be read, or holds a value that is not a pattern.
bool ReadList(const Root& root, const wchar_t* list, std::vector<std::string>* patterns,
              std::string* problem) {
  const std::wstring subkey = std::wstring(kPolicyKey) + list;
  const std::string where = std::string(root.name) + "\\" + Narrow(subkey);
  HKEY key = nullptr;
  // Policies are written in the 64-bit view; a 32-bit host reads them there too.
  LONG status = RegOpenKeyExW(root.key, subkey.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key);
  if (status == ERROR_FILE_NOT_FOUND) return true;
  if (status != ERROR_SUCCESS) {
    *problem =
        "the registry key " + where + " cannot be opened (error " + std::to_string(status) + ")";
    return false;
  }
  DWORD count = 0;
  DWORD longestName = 0;
  DWORD longestData = 0;
  status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                            &longestName, &longestData, nullptr, nullptr);
  bool ok = status == ERROR_SUCCESS;
  if (!ok) {
    *problem =
        "the registry key " + where + " cannot be read (error " + std::to_string(status) + ")";
  }
  for (DWORD i = 0; ok && i < count; ++i) {
    std::vector<wchar_t> name(longestName + 1);
    std::vector<wchar_t> data(longestData / sizeof(wchar_t) + 1);
    DWORD nameLength = static_cast<DWORD>(name.size());
    DWORD dataSize = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    DWORD type = 0;
    status = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type,
                           reinterpret_cast<BYTE*>(data.data()), &dataSize);
    if (status == ERROR_NO_MORE_ITEMS) break;
    const std::string value = where + "\\" + Narrow(std::wstring(name.data(), nameLength));
    if (status != ERROR_SUCCESS) {
      // ERROR_MORE_DATA too: the key changed while it was read.
      *problem =
          "the registry value " + value + " cannot be read (error " + std::to_string(status) + ")";
      ok = false;
    } else if (type != REG_SZ) {
      *problem = "the registry value " + value + " is not of type REG_SZ";
      ok = false;
    } else {
      // The text up to its first NUL (the stored size may or may not count one).
      const size_t stored = dataSize / sizeof(wchar_t);
      size_t length = 0;
      while (length < stored && data[length] != L'\0') ++length;
      bool converted = true;
      std::string pattern = Narrow(data.data(), length, &converted);
      std::string why;
      if (!converted) {
        *problem = "the registry value " + value + " is not valid text";
        ok = false;
      } else if (!ParseOriginPattern(pattern, &why)) {
        *problem = "the registry value " + value + " holds '" + pattern +
                   "', which is not an origin pattern: " + why;
        ok = false;
      } else {
        patterns->push_back(std::move(pattern));
      }
    }
  }
  RegCloseKey(key);
  return ok;
}

class RegistryPolicySource : public PolicySource {
 public:
  PolicyReading Read() override {
    PolicyReading reading;
    std::vector<std::string> allowed;
    std::vector<std::string> forbidden;
    for (const Root& root : {Root{HKEY_LOCAL_MACHINE, "HKLM"}, Root{HKEY_CURRENT_USER, "HKCU"}}) {
      if (!ReadList(root, L"AllowedOrigins", &allowed, &reading.problem) ||
          !ReadList(root, L"ForbiddenOrigins", &forbidden, &reading.problem)) {
        reading.usable = false;
        return reading;
      }
    }
    if (!PolicyFromPatterns(allowed, forbidden, &reading.policy, &reading.problem)) {
      reading.usable = false;
    }
    return reading;
  }
};

}  // namespace

std::unique_ptr<PolicySource> MachinePolicySource() {
  return std::make_unique<RegistryPolicySource>();
}

}  // namespace quill::host
