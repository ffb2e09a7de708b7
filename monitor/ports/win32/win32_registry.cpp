#include "win32_registry.h"

#include <windows.h>

#include "wide_text.h"

namespace quill {
namespace {

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::kClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegistryRoot::kCurrentUser:
      return HKEY_CURRENT_USER;
    case RegistryRoot::kLocalMachine:
      return HKEY_LOCAL_MACHINE;
  }
  return HKEY_CURRENT_USER;
}

// An open key that closes itself.
class OpenKey {
 public:
  OpenKey(RegistryRoot root, const std::u16string& path, REGSAM access) {
    if (RegOpenKeyExW(RootKey(root), WidePointer(path), 0, access | KEY_WOW64_32KEY, &key_) !=
        ERROR_SUCCESS) {
      key_ = nullptr;
    }
  }
  ~OpenKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;

  bool IsOpen() const { return key_ != nullptr; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

bool Win32RegistryPort::KeyOpens(RegistryRoot root, const std::u16string& path) {
  return OpenKey(root, path, KEY_QUERY_VALUE).IsOpen();
}

RegistryRead Win32RegistryPort::ReadValue(RegistryRoot root, const std::u16string& path,
                                          const std::u16string& name, size_t offered,
                                          uint32_t* type, std::vector<uint8_t>* data) {
  OpenKey key(root, path, KEY_QUERY_VALUE);
  if (!key.IsOpen()) return RegistryRead::kKeyMissing;
  // A buffer is always passed, also for an offer of 0 bytes: without one the
  // system reports the size instead of failing.
  std::vector<uint8_t> buffer(offered == 0 ? 1 : offered, 0);
  DWORD size = static_cast<DWORD>(offered);
  DWORD valueType = 0;
  const LONG status = RegQueryValueExW(key.Get(), name.empty() ? nullptr : WidePointer(name),
                                       nullptr, &valueType, buffer.data(), &size);
  if (status != ERROR_SUCCESS || size > offered) return RegistryRead::kReadFailed;
  buffer.resize(size);
  if (type != nullptr) *type = valueType;
  if (data != nullptr) *data = std::move(buffer);
  return RegistryRead::kOk;
}

bool Win32RegistryPort::WriteValue(RegistryRoot root, const std::u16string& path,
                                   const std::u16string& name, uint32_t type,
                                   const std::vector<uint8_t>& data) {
  OpenKey key(root, path, KEY_SET_VALUE);
  if (!key.IsOpen()) return false;
  const BYTE none = 0;
  const BYTE* bytes = data.empty() ? &none : data.data();
  return RegSetValueExW(key.Get(), name.empty() ? nullptr : WidePointer(name), 0, type, bytes,
                        static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool Win32RegistryPort::CreateKey(RegistryRoot root, const std::u16string& path) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(RootKey(root), WidePointer(path), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_QUERY_VALUE | KEY_WOW64_32KEY, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

}  // namespace quill
