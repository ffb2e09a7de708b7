// Calls from a second apartment (through the module's proxy/stub) and the
// conversions at the COM edge: BSTR lengths, null strings, empty results.
#include <ole2.h>
#include <windows.h>

#include <string>

#include "QuillActiveX.h"
#include "control_codes.h"
#include "tests/checks.h"
#include "tests/client_groups.h"

namespace quill {
namespace comtest {
namespace {

IQuillActiveXCtrl* CreateControl() {
  IQuillActiveXCtrl* control = nullptr;
  CheckHr(CoCreateInstance(CLSID_QuillActiveXCtrl, nullptr, CLSCTX_INPROC_SERVER,
                           IID_IQuillActiveXCtrl, reinterpret_cast<void**>(&control)),
          S_OK, "create the control");
  return control;
}

std::wstring Take(BSTR text) {
  std::wstring result = text != nullptr ? std::wstring(text, SysStringLen(text)) : L"";
  SysFreeString(text);
  return result;
}

std::wstring WideOf(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

// What the second apartment saw.
struct CrossApartmentCall {
  IStream* stream = nullptr;
  IQuillActiveXCtrl* original = nullptr;
  bool gotProxy = false;
  bool isProxy = false;
  HRESULT putModel = E_FAIL;
  LONG model = -1;
  std::wstring version;
  LONG count = -1;
  std::wstring uid;
  DISPID lastErrorId = 0;
  LONG invokedLastError = -1;
  HRESULT nullArgument = E_FAIL;
  LONG nullArgumentResult = 0;
};

DWORD WINAPI SecondApartment(void* parameter) {
  CrossApartmentCall& call = *static_cast<CrossApartmentCall*>(parameter);
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  IQuillActiveXCtrl* proxy = nullptr;
  if (SUCCEEDED(CoGetInterfaceAndReleaseStream(call.stream, IID_IQuillActiveXCtrl,
                                               reinterpret_cast<void**>(&proxy)))) {
    call.gotProxy = true;
    call.isProxy = proxy != call.original;
    call.putModel = proxy->put_Model(1);
    proxy->get_Model(&call.model);
    BSTR version = nullptr;
    proxy->get_Version(&version);
    call.version = Take(version);
    proxy->put_Model(0);
    proxy->QuillCheckExist(&call.count);
    BSTR uid = nullptr;
    proxy->QuillGetUID(&uid);
    call.uid = Take(uid);
    // IDispatch through the same proxy.
    std::wstring name = L"QuillGetLastError";
    LPOLESTR names[] = {&name[0]};
    if (SUCCEEDED(proxy->GetIDsOfNames(IID_NULL, names, 1, 0x0409, &call.lastErrorId))) {
      DISPPARAMS none = {nullptr, nullptr, 0, 0};
      VARIANT result;
      VariantInit(&result);
      if (SUCCEEDED(proxy->Invoke(call.lastErrorId, IID_NULL, 0x0409, DISPATCH_METHOD, &none,
                                  &result, nullptr, nullptr)) &&
          result.vt == VT_I4) {
        call.invokedLastError = result.lVal;
      }
      VariantClear(&result);
    }
    call.nullArgument = proxy->QuillSelectId(nullptr, &call.nullArgumentResult);
    proxy->put_Model(1);  // left for the first apartment to see
    proxy->Release();
  }
  CoUninitialize();
  return 0;
}

// Waits for the thread while serving the calls it makes into this apartment.
bool JoinPumping(HANDLE thread) {
  for (;;) {
    const DWORD wait = MsgWaitForMultipleObjects(1, &thread, FALSE, 30000, QS_ALLINPUT);
    if (wait == WAIT_OBJECT_0) return true;
    if (wait != WAIT_OBJECT_0 + 1) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

}  // namespace

void CheckSecondApartment(const std::string& uidText) {
  Section("second apartment");
  CLSID proxyStub = {};
  CheckHr(CoGetPSClsid(IID_IQuillActiveXCtrl, &proxyStub), S_OK, "CoGetPSClsid");
  Check(IsEqualCLSID(proxyStub, IID_IQuillActiveXCtrl),
        "the interface is marshaled by the module's own proxy/stub");

  IQuillActiveXCtrl* control = CreateControl();
  if (control == nullptr) return;
  CrossApartmentCall call;
  call.original = control;
  if (!CheckHr(CoMarshalInterThreadInterfaceInStream(IID_IQuillActiveXCtrl, control, &call.stream),
               S_OK, "marshal the control")) {
    control->Release();
    return;
  }
  HANDLE thread = CreateThread(nullptr, 0, SecondApartment, &call, 0, nullptr);
  Check(thread != nullptr && JoinPumping(thread), "the second apartment finishes");
  if (thread != nullptr) CloseHandle(thread);

  Check(call.gotProxy, "the second apartment unmarshals the control");
  Check(call.isProxy, "it holds a proxy, not the object");
  CheckHr(call.putModel, S_OK, "Model put through the proxy");
  Check(call.model == 1, "Model get through the proxy");
  Check(call.version == L"3.3", "Version through the proxy: " + Narrow(call.version));
  Check(call.count == 1, "QuillCheckExist through the proxy: " + std::to_string(call.count));
  Check(call.uid == WideOf(uidText), "QuillGetUID through the proxy: " + Narrow(call.uid));
  Check(call.lastErrorId == 2, "GetIDsOfNames through the proxy");
  Check(call.invokedLastError == 0,
        "Invoke through the proxy: " + std::to_string(call.invokedLastError));
  CheckHr(call.nullArgument, S_OK, "a null string crosses the proxy");
  Check(call.nullArgumentResult != 0, "QuillSelectId of a null id fails");

  LONG model = -1;
  control->get_Model(&model);
  Check(model == 1, "both apartments share one session");
  control->put_Model(0);
  control->Release();
}

void CheckEdgeConversions() {
  Section("conversions at the COM edge");
  IQuillActiveXCtrl* control = CreateControl();
  if (control == nullptr) return;

  // The length of a text argument is its BSTR length, NULs included; the
  // text itself ends at the first NUL.
  const wchar_t longPassword[] = L"12345678\0abcdefghijklmnopqrstuvwxyz";
  BSTR tooLong = SysAllocStringLen(longPassword, ARRAYSIZE(longPassword) - 1);
  BSTR current = SysAllocStringLen(L"12345678\0ab", 11);
  BSTR same = SysAllocStringLen(L"12345678\0zz", 11);
  LONG result = -1;
  CheckHr(control->QuillChangePassword(tooLong, same, &result), S_OK, "S_OK on failure");
  Check(result == 2, "a password of 35 characters with a NUL in it is too long");
  LONG code = 0;
  control->QuillGetLastError(&code);
  Check(code == CTL_PASSWORD_TOO_LONG, "code " + std::to_string(code));
  control->QuillChangePassword(current, same, &result);
  Check(result == 0, "the password is read up to its NUL: " + std::to_string(result));
  SysFreeString(tooLong);
  SysFreeString(current);
  SysFreeString(same);

  // Null arguments are the empty text.
  CheckHr(control->put_Version(nullptr), S_OK, "a put of a null string");
  CheckHr(control->QuillOpen(nullptr, &result), S_OK, "QuillOpen of a null string");
  Check(result != 0, "an empty password does not log in");
  BSTR password = SysAllocString(L"12345678");
  control->QuillOpen(password, &result);  // also clears the token's failure count
  Check(result == 0, "the right password logs in: " + std::to_string(result));
  SysFreeString(password);

  // Empty results are null BSTRs; others carry their text.
  BSTR text = reinterpret_cast<BSTR>(1);
  control->QuillGetUIDByIndex(7, &text);
  Check(text == nullptr, "an empty result is a null BSTR");
  SysFreeString(text);
  control->QuillGetUIDByIndex(0, &text);
  Check(text != nullptr && SysStringLen(text) == 32, "a UID is 32 characters");
  SysFreeString(text);

  // A missing result pointer is refused, not written through.
  CheckHr(control->QuillCheckExist(nullptr), E_POINTER, "a null result pointer");
  CheckHr(control->QuillGetUID(nullptr), E_POINTER, "a null text result pointer");

  // Property put through IDispatch as a script engine does it.
  IDispatch* dispatch = control;
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_I4;
  value.lVal = 1;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS put = {&value, &named, 1, 1};
  CheckHr(
      dispatch->Invoke(28, IID_NULL, 0x0409, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr),
      S_OK, "Invoke Model put");
  LONG model = -1;
  control->get_Model(&model);
  Check(model == 1, "Model put through Invoke");
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VARIANT got;
  VariantInit(&got);
  CheckHr(
      dispatch->Invoke(48, IID_NULL, 0x0409, DISPATCH_PROPERTYGET, &none, &got, nullptr, nullptr),
      S_OK, "Invoke Version get");
  Check(got.vt == VT_BSTR && got.bstrVal != nullptr && std::wstring(got.bstrVal) == L"3.3",
        "Version through Invoke");
  VariantClear(&got);
  control->put_Model(0);
  control->Release();
}

}  // namespace comtest
}  // namespace quill
