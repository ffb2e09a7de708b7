// Two stand-in controls for the registration helper's failure paths, built
// from this one file: with QUILL_FAILING_REGISTRATION defined a library whose
// DllRegisterServer returns E_FAIL, without it a library with no
// registration entry point at all.
#include <windows.h>

#ifdef QUILL_FAILING_REGISTRATION
extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  return E_FAIL;
}
#else
extern "C" __declspec(dllexport) int QuillTestNothing() {
  return 0;
}
#endif
