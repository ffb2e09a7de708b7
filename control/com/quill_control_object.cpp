// The control object's identity (aggregation), its creation, and IDispatch
// through the module's type library.
#include "quill_control_object.h"

#include <new>

#include "module.h"
#include "module_platform.h"
#include "type_library.h"

namespace quill {
namespace {

template <typename T>
void ReleaseAndClear(T** pointer) {
  if (*pointer != nullptr) {
    (*pointer)->Release();
    *pointer = nullptr;
  }
}

// Two inches square, the size a container gives a new control.
constexpr LONG kDefaultExtentHimetric = 2 * 2540;

}  // namespace

HRESULT CQuillActiveXCtrl::Create(IUnknown* outer, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
  UseModulePlatform();
  CQuillActiveXCtrl* control = new (std::nothrow) CQuillActiveXCtrl(outer);
  if (control == nullptr) return E_OUTOFMEMORY;
  IUnknown* inner = &control->inner_;
  inner->AddRef();  // held while the object is prepared
  HRESULT result = control->LoadTypeInformation();
  if (SUCCEEDED(result)) result = inner->QueryInterface(iid, object);
  inner->Release();  // the object goes if nobody took it
  return result;
}

CQuillActiveXCtrl::CQuillActiveXCtrl(IUnknown* outer)
    : inner_(this), outer_(outer != nullptr ? outer : &inner_) {
  extent_.cx = kDefaultExtentHimetric;
  extent_.cy = kDefaultExtentHimetric;
  LockModule();
}

CQuillActiveXCtrl::~CQuillActiveXCtrl() {
  InPlaceDeactivate();
  ReleaseAndClear(&clientSite_);
  ReleaseAndClear(&oleAdvise_);
  ReleaseAndClear(&dataAdvise_);
  ReleaseAndClear(&viewSink_);
  ReleaseAndClear(&interfaceInfo_);
  ReleaseAndClear(&dispatchInfo_);
  ReleaseAndClear(&typeLib_);
  UnlockModule();
}

HRESULT CQuillActiveXCtrl::LoadTypeInformation() {
  HRESULT result = LoadModuleTypeLib(&typeLib_);
  if (FAILED(result)) return result;
  result = typeLib_->GetTypeInfoOfGuid(IID_IQuillActiveXCtrl, &dispatchInfo_);
  if (FAILED(result)) return result;
  // A dual interface's type information is the dispinterface; its vtable
  // interface (reference -1) is what Invoke must call through.
  HREFTYPE vtable = 0;
  result = dispatchInfo_->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable);
  if (FAILED(result)) return result;
  return dispatchInfo_->GetRefTypeInfo(vtable, &interfaceInfo_);
}

void* CQuillActiveXCtrl::FindInterface(REFIID iid) {
  if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IQuillActiveXCtrl)) {
    return static_cast<IQuillActiveXCtrl*>(this);
  }
  if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStreamInit)) {
    return static_cast<IPersistStreamInit*>(this);
  }
  if (IsEqualIID(iid, IID_IPersistStorage)) return static_cast<IPersistStorage*>(this);
  if (IsEqualIID(iid, IID_IOleControl)) return static_cast<IOleControl*>(this);
  if (IsEqualIID(iid, IID_IOleObject)) return static_cast<IOleObject*>(this);
  if (IsEqualIID(iid, IID_IOleInPlaceActiveObject)) {
    return static_cast<IOleInPlaceActiveObject*>(this);
  }
  if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject) ||
      IsEqualIID(iid, IID_IOleInPlaceObjectWindowless)) {
    return static_cast<IOleInPlaceObjectWindowless*>(this);
  }
  if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2) ||
      IsEqualIID(iid, IID_IViewObjectEx)) {
    return static_cast<IViewObjectEx*>(this);
  }
  if (IsEqualIID(iid, IID_IQuickActivate)) return static_cast<IQuickActivate*>(this);
  if (IsEqualIID(iid, IID_IDataObject)) return static_cast<IDataObject*>(this);
  if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2)) {
    return static_cast<IProvideClassInfo2*>(this);
  }
  if (IsEqualIID(iid, IID_ISpecifyPropertyPages)) return static_cast<ISpecifyPropertyPages*>(this);
  if (IsEqualIID(iid, IID_ISupportErrorInfo)) return static_cast<ISupportErrorInfo*>(this);
  return nullptr;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::InnerUnknown::QueryInterface(REFIID iid,
                                                                          void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown)) {
    *object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  *object = owner_->FindInterface(iid);
  if (*object == nullptr) return E_NOINTERFACE;
  owner_->AddRef();  // through the controlling unknown, as the caller releases it
  return S_OK;
}

ULONG STDMETHODCALLTYPE CQuillActiveXCtrl::InnerUnknown::AddRef() {
  return InterlockedIncrement(&references_);
}

ULONG STDMETHODCALLTYPE CQuillActiveXCtrl::InnerUnknown::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) {
    references_ = 1;  // guards against a release from the destructor's work
    delete owner_;
  }
  return left;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QueryInterface(REFIID iid, void** object) {
  return outer_->QueryInterface(iid, object);
}
ULONG STDMETHODCALLTYPE CQuillActiveXCtrl::AddRef() {
  return outer_->AddRef();
}
ULONG STDMETHODCALLTYPE CQuillActiveXCtrl::Release() {
  return outer_->Release();
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  dispatchInfo_->AddRef();
  *info = dispatchInfo_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count,
                                                           LCID, DISPID* ids) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  return DispGetIDsOfNames(interfaceInfo_, names, count, ids);
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::Invoke(DISPID id, REFIID iid, LCID, WORD flags,
                                                    DISPPARAMS* params, VARIANT* result,
                                                    EXCEPINFO* exception, UINT* argumentError) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  return DispInvoke(static_cast<IQuillActiveXCtrl*>(this), interfaceInfo_, id, flags, params,
                    result, exception, argumentError);
}

}  // namespace quill
