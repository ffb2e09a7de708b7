// IQuickActivate: the container's site and view sink in one call, and the
// control's status back.
#include "quill_control_object.h"

namespace quill {

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuickActivate(QACONTAINER* container,
                                                           QACONTROL* control) {
  if (container == nullptr || control == nullptr) return E_POINTER;
  if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL)) {
    return E_INVALIDARG;
  }
  HRESULT result = SetClientSite(container->pClientSite);
  if (FAILED(result)) return result;
  if (container->pAdviseSink != nullptr) {
    result = SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
    if (FAILED(result)) return result;
  }
  control->dwMiscStatus = kControlMiscStatus;
  GetViewStatus(&control->dwViewStatus);
  control->dwEventCookie = 0;       // no events
  control->dwPropNotifyCookie = 0;  // no property notifications
  control->dwPointerActivationPolicy = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::SetContentExtent(LPSIZEL size) {
  return SetExtent(DVASPECT_CONTENT, size);
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetContentExtent(LPSIZEL size) {
  return GetExtent(DVASPECT_CONTENT, size);
}

}  // namespace quill
