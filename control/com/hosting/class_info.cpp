// IProvideClassInfo2, ISpecifyPropertyPages and ISupportErrorInfo: the class
// description from the type library; no event interface, no property pages.
#include "quill_control_object.h"

namespace quill {

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetClassInfo(ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  return typeLib_->GetTypeInfoOfGuid(CLSID_QuillActiveXCtrl, info);
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetGUID(DWORD kind, GUID* guid) {
  if (guid == nullptr) return E_POINTER;
  *guid = GUID_NULL;
  // The control fires no events, so it has no default source interface.
  return kind == GUIDKIND_DEFAULT_SOURCE_DISP_IID ? E_FAIL : E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetPages(CAUUID* pages) {
  if (pages == nullptr) return E_POINTER;
  pages->cElems = 0;
  pages->pElems = nullptr;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::InterfaceSupportsErrorInfo(REFIID iid) {
  return IsEqualIID(iid, IID_IQuillActiveXCtrl) ? S_OK : S_FALSE;
}

}  // namespace quill
