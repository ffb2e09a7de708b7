// IPersistStreamInit and IPersistStorage: the control has no persistent
// properties, so it saves nothing and accepts any saved state.
#include "quill_control_object.h"

namespace quill {

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = CLSID_QuillActiveXCtrl;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::IsDirty() {
  return dirty_ ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::InitNew() {
  dirty_ = false;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::Load(IStream* stream) {
  if (stream == nullptr) return E_POINTER;
  dirty_ = false;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::Save(IStream* stream, BOOL clearDirty) {
  if (stream == nullptr) return E_POINTER;
  if (clearDirty) dirty_ = false;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetSizeMax(ULARGE_INTEGER* size) {
  if (size == nullptr) return E_POINTER;
  size->QuadPart = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::InitNew(IStorage* storage) {
  if (storage == nullptr) return E_POINTER;
  dirty_ = false;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::Load(IStorage* storage) {
  if (storage == nullptr) return E_POINTER;
  dirty_ = false;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::Save(IStorage* storage, BOOL) {
  if (storage == nullptr) return E_POINTER;
  dirty_ = false;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::SaveCompleted(IStorage*) {
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::HandsOffStorage() {
  return S_OK;
}

}  // namespace quill
