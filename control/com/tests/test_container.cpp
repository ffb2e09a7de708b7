#include "tests/test_container.h"

namespace quill {
namespace comtest {

constexpr RECT TestContainer::kPosition;

TestContainer::TestContainer(bool offerWindowless) : offerWindowless_(offerWindowless) {
  window_ = CreateWindowExW(0, L"STATIC", L"container", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320,
                            200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TestContainer::~TestContainer() {
  if (window_ != nullptr) DestroyWindow(window_);
}

HRESULT STDMETHODCALLTYPE TestContainer::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite) ||
             IsEqualIID(iid, IID_IOleInPlaceSiteEx) ||
             (offerWindowless_ && IsEqualIID(iid, IID_IOleInPlaceSiteWindowless))) {
    *object = static_cast<IOleInPlaceSiteWindowless*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE TestContainer::AddRef() {
  return ++references_;
}
ULONG STDMETHODCALLTYPE TestContainer::Release() {
  return --references_;
}

HRESULT STDMETHODCALLTYPE TestContainer::SaveObject() {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  *moniker = nullptr;
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TestContainer::GetContainer(IOleContainer** container) {
  *container = nullptr;
  return E_NOINTERFACE;
}
HRESULT STDMETHODCALLTYPE TestContainer::ShowObject() {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::OnShowWindow(BOOL) {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::RequestNewObjectLayout() {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TestContainer::GetWindow(HWND* window) {
  *window = window_;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::ContextSensitiveHelp(BOOL) {
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TestContainer::CanInPlaceActivate() {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::OnInPlaceActivate() {
  activated = true;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::OnUIActivate() {
  uiActivated = true;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::GetWindowContext(IOleInPlaceFrame** frame,
                                                          IOleInPlaceUIWindow** document,
                                                          LPRECT position, LPRECT clip,
                                                          LPOLEINPLACEFRAMEINFO info) {
  *frame = nullptr;
  *document = nullptr;
  *position = kPosition;
  *clip = kPosition;
  info->fMDIApp = FALSE;
  info->hwndFrame = window_;
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::Scroll(SIZE) {
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TestContainer::OnUIDeactivate(BOOL) {
  uiDeactivated = true;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::OnInPlaceDeactivate() {
  deactivated = true;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::DiscardUndoState() {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::DeactivateAndUndo() {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::OnPosRectChange(LPCRECT) {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) {
  if (noRedraw != nullptr) *noRedraw = FALSE;
  activated = true;
  activatedWindowless = (flags & ACTIVATE_WINDOWLESS) != 0;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::OnInPlaceDeactivateEx(BOOL) {
  deactivated = true;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::RequestUIActivate() {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::CanWindowlessActivate() {
  return offerWindowless_ ? S_OK : S_FALSE;
}
HRESULT STDMETHODCALLTYPE TestContainer::GetCapture() {
  return S_FALSE;
}
HRESULT STDMETHODCALLTYPE TestContainer::SetCapture(BOOL) {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::GetFocus() {
  return S_FALSE;
}
HRESULT STDMETHODCALLTYPE TestContainer::SetFocus(BOOL) {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::GetDC(LPCRECT, DWORD, HDC* dc) {
  *dc = ::GetDC(window_);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::ReleaseDC(HDC dc) {
  ::ReleaseDC(window_, dc);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::InvalidateRect(LPCRECT, BOOL) {
  ++invalidations;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::InvalidateRgn(HRGN, BOOL) {
  ++invalidations;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::ScrollRect(INT, INT, LPCRECT, LPCRECT) {
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TestContainer::AdjustRect(LPRECT) {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TestContainer::OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
  *result = 0;
  return S_OK;
}

}  // namespace comtest
}  // namespace quill
