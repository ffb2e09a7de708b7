// IOleControl: no keyboard mnemonics, no ambient properties read, no events.
#include "quill_control_object.h"

namespace quill {

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetControlInfo(CONTROLINFO* info) {
  if (info == nullptr) return E_POINTER;
  info->cb = sizeof(CONTROLINFO);
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::OnMnemonic(MSG*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::OnAmbientPropertyChange(DISPID) {
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::FreezeEvents(BOOL) {
  return S_OK;
}

}  // namespace quill
