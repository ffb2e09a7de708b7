// The module file: its version and resources, its login dialog shown by
// QuillOpenEx, aggregation of its control, and when it may be unloaded.
#include <windows.h>

#include <string>

#include "QuillActiveX.h"
#include "tests/checks.h"
#include "tests/client_groups.h"

namespace quill {
namespace comtest {
namespace {

const wchar_t* ModuleName() {
  return sizeof(void*) == 8 ? L"lumoActiveX.x64.ocx" : L"lumoActiveX.win32.ocx";
}

// A controlling unknown that only counts.
class Outer final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown)) return E_NOINTERFACE;
    *object = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  LONG references = 1;
};

// Presses Cancel on the login dialog when it shows (in this process).
struct DialogWatch {
  bool seen = false;
  bool hasPasswordField = false;
};

BOOL CALLBACK FindLoginDialog(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t windowClass[16] = {};
  GetClassNameW(window, windowClass, 16);
  if (process != GetCurrentProcessId() || lstrcmpW(windowClass, L"#32770") != 0 ||
      !IsWindowVisible(window)) {
    return TRUE;
  }
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

DWORD WINAPI CancelLoginDialog(void* parameter) {
  DialogWatch& watch = *static_cast<DialogWatch*>(parameter);
  constexpr int kPasswordField = 201;
  constexpr int kCancelButton = 203;
  for (int attempt = 0; attempt < 200; ++attempt) {
    HWND dialog = nullptr;
    EnumWindows(FindLoginDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog != nullptr) {
      watch.seen = true;
      watch.hasPasswordField = GetDlgItem(dialog, kPasswordField) != nullptr;
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kCancelButton, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, kCancelButton)));
      return 0;
    }
    Sleep(50);
  }
  return 1;
}

}  // namespace

void CheckLoginDialog() {
  Section("login dialog");
  IQuillActiveXCtrl* control = nullptr;
  CoCreateInstance(CLSID_QuillActiveXCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_IQuillActiveXCtrl,
                   reinterpret_cast<void**>(&control));
  if (!Check(control != nullptr, "create the control")) return;
  DialogWatch watch;
  HANDLE watcher = CreateThread(nullptr, 0, CancelLoginDialog, &watch, 0, nullptr);
  LONG result = -1;
  CheckHr(control->QuillOpenEx(&result), S_OK, "QuillOpenEx");
  if (watcher != nullptr) {
    WaitForSingleObject(watcher, 15000);
    CloseHandle(watcher);
  }
  Check(watch.seen && watch.hasPasswordField, "the module's login dialog (template 104) shows");
  Check(result == 2, "cancelled: " + std::to_string(result));
  control->Release();
}

void CheckModuleFile() {
  Section("module file");
  HMODULE module = GetModuleHandleW(ModuleName());
  if (!Check(module != nullptr, "the module is loaded")) return;
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  std::string info(size, '\0');
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (Check(size != 0 && GetFileVersionInfoW(path, 0, size, &info[0]) &&
                VerQueryValueW(&info[0], L"\\", reinterpret_cast<void**>(&fixed), &fixedSize),
            "the module has a version resource")) {
    Check(fixed->dwFileVersionMS == MAKELONG(1, 3) && fixed->dwFileVersionLS == MAKELONG(813, 0),
          "file version 3.1.0.813");
  }
  Check(FindResourceW(module, MAKEINTRESOURCEW(1), L"TYPELIB") != nullptr, "type library 1");
  Check(FindResourceW(module, MAKEINTRESOURCEW(101), L"REGISTRY") != nullptr &&
            FindResourceW(module, MAKEINTRESOURCEW(103), L"REGISTRY") != nullptr,
        "registry scripts 101 and 103");
  Check(FindResourceW(module, MAKEINTRESOURCEW(102), MAKEINTRESOURCEW(2)) != nullptr,
        "toolbox bitmap 102");
}

void CheckAggregationAndUnloading() {
  Section("aggregation and unloading");
  HMODULE module = GetModuleHandleW(ModuleName());
  if (!Check(module != nullptr, "the module is loaded")) return;
  using CanUnload = HRESULT(WINAPI*)();
  const CanUnload canUnload = reinterpret_cast<CanUnload>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  if (!Check(canUnload != nullptr, "DllCanUnloadNow is exported")) return;
  CheckHr(canUnload(), S_OK, "nothing alive after the other checks");

  IClassFactory* factory = nullptr;
  CheckHr(CoGetClassObject(CLSID_QuillActiveXCtrl, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                           reinterpret_cast<void**>(&factory)),
          S_OK, "the class factory");
  if (factory == nullptr) return;
  CheckHr(canUnload(), S_FALSE, "a live factory keeps the module");
  factory->LockServer(TRUE);
  factory->Release();
  CheckHr(canUnload(), S_FALSE, "a server lock keeps the module");
  CoGetClassObject(CLSID_QuillActiveXCtrl, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                   reinterpret_cast<void**>(&factory));
  factory->LockServer(FALSE);

  Outer outer;
  IUnknown* refused = nullptr;
  CheckHr(factory->CreateInstance(&outer, IID_IDispatch, reinterpret_cast<void**>(&refused)),
          CLASS_E_NOAGGREGATION, "aggregation asks for IUnknown");
  IUnknown* inner = nullptr;
  CheckHr(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)), S_OK,
          "aggregated");
  factory->Release();
  if (inner == nullptr) return;
  Check(outer.references == 1, "creating the inner object leaves the outer count alone");
  IQuillActiveXCtrl* control = nullptr;
  inner->QueryInterface(IID_IQuillActiveXCtrl, reinterpret_cast<void**>(&control));
  Check(control != nullptr && outer.references == 2, "the inner object counts on the outer");
  if (control != nullptr) {
    IUnknown* identity = nullptr;
    control->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
    Check(identity == &outer, "its interfaces answer with the outer identity");
    if (identity != nullptr) identity->Release();
    LONG model = -1;
    CheckHr(control->get_Model(&model), S_OK, "a member through the aggregate");
    control->Release();
  }
  Check(outer.references == 1, "references go back to the outer");
  CheckHr(canUnload(), S_FALSE, "a live inner object keeps the module");
  inner->Release();
  CheckHr(canUnload(), S_OK, "the module may go once everything is released");
}

}  // namespace comtest
}  // namespace quill
