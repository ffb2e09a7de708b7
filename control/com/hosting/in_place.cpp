// In-place activation: windowless when the site offers it, otherwise in a
// child window of the container's that shows the control's face.
#include "hosting/control_window.h"
#include "quill_control_object.h"

namespace quill {
namespace {

// The frame and document windows of the site's window context, and the
// control's position in it.
struct WindowContext {
  IOleInPlaceFrame* frame = nullptr;
  IOleInPlaceUIWindow* document = nullptr;
  RECT position = {};
  RECT clip = {};

  ~WindowContext() {
    if (frame != nullptr) frame->Release();
    if (document != nullptr) document->Release();
  }
  HRESULT Read(IOleInPlaceSite* site) {
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof(info);
    return site->GetWindowContext(&frame, &document, &position, &clip, &info);
  }
};

}  // namespace

HRESULT CQuillActiveXCtrl::InPlaceActivate(LONG verb, LPCRECT position) {
  if (clientSite_ == nullptr) return E_UNEXPECTED;  // the site comes first
  if (inPlaceSite_ == nullptr) {
    IOleInPlaceSite* site = nullptr;
    HRESULT result =
        clientSite_->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site));
    if (FAILED(result)) return result;
    if (site->CanInPlaceActivate() != S_OK) {
      site->Release();
      return E_FAIL;
    }
    IOleInPlaceSiteWindowless* windowless = nullptr;
    if (SUCCEEDED(site->QueryInterface(IID_IOleInPlaceSiteWindowless,
                                       reinterpret_cast<void**>(&windowless))) &&
        windowless->CanWindowlessActivate() != S_OK) {
      windowless->Release();
      windowless = nullptr;
    }
    BOOL noRedraw = FALSE;
    result = windowless != nullptr ? windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS)
                                   : site->OnInPlaceActivate();
    if (FAILED(result)) {
      if (windowless != nullptr) windowless->Release();
      site->Release();
      return result;
    }
    inPlaceSite_ = site;
    windowlessSite_ = windowless;

    WindowContext context;
    if (SUCCEEDED(context.Read(inPlaceSite_))) {
      position_ = context.position;
    } else if (position != nullptr) {
      position_ = *position;
    }
    if (windowlessSite_ != nullptr) {
      if (!noRedraw) windowlessSite_->InvalidateRect(&position_, TRUE);
    } else {
      HWND parent = nullptr;
      inPlaceSite_->GetWindow(&parent);
      window_ = CreateControlWindow(parent, position_);
      if (window_ == nullptr) {
        const HRESULT windowError = HRESULT_FROM_WIN32(GetLastError());
        InPlaceDeactivate();
        return FAILED(windowError) ? windowError : E_FAIL;
      }
    }
  }
  if (verb == OLEIVERB_UIACTIVATE && !uiActive_) return UIActivate();
  return S_OK;
}

HRESULT CQuillActiveXCtrl::UIActivate() {
  HRESULT result = inPlaceSite_->OnUIActivate();
  if (FAILED(result)) return result;
  uiActive_ = true;
  WindowContext context;
  if (SUCCEEDED(context.Read(inPlaceSite_))) {
    IOleInPlaceActiveObject* active = this;
    if (context.frame != nullptr) {
      context.frame->SetActiveObject(active, L"QuillActiveXCtrl");
      context.frame->SetBorderSpace(nullptr);
      frame_ = context.frame;
      context.frame = nullptr;
    }
    if (context.document != nullptr) {
      context.document->SetActiveObject(active, L"QuillActiveXCtrl");
      context.document->SetBorderSpace(nullptr);
      documentWindow_ = context.document;
      context.document = nullptr;
    }
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::UIDeactivate() {
  if (!uiActive_) return S_OK;
  uiActive_ = false;
  if (documentWindow_ != nullptr) {
    documentWindow_->SetActiveObject(nullptr, nullptr);
    documentWindow_->Release();
    documentWindow_ = nullptr;
  }
  if (frame_ != nullptr) {
    frame_->SetActiveObject(nullptr, nullptr);
    frame_->Release();
    frame_ = nullptr;
  }
  if (inPlaceSite_ != nullptr) inPlaceSite_->OnUIDeactivate(FALSE);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::InPlaceDeactivate() {
  if (inPlaceSite_ == nullptr) return S_OK;
  UIDeactivate();
  if (window_ != nullptr) {
    DestroyControlWindow(window_);
    window_ = nullptr;
  }
  // Taken out first: the site may call back while it hears of this.
  IOleInPlaceSite* site = inPlaceSite_;
  IOleInPlaceSiteWindowless* windowless = windowlessSite_;
  inPlaceSite_ = nullptr;
  windowlessSite_ = nullptr;
  if (windowless != nullptr) {
    windowless->OnInPlaceDeactivateEx(TRUE);
    windowless->Release();
  } else {
    site->OnInPlaceDeactivate();
  }
  site->Release();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = window_;
  return window_ != nullptr ? S_OK : E_FAIL;  // none when windowless or inactive
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::ContextSensitiveHelp(BOOL) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::TranslateAccelerator(LPMSG) {
  return S_FALSE;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::OnFrameWindowActivate(BOOL) {
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::OnDocWindowActivate(BOOL) {
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::EnableModeless(BOOL) {
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::SetObjectRects(LPCRECT position, LPCRECT) {
  if (position == nullptr) return E_POINTER;
  position_ = *position;
  if (window_ != nullptr) {
    MoveWindow(window_, position_.left, position_.top, position_.right - position_.left,
               position_.bottom - position_.top, TRUE);
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::ReactivateAndUndo() {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::OnWindowMessage(UINT, WPARAM, LPARAM,
                                                             LRESULT* result) {
  if (result != nullptr) *result = 0;
  return S_FALSE;  // the control takes no input
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetDropTarget(IDropTarget** target) {
  if (target != nullptr) *target = nullptr;
  return E_NOTIMPL;
}

}  // namespace quill
