// IViewObject, IViewObject2, IViewObjectEx: the control draws its face into
// the container's device context, opaque over its whole rectangle.
#include "hosting/control_face.h"
#include "quill_control_object.h"

namespace quill {
namespace {

bool DrawableAspect(DWORD aspect) {
  return aspect == DVASPECT_CONTENT || aspect == DVASPECT_OPAQUE || aspect == DVASPECT_TRANSPARENT;
}

}  // namespace

void CQuillActiveXCtrl::ViewChanged() {
  if (viewSink_ != nullptr && (viewAspects_ & DVASPECT_CONTENT) != 0) {
    viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
    if ((viewAdviseFlags_ & ADVF_ONLYONCE) != 0) {
      viewSink_->Release();
      viewSink_ = nullptr;
    }
  }
  if (windowlessSite_ != nullptr) {
    windowlessSite_->InvalidateRect(nullptr, TRUE);
  } else if (window_ != nullptr) {
    InvalidateRect(window_, nullptr, TRUE);
  }
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC,
                                                  HDC dc, LPCRECTL bounds, LPCRECTL,
                                                  BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (!DrawableAspect(aspect)) return DV_E_DVASPECT;
  if (dc == nullptr) return E_INVALIDARG;
  RECT area;
  if (bounds != nullptr) {
    area = {bounds->left, bounds->top, bounds->right, bounds->bottom};
  } else if (windowlessSite_ != nullptr) {
    area = position_;  // a windowless control draws where the site placed it
  } else {
    return E_INVALIDARG;
  }
  DrawControlFace(dc, area);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                                         LOGPALETTE** colors) {
  if (colors != nullptr) *colors = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::Freeze(DWORD, LONG, void*, DWORD*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::Unfreeze(DWORD) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::SetAdvise(DWORD aspects, DWORD flags,
                                                       IAdviseSink* sink) {
  if (sink != nullptr) sink->AddRef();
  if (viewSink_ != nullptr) viewSink_->Release();
  viewSink_ = sink;
  viewAspects_ = aspects;
  viewAdviseFlags_ = flags;
  if (sink != nullptr && (flags & ADVF_PRIMEFIRST) != 0) ViewChanged();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetAdvise(DWORD* aspects, DWORD* flags,
                                                       IAdviseSink** sink) {
  if (aspects != nullptr) *aspects = viewAspects_;
  if (flags != nullptr) *flags = viewAdviseFlags_;
  if (sink != nullptr) {
    *sink = viewSink_;
    if (viewSink_ != nullptr) viewSink_->AddRef();
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*,
                                                       LPSIZEL size) {
  return GetExtent(aspect, size);
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetRect(DWORD, LPRECTL) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetViewStatus(DWORD* status) {
  if (status == nullptr) return E_POINTER;
  *status = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QueryHitPoint(DWORD aspect, LPCRECT bounds,
                                                           POINT location, LONG, DWORD* hitResult) {
  if (bounds == nullptr || hitResult == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return E_FAIL;
  *hitResult = PtInRect(bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QueryHitRect(DWORD aspect, LPCRECT bounds,
                                                          LPCRECT location, LONG,
                                                          DWORD* hitResult) {
  if (bounds == nullptr || location == nullptr || hitResult == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return E_FAIL;
  RECT overlap;
  *hitResult = IntersectRect(&overlap, bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetNaturalExtent(DWORD aspect, LONG, DVTARGETDEVICE*,
                                                              HDC, DVEXTENTINFO* info,
                                                              LPSIZEL size) {
  if (info == nullptr || size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT || info->dwExtentMode != DVEXTENT_CONTENT) return E_NOTIMPL;
  *size = extent_;
  return S_OK;
}

}  // namespace quill
