// The control as a container hosts it: site, windowless and windowed
// activation, drawing, persistence of its empty state, the descriptive
// interfaces, closing without leaks.
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>
#include <windows.h>

#include <string>

#include "QuillActiveX.h"
#include "tests/checks.h"
#include "tests/client_groups.h"
#include "tests/test_container.h"

namespace quill {
namespace comtest {
namespace {

constexpr DWORD kMiscStatus = 132497;

template <typename T>
T* Query(IUnknown* object, REFIID iid, const char* name) {
  T* result = nullptr;
  CheckHr(object->QueryInterface(iid, reinterpret_cast<void**>(&result)), S_OK,
          std::string("QueryInterface ") + name);
  return result;
}

IOleObject* CreateOleObject() {
  IOleObject* object = nullptr;
  CheckHr(CoCreateInstance(CLSID_QuillActiveXCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                           reinterpret_cast<void**>(&object)),
          S_OK, "create the control as IOleObject");
  return object;
}

// A white 32-bit canvas that the control draws into.
class Canvas {
 public:
  static constexpr int kWidth = 340;
  static constexpr int kHeight = 80;

  Canvas() {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels_),
                               nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    Clear();
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC Dc() const { return dc_; }
  void Clear() {
    GdiFlush();
    for (int i = 0; i < kWidth * kHeight; ++i) pixels_[i] = 0x00FFFFFF;
  }
  bool Dark(int x, int y) const {
    GdiFlush();
    const DWORD pixel = pixels_[y * kWidth + x] & 0x00FFFFFF;
    return (pixel & 0xFF) < 0x80 && ((pixel >> 8) & 0xFF) < 0x80 && ((pixel >> 16) & 0xFF) < 0x80;
  }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  DWORD* pixels_ = nullptr;
};

// The face drawn at rect: a frame on the bounds, white outside and just
// inside it, and the caption's ink centred between the frame's sides.
void CheckFace(const Canvas& canvas, const RECT& rect, const std::string& label) {
  const int middleY = (rect.top + rect.bottom) / 2;
  Check(canvas.Dark(rect.left, middleY) && canvas.Dark(rect.right - 1, middleY) &&
            canvas.Dark((rect.left + rect.right) / 2, rect.top) &&
            canvas.Dark((rect.left + rect.right) / 2, rect.bottom - 1),
        label + ": the bounds are framed");
  Check(!canvas.Dark(rect.left - 3, middleY) && !canvas.Dark(rect.left + 3, rect.top + 3),
        label + ": nothing drawn outside the frame or in its corner");
  int inked = 0;
  int leftmost = rect.right;
  int rightmost = rect.left;
  for (int y = rect.top + 2; y < rect.bottom - 2; ++y) {
    for (int x = rect.left + 2; x < rect.right - 2; ++x) {
      if (!canvas.Dark(x, y)) continue;
      ++inked;
      if (x < leftmost) leftmost = x;
      if (x > rightmost) rightmost = x;
    }
  }
  Check(inked > 100, label + ": the caption is written (" + std::to_string(inked) + " pixels)");
  const int centre = (leftmost + rightmost) / 2;
  const int middleX = (rect.left + rect.right) / 2;
  Check(centre >= middleX - 3 && centre <= middleX + 3,
        label + ": the caption is centred (" + std::to_string(centre) + ")");
}

void CheckPersistence(IUnknown* control) {
  IPersistStreamInit* stream =
      Query<IPersistStreamInit>(control, IID_IPersistStreamInit, "IPersistStreamInit");
  if (stream != nullptr) {
    CLSID clsid = {};
    stream->GetClassID(&clsid);
    Check(IsEqualCLSID(clsid, CLSID_QuillActiveXCtrl), "GetClassID");
    CheckHr(stream->InitNew(), S_OK, "InitNew");
    CheckHr(stream->IsDirty(), S_FALSE, "not dirty");
    ULARGE_INTEGER size;
    size.QuadPart = 99;
    CheckHr(stream->GetSizeMax(&size), S_OK, "GetSizeMax");
    Check(size.QuadPart == 0, "the saved state is empty");
    IStream* memory = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &memory);
    CheckHr(stream->Save(memory, TRUE), S_OK, "Save to a stream");
    STATSTG stat = {};
    memory->Stat(&stat, STATFLAG_NONAME);
    Check(stat.cbSize.QuadPart == 0, "nothing written");
    LARGE_INTEGER start = {};
    memory->Seek(start, STREAM_SEEK_SET, nullptr);
    CheckHr(stream->Load(memory), S_OK, "Load from a stream");
    memory->Release();
    stream->Release();
  }
  IPersistStorage* storage =
      Query<IPersistStorage>(control, IID_IPersistStorage, "IPersistStorage");
  if (storage != nullptr) {
    ILockBytes* bytes = nullptr;
    IStorage* document = nullptr;
    CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
    StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                 &document);
    if (Check(document != nullptr, "a storage to save in")) {
      CheckHr(storage->InitNew(document), S_OK, "IPersistStorage::InitNew");
      CheckHr(storage->Save(document, TRUE), S_OK, "IPersistStorage::Save");
      CheckHr(storage->SaveCompleted(nullptr), S_OK, "SaveCompleted");
      CheckHr(storage->Load(document), S_OK, "IPersistStorage::Load");
      document->Release();
    }
    if (bytes != nullptr) bytes->Release();
    storage->Release();
  }
}

void CheckDescriptions(IUnknown* control) {
  IOleControl* oleControl = Query<IOleControl>(control, IID_IOleControl, "IOleControl");
  if (oleControl != nullptr) {
    CONTROLINFO info = {};
    info.cb = sizeof(info);
    CheckHr(oleControl->GetControlInfo(&info), S_OK, "GetControlInfo");
    Check(info.cAccel == 0, "no mnemonics");
    oleControl->Release();
  }
  IProvideClassInfo2* classInfo =
      Query<IProvideClassInfo2>(control, IID_IProvideClassInfo2, "IProvideClassInfo2");
  if (classInfo != nullptr) {
    ITypeInfo* info = nullptr;
    if (Check(SUCCEEDED(classInfo->GetClassInfo(&info)), "GetClassInfo")) {
      TYPEATTR* attributes = nullptr;
      info->GetTypeAttr(&attributes);
      Check(IsEqualCLSID(attributes->guid, CLSID_QuillActiveXCtrl) &&
                attributes->typekind == TKIND_COCLASS,
            "the class information is the coclass");
      info->ReleaseTypeAttr(attributes);
      info->Release();
    }
    GUID source = IID_IUnknown;
    CheckHr(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), E_FAIL,
            "no event source");
    Check(IsEqualGUID(source, GUID_NULL), "no event source identifier");
    classInfo->Release();
  }
  ISpecifyPropertyPages* pages =
      Query<ISpecifyPropertyPages>(control, IID_ISpecifyPropertyPages, "ISpecifyPropertyPages");
  if (pages != nullptr) {
    CAUUID list = {5, nullptr};
    CheckHr(pages->GetPages(&list), S_OK, "GetPages");
    Check(list.cElems == 0 && list.pElems == nullptr, "no property pages");
    pages->Release();
  }
  ISupportErrorInfo* errors =
      Query<ISupportErrorInfo>(control, IID_ISupportErrorInfo, "ISupportErrorInfo");
  if (errors != nullptr) {
    CheckHr(errors->InterfaceSupportsErrorInfo(IID_IQuillActiveXCtrl), S_OK,
            "error information for IQuillActiveXCtrl");
    CheckHr(errors->InterfaceSupportsErrorInfo(IID_IOleObject), S_FALSE,
            "no error information for IOleObject");
    errors->Release();
  }
  IUnknown* safety = nullptr;
  CheckHr(control->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(&safety)),
          E_NOINTERFACE, "no IObjectSafety: safety comes from the categories");
  if (safety != nullptr) safety->Release();
}

void CheckWindowless() {
  TestContainer container(true);
  IOleObject* object = CreateOleObject();
  if (object == nullptr) return;
  DWORD status = 0;
  object->GetMiscStatus(DVASPECT_CONTENT, &status);
  Check(status == kMiscStatus, "misc status " + std::to_string(status));
  CheckPersistence(object);
  CheckDescriptions(object);

  CheckHr(object->SetClientSite(&container), S_OK, "SetClientSite");
  IOleClientSite* site = nullptr;
  object->GetClientSite(&site);
  Check(site == static_cast<IOleClientSite*>(&container), "GetClientSite gives the site back");
  if (site != nullptr) site->Release();

  const RECT position = TestContainer::kPosition;
  CheckHr(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0, container.Window(),
                         &position),
          S_OK, "DoVerb in-place activate");
  Check(container.activated && container.activatedWindowless, "activated windowless");
  IOleInPlaceObjectWindowless* inPlace = Query<IOleInPlaceObjectWindowless>(
      object, IID_IOleInPlaceObjectWindowless, "IOleInPlaceObjectWindowless");
  if (inPlace != nullptr) {
    HWND window = nullptr;
    CheckHr(inPlace->GetWindow(&window), E_FAIL, "a windowless control has no window");
    LRESULT result = 1;
    CheckHr(inPlace->OnWindowMessage(WM_LBUTTONDOWN, 0, 0, &result), S_FALSE,
            "window messages are left to the container");
    inPlace->Release();
  }

  IViewObjectEx* view = Query<IViewObjectEx>(object, IID_IViewObjectEx, "IViewObjectEx");
  if (view != nullptr) {
    Canvas canvas;
    const RECTL bounds = {20, 5, 300, 75};
    CheckHr(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(), &bounds,
                       nullptr, nullptr, 0),
            S_OK, "Draw");
    CheckFace(canvas, RECT{20, 5, 300, 75}, "drawn at the bounds given");
    canvas.Clear();
    CheckHr(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(), nullptr,
                       nullptr, nullptr, 0),
            S_OK, "Draw without bounds");
    CheckFace(canvas, TestContainer::kPosition, "drawn at the site's position");
    CheckHr(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, canvas.Dc(), &bounds, nullptr,
                       nullptr, 0),
            DV_E_DVASPECT, "no icon aspect");
    DWORD viewStatus = 0;
    view->GetViewStatus(&viewStatus);
    Check((viewStatus & VIEWSTATUS_OPAQUE) != 0, "opaque");
    DWORD hit = 0;
    view->QueryHitPoint(DVASPECT_CONTENT, &position, POINT{50, 30}, 0, &hit);
    Check(hit == HITRESULT_HIT, "a point inside hits");
    view->QueryHitPoint(DVASPECT_CONTENT, &position, POINT{5, 5}, 0, &hit);
    Check(hit == HITRESULT_OUTSIDE, "a point outside misses");
    SIZEL extent = {};
    view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent);
    Check(extent.cx == 5080 && extent.cy == 5080, "two inches square at first");
    view->Release();
  }
  SIZEL extent = {1000, 500};
  const int invalidations = container.invalidations;
  CheckHr(object->SetExtent(DVASPECT_CONTENT, &extent), S_OK, "SetExtent");
  Check(container.invalidations > invalidations, "a new extent redraws the control");
  SIZEL read = {};
  object->GetExtent(DVASPECT_CONTENT, &read);
  Check(read.cx == 1000 && read.cy == 500, "GetExtent gives the new extent");

  IDataObject* data = Query<IDataObject>(object, IID_IDataObject, "IDataObject");
  if (data != nullptr) {
    FORMATETC format = {CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
    STGMEDIUM medium = {};
    CheckHr(data->GetData(&format, &medium), S_OK, "GetData as a metafile picture");
    Check(medium.tymed == TYMED_MFPICT && medium.hMetaFilePict != nullptr, "a picture");
    if (medium.hMetaFilePict != nullptr) {
      const METAFILEPICT* picture = static_cast<METAFILEPICT*>(GlobalLock(medium.hMetaFilePict));
      Check(picture->xExt == 1000 && picture->yExt == 500 && picture->hMF != nullptr,
            "the picture has the control's extent");
      GlobalUnlock(medium.hMetaFilePict);
      ReleaseStgMedium(&medium);
    }
    format.cfFormat = CF_TEXT;
    CheckHr(data->QueryGetData(&format), DV_E_FORMATETC, "no text form");
    data->Release();
  }

  CheckHr(
      object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &container, 0, container.Window(), &position),
      S_OK, "DoVerb UI activate");
  Check(container.uiActivated, "UI active");
  CheckHr(object->Close(OLECLOSE_NOSAVE), S_OK, "Close");
  Check(container.uiDeactivated && container.deactivated, "deactivated on close");
  object->SetClientSite(nullptr);
  object->Release();
  Check(container.References() == 1,
        "the control keeps no reference to the site: " + std::to_string(container.References()));
}

void CheckWindowed() {
  TestContainer container(false);
  IOleObject* object = CreateOleObject();
  if (object == nullptr) return;
  object->SetClientSite(&container);
  const RECT position = TestContainer::kPosition;
  CheckHr(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0, container.Window(),
                         &position),
          S_OK, "DoVerb in a site that is not windowless");
  Check(container.activated && !container.activatedWindowless, "activated in a window");
  IOleInPlaceObject* inPlace =
      Query<IOleInPlaceObject>(object, IID_IOleInPlaceObject, "IOleInPlaceObject");
  HWND window = nullptr;
  if (inPlace != nullptr) {
    CheckHr(inPlace->GetWindow(&window), S_OK, "the control's window");
    Check(window != nullptr && GetParent(window) == container.Window(),
          "a child of the container's window");
    Check(window != nullptr && IsWindowVisible(window), "visible");
    const RECT moved = {40, 20, 240, 60};
    CheckHr(inPlace->SetObjectRects(&moved, &moved), S_OK, "SetObjectRects");
    RECT now = {};
    GetWindowRect(window, &now);
    MapWindowPoints(HWND_DESKTOP, container.Window(), reinterpret_cast<POINT*>(&now), 2);
    Check(now.left == moved.left && now.top == moved.top && now.right == moved.right &&
              now.bottom == moved.bottom,
          "the window follows the new position");
    inPlace->Release();
  }
  CheckHr(object->Close(OLECLOSE_NOSAVE), S_OK, "Close");
  Check(window != nullptr && !IsWindow(window), "the window goes with the activation");
  object->SetClientSite(nullptr);
  object->Release();
  Check(container.References() == 1, "no reference to the site is kept");
}

void CheckQuickActivate() {
  TestContainer container(true);
  IOleObject* object = CreateOleObject();
  if (object == nullptr) return;
  IQuickActivate* quick = Query<IQuickActivate>(object, IID_IQuickActivate, "IQuickActivate");
  if (quick != nullptr) {
    QACONTAINER offer = {};
    offer.cbSize = sizeof(offer);
    offer.pClientSite = &container;
    QACONTROL answer = {};
    answer.cbSize = sizeof(answer);
    CheckHr(quick->QuickActivate(&offer, &answer), S_OK, "QuickActivate");
    Check(answer.dwMiscStatus == kMiscStatus, "QuickActivate gives the misc status");
    IOleClientSite* site = nullptr;
    object->GetClientSite(&site);
    Check(site == static_cast<IOleClientSite*>(&container), "QuickActivate sets the site");
    if (site != nullptr) site->Release();
    SIZEL size = {2000, 1000};
    quick->SetContentExtent(&size);
    SIZEL read = {};
    quick->GetContentExtent(&read);
    Check(read.cx == 2000 && read.cy == 1000, "content extent");
    quick->Release();
  }
  object->SetClientSite(nullptr);
  object->Release();
  Check(container.References() == 1, "no reference to the site is kept");
}

}  // namespace

void CheckHosting() {
  Section("hosting: windowless");
  CheckWindowless();
  Section("hosting: windowed");
  CheckWindowed();
  Section("hosting: quick activation");
  CheckQuickActivate();
}

}  // namespace comtest
}  // namespace quill
