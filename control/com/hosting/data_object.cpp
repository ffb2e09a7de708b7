// IDataObject: the control's content as a metafile picture (the face drawn
// at the control's extent), and data advise connections.
#include "hosting/control_face.h"
#include "quill_control_object.h"

namespace quill {
namespace {

constexpr LONG kHimetricPerInch = 2540;

// The extent in pixels of the screen, where the face is drawn.
SIZE ExtentInPixels(const SIZEL& himetric) {
  HDC screen = GetDC(nullptr);
  const int dpiX = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  const int dpiY = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return SIZE{MulDiv(himetric.cx, dpiX, kHimetricPerInch),
              MulDiv(himetric.cy, dpiY, kHimetricPerInch)};
}

}  // namespace

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QueryGetData(FORMATETC* format) {
  if (format == nullptr) return E_POINTER;
  if (format->cfFormat != CF_METAFILEPICT) return DV_E_FORMATETC;
  if ((format->tymed & TYMED_MFPICT) == 0) return DV_E_TYMED;
  if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (medium == nullptr) return E_POINTER;
  const HRESULT supported = QueryGetData(format);
  if (supported != S_OK) return supported;

  const SIZE pixels = ExtentInPixels(extent_);
  HDC recorder = CreateMetaFileW(nullptr);
  if (recorder == nullptr) return E_OUTOFMEMORY;
  SetWindowOrgEx(recorder, 0, 0, nullptr);
  SetWindowExtEx(recorder, pixels.cx, pixels.cy, nullptr);
  DrawControlFace(recorder, RECT{0, 0, pixels.cx, pixels.cy});
  HMETAFILE metafile = CloseMetaFile(recorder);
  if (metafile == nullptr) return E_OUTOFMEMORY;

  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, sizeof(METAFILEPICT));
  METAFILEPICT* picture =
      memory != nullptr ? static_cast<METAFILEPICT*>(GlobalLock(memory)) : nullptr;
  if (picture == nullptr) {
    if (memory != nullptr) GlobalFree(memory);
    DeleteMetaFile(metafile);
    return E_OUTOFMEMORY;
  }
  picture->mm = MM_ANISOTROPIC;
  picture->xExt = extent_.cx;
  picture->yExt = extent_.cy;
  picture->hMF = metafile;
  GlobalUnlock(memory);

  medium->tymed = TYMED_MFPICT;
  medium->hMetaFilePict = memory;
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetDataHere(FORMATETC*, STGMEDIUM*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) {
  if (in == nullptr || out == nullptr) return E_POINTER;
  *out = *in;
  out->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::SetData(FORMATETC*, STGMEDIUM*, BOOL) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::EnumFormatEtc(DWORD, IEnumFORMATETC** formats) {
  if (formats != nullptr) *formats = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::DAdvise(FORMATETC* format, DWORD flags,
                                                     IAdviseSink* sink, DWORD* connection) {
  if (dataAdvise_ == nullptr) {
    const HRESULT result = CreateDataAdviseHolder(&dataAdvise_);
    if (FAILED(result)) return result;
  }
  return dataAdvise_->Advise(static_cast<IDataObject*>(this), format, flags, sink, connection);
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::DUnadvise(DWORD connection) {
  if (dataAdvise_ == nullptr) return OLE_E_NOCONNECTION;
  return dataAdvise_->Unadvise(connection);
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::EnumDAdvise(IEnumSTATDATA** advises) {
  if (advises == nullptr) return E_POINTER;
  *advises = nullptr;
  if (dataAdvise_ == nullptr) {
    const HRESULT result = CreateDataAdviseHolder(&dataAdvise_);
    if (FAILED(result)) return result;
  }
  return dataAdvise_->EnumAdvise(advises);
}

}  // namespace quill
