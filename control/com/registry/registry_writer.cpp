#include "registry/registry_writer.h"

#include <string>

namespace quill {
namespace {

bool SameWord(const std::wstring& a, const wchar_t* b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

HKEY RootKey(const std::wstring& name) {
  if (SameWord(name, L"HKCR") || SameWord(name, L"HKEY_CLASSES_ROOT")) return HKEY_CLASSES_ROOT;
  if (SameWord(name, L"HKCU") || SameWord(name, L"HKEY_CURRENT_USER")) return HKEY_CURRENT_USER;
  if (SameWord(name, L"HKLM") || SameWord(name, L"HKEY_LOCAL_MACHINE")) {
    return HKEY_LOCAL_MACHINE;
  }
  if (SameWord(name, L"HKU") || SameWord(name, L"HKEY_USERS")) return HKEY_USERS;
  return nullptr;
}

bool Missing(LSTATUS status) {
  return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

// Keeps the first failure.
class Outcome {
 public:
  void Note(LSTATUS status) {
    if (status != ERROR_SUCCESS && SUCCEEDED(result_)) result_ = HRESULT_FROM_WIN32(status);
  }
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_ = S_OK;
};

LSTATUS SetData(HKEY key, const wchar_t* name, const RegistryData& data) {
  if (data.isNumber) {
    const DWORD number = data.number;
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                          sizeof(number));
  }
  const DWORD bytes = static_cast<DWORD>((data.text.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.text.c_str()),
                        bytes);
}

void DeleteWholeKey(HKEY parent, const std::wstring& name, Outcome* outcome) {
  const LSTATUS status = RegDeleteTreeW(parent, name.c_str());
  if (!Missing(status)) outcome->Note(status);
  // RegDeleteTree leaves the key itself on some systems.
  const LSTATUS keyStatus = RegDeleteKeyW(parent, name.c_str());
  if (!Missing(keyStatus)) outcome->Note(keyStatus);
}

void WriteKey(HKEY parent, const RegistryKey& key, Outcome* outcome) {
  if (key.removal == KeyRemoval::kDelete) {
    DeleteWholeKey(parent, key.name, outcome);
    return;
  }
  if (key.removal == KeyRemoval::kForceRemove) DeleteWholeKey(parent, key.name, outcome);
  HKEY handle = nullptr;
  const LSTATUS status = RegCreateKeyExW(parent, key.name.c_str(), 0, nullptr, 0,
                                         KEY_READ | KEY_WRITE, nullptr, &handle, nullptr);
  if (status != ERROR_SUCCESS) {
    outcome->Note(status);
    return;
  }
  if (key.hasDefault) outcome->Note(SetData(handle, nullptr, key.defaultValue));
  for (const RegistryNamedValue& value : key.values) {
    outcome->Note(SetData(handle, value.name.c_str(), value.data));
  }
  for (const RegistryKey& subkey : key.subkeys) WriteKey(handle, subkey, outcome);
  RegCloseKey(handle);
}

void RemoveKey(HKEY parent, const RegistryKey& key, Outcome* outcome) {
  switch (key.removal) {
    case KeyRemoval::kDelete:
      return;
    case KeyRemoval::kForceRemove:
      DeleteWholeKey(parent, key.name, outcome);
      return;
    case KeyRemoval::kNoRemove:
    case KeyRemoval::kIfEmpty:
      break;
  }
  HKEY handle = nullptr;
  LSTATUS status = RegOpenKeyExW(parent, key.name.c_str(), 0, KEY_READ | KEY_WRITE, &handle);
  if (status != ERROR_SUCCESS) {
    if (!Missing(status)) outcome->Note(status);
    return;
  }
  for (const RegistryKey& subkey : key.subkeys) RemoveKey(handle, subkey, outcome);
  if (key.removal == KeyRemoval::kNoRemove) {
    RegCloseKey(handle);
    return;
  }
  for (const RegistryNamedValue& value : key.values) {
    status = RegDeleteValueW(handle, value.name.c_str());
    if (!Missing(status)) outcome->Note(status);
  }
  DWORD subkeys = 0;
  status = RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(handle);
  outcome->Note(status);
  if (status == ERROR_SUCCESS && subkeys == 0) {
    status = RegDeleteKeyW(parent, key.name.c_str());
    if (!Missing(status)) outcome->Note(status);
  }
}

}  // namespace

HRESULT WriteRegistryTrees(const std::vector<RegistryTree>& trees) {
  Outcome outcome;
  for (const RegistryTree& tree : trees) {
    HKEY root = RootKey(tree.root);
    if (root == nullptr) return E_INVALIDARG;
    for (const RegistryKey& key : tree.keys) WriteKey(root, key, &outcome);
  }
  return outcome.Result();
}

HRESULT RemoveRegistryTrees(const std::vector<RegistryTree>& trees) {
  Outcome outcome;
  for (const RegistryTree& tree : trees) {
    HKEY root = RootKey(tree.root);
    if (root == nullptr) return E_INVALIDARG;
    for (const RegistryKey& key : tree.keys) RemoveKey(root, key, &outcome);
  }
  return outcome.Result();
}

}  // namespace quill
