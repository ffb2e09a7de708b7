// Registration of the server: the registry scripts (101: the application
// identifier, 103: the control), the type library from the module's own
// resource, the interface proxy/stub and the two safety categories. DllInstall
// with a command line starting "user" sends all of it to the current user's
// classes (HKCU\Software\Classes) instead of the machine's.
#include <ole2.h>
#include <windows.h>

#include <string>

#include "module.h"
#include "proxy/proxy_stub.h"
#include "quill_control_object.h"
#include "registration_scope.h"
#include "registry/registry_resource.h"
#include "safety_categories.h"
#include "type_library.h"

extern "C" {
// Exported by oleaut32, not declared by these headers.
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* helpDirectory);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID library, WORD major, WORD minor, LCID locale,
                                        SYSKIND system);
}

namespace quill {
namespace {

constexpr int kAppIdScript = 101;
constexpr int kControlScript = 103;
const wchar_t kAppId[] = L"{4FCC3BC8-CA4E-4998-8736-B05CDC905D33}";

// The scripts run in the system's default locale.
class SystemThreadLocale {
 public:
  SystemThreadLocale() : saved_(GetThreadLocale()) { SetThreadLocale(GetSystemDefaultLCID()); }
  ~SystemThreadLocale() { SetThreadLocale(saved_); }
  SystemThreadLocale(const SystemThreadLocale&) = delete;
  SystemThreadLocale& operator=(const SystemThreadLocale&) = delete;

 private:
  LCID saved_;
};

// While it lives, HKEY_CLASSES_ROOT of this process is the current user's
// HKCU\Software\Classes (user scope only). The type library goes there
// through RegisterTypeLibForUser, which needs no redirection.
class ClassesRootForScope {
 public:
  explicit ClassesRootForScope(RegistrationScope scope) {
    if (scope == RegistrationScope::kMachine) return;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0,
                                     KEY_ALL_ACCESS, nullptr, &userClasses_, nullptr);
    if (status == ERROR_SUCCESS) {
      status = RegOverridePredefKey(HKEY_CLASSES_ROOT, userClasses_);
      overridden_ = status == ERROR_SUCCESS;
    }
    result_ = HRESULT_FROM_WIN32(status);
  }
  ~ClassesRootForScope() {
    if (overridden_) RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    if (userClasses_ != nullptr) RegCloseKey(userClasses_);
  }
  ClassesRootForScope(const ClassesRootForScope&) = delete;
  ClassesRootForScope& operator=(const ClassesRootForScope&) = delete;

  HRESULT Result() const { return result_; }

 private:
  HKEY userClasses_ = nullptr;
  bool overridden_ = false;
  HRESULT result_ = S_OK;
};

HRESULT RunScript(int resourceId, ScriptAction action) {
  const ScriptReplacements replacements = {{L"MODULE", ModulePath()},
                                           {L"APPID", kAppId},
                                           {L"OLEMISC", std::to_wstring(kControlMiscStatus)}};
  return RunRegistryScript(ModuleInstance(), resourceId, replacements, action);
}

HRESULT RegisterTypeLibrary(RegistrationScope scope) {
  ITypeLib* library = nullptr;
  HRESULT result = LoadModuleTypeLib(&library);
  if (FAILED(result)) return result;
  std::wstring path = ModulePath();
  result = scope == RegistrationScope::kUser ? RegisterTypeLibForUser(library, &path[0], nullptr)
                                             : RegisterTypeLib(library, &path[0], nullptr);
  library->Release();
  return result;
}

HRESULT UnregisterTypeLibrary(RegistrationScope scope) {
  ITypeLib* library = nullptr;
  HRESULT result = LoadModuleTypeLib(&library);
  if (FAILED(result)) return result;
  TLIBATTR* attributes = nullptr;
  result = library->GetLibAttr(&attributes);
  if (SUCCEEDED(result)) {
    const TLIBATTR a = *attributes;
    library->ReleaseTLibAttr(attributes);
    result =
        scope == RegistrationScope::kUser
            ? UnRegisterTypeLibForUser(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind)
            : UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
  }
  library->Release();
  return result;
}

HRESULT RegisterServer(RegistrationScope scope) {
  ClassesRootForScope classesRoot(scope);
  HRESULT result = classesRoot.Result();
  if (FAILED(result)) return result;
  {
    SystemThreadLocale locale;
    result = RunScript(kAppIdScript, ScriptAction::kRegister);
    if (SUCCEEDED(result)) result = RunScript(kControlScript, ScriptAction::kRegister);
    if (SUCCEEDED(result)) result = RegisterTypeLibrary(scope);
  }
  if (SUCCEEDED(result)) result = PrxDllRegisterServer();
  if (SUCCEEDED(result)) result = RegisterSafetyCategories(scope);
  return result;
}

HRESULT UnregisterServer(RegistrationScope scope) {
  ClassesRootForScope classesRoot(scope);
  HRESULT result = classesRoot.Result();
  if (FAILED(result)) return result;
  {
    SystemThreadLocale locale;
    result = RunScript(kControlScript, ScriptAction::kUnregister);
    const HRESULT typeLibrary = UnregisterTypeLibrary(scope);
    if (SUCCEEDED(result)) result = typeLibrary;
    const HRESULT appId = RunScript(kAppIdScript, ScriptAction::kUnregister);
    if (SUCCEEDED(result)) result = appId;
  }
  // Registering the proxy/stub first makes sure that removing it finds all
  // of its entries.
  HRESULT proxy = PrxDllRegisterServer();
  if (SUCCEEDED(proxy)) proxy = PrxDllUnregisterServer();
  return SUCCEEDED(result) ? proxy : result;
}

// Whether DllInstall's command line asks for the current user's classes.
bool ForCurrentUser(LPCWSTR commandLine) {
  return commandLine != nullptr && lstrlenW(commandLine) >= 4 &&
         CompareStringOrdinal(commandLine, 4, L"user", 4, TRUE) == CSTR_EQUAL;
}

}  // namespace
}  // namespace quill

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  return quill::RegisterServer(quill::RegistrationScope::kMachine);
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return quill::UnregisterServer(quill::RegistrationScope::kMachine);
}

extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR commandLine) {
  const quill::RegistrationScope scope = quill::ForCurrentUser(commandLine)
                                             ? quill::RegistrationScope::kUser
                                             : quill::RegistrationScope::kMachine;
  if (!install) return quill::UnregisterServer(scope);
  const HRESULT result = quill::RegisterServer(scope);
  if (FAILED(result)) quill::UnregisterServer(scope);
  return result;
}
