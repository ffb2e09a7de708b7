// The module's entry points for COM: the class objects it serves and whether
// it may be unloaded. Loading the module does nothing but remember its handle.
#include "module.h"

#include <atomic>

#include "QuillActiveX.h"
#include "class_factory.h"
#include "proxy/proxy_stub.h"

namespace quill {
namespace {

HINSTANCE g_instance = nullptr;  // set once, by the loader
std::atomic<long> g_useCount{0};

}  // namespace

HINSTANCE ModuleInstance() {
  return g_instance;
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(g_instance, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void LockModule() {
  ++g_useCount;
}
void UnlockModule() {
  --g_useCount;
}
bool ModuleInUse() {
  return g_useCount.load() != 0;
}

}  // namespace quill

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    quill::g_instance = instance;
    DisableThreadLibraryCalls(instance);
  }
  return PrxDllMain(instance, reason, reserved);
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (IsEqualCLSID(clsid, CLSID_QuillActiveXCtrl)) {
    return quill::GetControlClassFactory(iid, object);
  }
  return PrxDllGetClassObject(clsid, iid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  if (quill::ModuleInUse()) return S_FALSE;
  return PrxDllCanUnloadNow();
}
