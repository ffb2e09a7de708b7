// The interface proxy/stub of IQuillActiveXCtrl that the module serves for
// calls between apartments. The code is the interface compiler's, compiled
// into the module with these entry points (proxy_stub_data.c).
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

BOOL WINAPI PrxDllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
HRESULT WINAPI PrxDllGetClassObject(REFCLSID clsid, REFIID iid, void** object);
HRESULT WINAPI PrxDllCanUnloadNow(void);
// Write and remove Interface\{IID}\ProxyStubClsid32 and the factory's class
// key (its class identifier is the interface identifier).
HRESULT WINAPI PrxDllRegisterServer(void);
HRESULT WINAPI PrxDllUnregisterServer(void);

#ifdef __cplusplus
}
#endif
