// IOleObject: the site, the verbs (all of which activate the control in
// place), the extent and the container's advise sinks.
#include <olectl.h>

#include "quill_control_object.h"

namespace quill {

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::SetClientSite(IOleClientSite* site) {
  if (site != nullptr) site->AddRef();
  if (clientSite_ != nullptr) clientSite_->Release();
  clientSite_ = site;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetClientSite(IOleClientSite** site) {
  if (site == nullptr) return E_POINTER;
  *site = clientSite_;
  if (clientSite_ != nullptr) clientSite_->AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::SetHostNames(LPCOLESTR, LPCOLESTR) {
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::Close(DWORD saveOption) {
  InPlaceDeactivate();
  const bool save = saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE;
  if (save && dirty_ && clientSite_ != nullptr) {
    clientSite_->SaveObject();
    if (oleAdvise_ != nullptr) oleAdvise_->SendOnSave();
  }
  if (oleAdvise_ != nullptr) oleAdvise_->SendOnClose();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::SetMoniker(DWORD, IMoniker*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::InitFromData(IDataObject*, BOOL, DWORD) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetClipboardData(DWORD, IDataObject** data) {
  if (data != nullptr) *data = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND,
                                                    LPCRECT position) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
      return InPlaceActivate(OLEIVERB_INPLACEACTIVATE, position);
    case OLEIVERB_UIACTIVATE:
      return InPlaceActivate(OLEIVERB_UIACTIVATE, position);
    case OLEIVERB_HIDE:
      UIDeactivate();
      if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
      return S_OK;
    case OLEIVERB_DISCARDUNDOSTATE:
      return S_OK;
    case OLEIVERB_OPEN:        // no window of its own to open in
    case OLEIVERB_PROPERTIES:  // no property pages
      return E_NOTIMPL;
    default:
      break;
  }
  if (verb < 0) return E_NOTIMPL;
  // An unknown positive verb does what the primary verb does.
  const HRESULT result = InPlaceActivate(OLEIVERB_INPLACEACTIVATE, position);
  return FAILED(result) ? result : OLEOBJ_S_INVALIDVERB;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::EnumVerbs(IEnumOLEVERB** verbs) {
  if (verbs == nullptr) return E_POINTER;
  return OleRegEnumVerbs(CLSID_QuillActiveXCtrl, verbs);
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::Update() {
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::IsUpToDate() {
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetUserClassID(CLSID* clsid) {
  return GetClassID(clsid);
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetUserType(DWORD form, LPOLESTR* userType) {
  if (userType == nullptr) return E_POINTER;
  return OleRegGetUserType(CLSID_QuillActiveXCtrl, form, userType);
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (size == nullptr) return E_POINTER;
  if (size->cx == extent_.cx && size->cy == extent_.cy) return S_OK;
  extent_ = *size;
  dirty_ = true;
  ViewChanged();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (size == nullptr) return E_POINTER;
  *size = extent_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::Advise(IAdviseSink* sink, DWORD* connection) {
  if (oleAdvise_ == nullptr) {
    const HRESULT result = CreateOleAdviseHolder(&oleAdvise_);
    if (FAILED(result)) return result;
  }
  return oleAdvise_->Advise(sink, connection);
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::Unadvise(DWORD connection) {
  if (oleAdvise_ == nullptr) return OLE_E_NOCONNECTION;
  return oleAdvise_->Unadvise(connection);
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::EnumAdvise(IEnumSTATDATA** advises) {
  if (advises == nullptr) return E_POINTER;
  *advises = nullptr;
  if (oleAdvise_ == nullptr) {
    const HRESULT result = CreateOleAdviseHolder(&oleAdvise_);
    if (FAILED(result)) return result;
  }
  return oleAdvise_->EnumAdvise(advises);
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetMiscStatus(DWORD, DWORD* status) {
  if (status == nullptr) return E_POINTER;
  *status = kControlMiscStatus;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::SetColorScheme(LOGPALETTE*) {
  return E_NOTIMPL;
}

}  // namespace quill
