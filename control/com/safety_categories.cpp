#include "safety_categories.h"

#include <comcat.h>
#include <objbase.h>

#include <string>

#include "QuillActiveX.h"

namespace quill {
namespace {

constexpr LCID kDescriptionLocale = 1033;

const CATID kSafeForScripting = {
    0x7DD95801, 0x9882, 0x11CF, {0x9F, 0xA9, 0x00, 0xAA, 0x00, 0x6C, 0x42, 0xC4}};
const CATID kSafeForInitializing = {
    0x7DD95802, 0x9882, 0x11CF, {0x9F, 0xA9, 0x00, 0xAA, 0x00, 0x6C, 0x42, 0xC4}};
const wchar_t kScriptingDescription[] = L"Controls that are safely scriptable";
const wchar_t kInitializingDescription[] = L"Controls safely initializable from persistent data";

class CategoryWriter {
 public:
  virtual ~CategoryWriter() = default;
  virtual HRESULT RegisterCategory(const CATID& id, const wchar_t* description) = 0;
  virtual HRESULT DeclareImplemented(const CATID& id) = 0;
};

// Through the system's category manager.
class ManagerCategoryWriter final : public CategoryWriter {
 public:
  explicit ManagerCategoryWriter(ICatRegister* manager) : manager_(manager) {}

  HRESULT RegisterCategory(const CATID& id, const wchar_t* description) override {
    CATEGORYINFO info = {};
    info.catid = id;
    info.lcid = kDescriptionLocale;
    lstrcpynW(info.szDescription, description, ARRAYSIZE(info.szDescription));
    return manager_->RegisterCategories(1, &info);
  }
  HRESULT DeclareImplemented(const CATID& id) override {
    CATID implemented = id;
    return manager_->RegisterClassImplCategories(CLSID_QuillActiveXCtrl, 1, &implemented);
  }

 private:
  ICatRegister* manager_;
};

std::wstring GuidText(const GUID& id) {
  wchar_t text[40] = {};
  StringFromGUID2(id, text, ARRAYSIZE(text));
  return text;
}

HRESULT WriteKey(const std::wstring& path, const wchar_t* valueName, const wchar_t* text) {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE,
                                   nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS && text != nullptr) {
    status = RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                            static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(wchar_t)));
  }
  if (key != nullptr) RegCloseKey(key);
  return HRESULT_FROM_WIN32(status);
}

// The keys the category manager writes, under the (redirected) classes root.
class KeyCategoryWriter final : public CategoryWriter {
 public:
  HRESULT RegisterCategory(const CATID& id, const wchar_t* description) override {
    wchar_t locale[16] = {};
    wsprintfW(locale, L"%lx", static_cast<unsigned long>(kDescriptionLocale));
    return WriteKey(L"Component Categories\\" + GuidText(id), locale, description);
  }
  HRESULT DeclareImplemented(const CATID& id) override {
    return WriteKey(L"CLSID\\" + GuidText(CLSID_QuillActiveXCtrl) + L"\\Implemented Categories\\" +
                        GuidText(id),
                    nullptr, nullptr);
  }
};

HRESULT RegisterBoth(CategoryWriter& writer) {
  if (SUCCEEDED(writer.RegisterCategory(kSafeForScripting, kScriptingDescription))) {
    writer.DeclareImplemented(kSafeForScripting);
  }
  HRESULT result = writer.RegisterCategory(kSafeForInitializing, kInitializingDescription);
  if (SUCCEEDED(result)) result = writer.DeclareImplemented(kSafeForInitializing);
  return result;
}

// COM for the category manager, when the caller has not started it.
class ComForThisCall {
 public:
  ComForThisCall() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComForThisCall() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComForThisCall(const ComForThisCall&) = delete;
  ComForThisCall& operator=(const ComForThisCall&) = delete;

 private:
  HRESULT result_;
};

}  // namespace

HRESULT RegisterSafetyCategories(RegistrationScope scope) {
  if (scope == RegistrationScope::kUser) {
    KeyCategoryWriter writer;
    return RegisterBoth(writer);
  }
  ComForThisCall com;
  ICatRegister* manager = nullptr;
  HRESULT result = CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_ICatRegister, reinterpret_cast<void**>(&manager));
  if (FAILED(result)) return result;
  ManagerCategoryWriter writer(manager);
  result = RegisterBoth(writer);
  manager->Release();
  return result;
}

}  // namespace quill
