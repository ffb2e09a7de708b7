#include "class_factory.h"

#include <new>

#include "module.h"
#include "quill_control_object.h"

namespace quill {
namespace {

class ControlClassFactory final : public IClassFactory {
 public:
  ControlClassFactory() { LockModule(); }
  ControlClassFactory(const ControlClassFactory&) = delete;
  ControlClassFactory& operator=(const ControlClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    return CQuillActiveXCtrl::Create(outer, iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      LockModule();
    } else {
      UnlockModule();
    }
    return S_OK;
  }

 private:
  ~ControlClassFactory() { UnlockModule(); }

  LONG references_ = 1;
};

}  // namespace

HRESULT GetControlClassFactory(REFIID iid, void** object) {
  ControlClassFactory* factory = new (std::nothrow) ControlClassFactory();
  if (factory == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = factory->QueryInterface(iid, object);
  factory->Release();
  return result;
}

}  // namespace quill
