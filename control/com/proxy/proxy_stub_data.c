/* The interface compiler's proxy/stub code and proxy file list, built with
 * their entry points prefixed "Prx" so that the module's own entry points
 * call them. The generated code is compiled as it comes, without the
 * warnings it would raise. */
#define ENTRY_PREFIX Prx
#define REGISTER_PROXY_DLL
#define PROXY_DELEGATION
#define USE_STUBLESS_PROXY
#define USE_COMPILER_EXCEPTIONS

#include <objbase.h>
#include <rpcproxy.h>

/* Exported by rpcrt4 but not declared by these headers. */
HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown* This, REFIID riid, void** ppv);
ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown* This);
ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown* This);

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wcast-function-type"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include "QuillActiveX_p.c"
#include "dlldata.c"
#pragma GCC diagnostic pop
