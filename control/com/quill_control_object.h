// CQuillActiveXCtrl: the scriptable control object. IQuillActiveXCtrl carries
// the 55 members (quill_control_members.cpp), dispatched through the
// module's type library (quill_control_object.cpp); the OLE interfaces that
// let a container host it live in hosting/. The object may be aggregated.
// It holds no token state: that is the process-wide control session.
#pragma once

#include <ocidl.h>
#include <oleidl.h>
#include <windows.h>

#include "QuillActiveX.h"

namespace quill {

// OLEMISC_RECOMPOSEONRESIZE | CANTLINKINSIDE | INSIDEOUT |
// ACTIVATEWHENVISIBLE | INVISIBLEATRUNTIME | SETCLIENTSITEFIRST.
constexpr DWORD kControlMiscStatus = 132497;

class CQuillActiveXCtrl final : public IQuillActiveXCtrl,
                                public IPersistStreamInit,
                                public IPersistStorage,
                                public IOleControl,
                                public IOleObject,
                                public IOleInPlaceActiveObject,
                                public IOleInPlaceObjectWindowless,
                                public IViewObjectEx,
                                public IQuickActivate,
                                public IDataObject,
                                public IProvideClassInfo2,
                                public ISpecifyPropertyPages,
                                public ISupportErrorInfo {
 public:
  // A new control, asked for as iid; outer is the controlling unknown when
  // the control is aggregated (iid must then be IID_IUnknown).
  static HRESULT Create(IUnknown* outer, REFIID iid, void** object);

  CQuillActiveXCtrl(const CQuillActiveXCtrl&) = delete;
  CQuillActiveXCtrl& operator=(const CQuillActiveXCtrl&) = delete;

  // IUnknown: delegates to the controlling unknown.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override;

  // IQuillActiveXCtrl, in table order.
  HRESULT STDMETHODCALLTYPE QuillCheckExist(LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillGetLastError(LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillOpen(BSTR userPwd, LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillGetUID(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE QuillSHA1WithSeed(BSTR input, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE QuillChangePassword(BSTR oldPassword, BSTR newPassword,
                                                LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillGenResetPwdRequest(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE QuillResetPassword(BSTR serverResponse, LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillReadUserStorage(LONG length, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE QuillWriteUserStorage(BSTR buffer, LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillDataEncrypt(BSTR buffer, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE QuillDataDecrypt(BSTR buffer, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE QuillGetMachineCode(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE QuillClose(LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillSecureReadStorage(LONG length, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE QuillSecureReadStorageEx(LONG start, LONG length,
                                                     BSTR* result) override;
  HRESULT STDMETHODCALLTYPE QuillSecureWriteStorage(BSTR buffer, LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillSecureWriteStorageEx(LONG start, BSTR buffer,
                                                      LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillRemoteChangeRequest(BSTR random, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE QuillRemoteChange(BSTR response, BSTR random, LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillSHA1WithSeedEx(BSTR input, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE QuillSecureExportSeed(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE QuillSetKeyInfo(BSTR name, BSTR description, BSTR url, BSTR other,
                                            LONG set, LONG* result) override;
  HRESULT STDMETHODCALLTYPE get_Name(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE put_Name(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Description(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE put_Description(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Url(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE put_Url(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Other(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE put_Other(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Model(LONG* result) override;
  HRESULT STDMETHODCALLTYPE put_Model(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_RequestEnabled(LONG* result) override;
  HRESULT STDMETHODCALLTYPE put_RequestEnabled(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_Version(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE put_Version(BSTR value) override;
  HRESULT STDMETHODCALLTYPE QuillOpenEx(LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillOpenFile(BSTR fileName, LONG mode, LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillReadFile(LONG file, LONG length, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE QuillWriteFile(LONG file, BSTR buffer, LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillFlushFile(LONG file, LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillFileSeek(LONG file, LONG offset, LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillDeleteFile(BSTR fileName, LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillRenameFile(BSTR oldName, BSTR newName, LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillGetSize(LONG file, LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillCloseFile(LONG file, LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillGetAvailableSpaces(LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillWriteMemory(LONG start, BSTR buffer, LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillReadMemory(LONG start, LONG length, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE QuillReadUserStorageEx(LONG start, LONG length, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE QuillWriteUserStorageEx(LONG start, BSTR buffer, LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillSelectId(BSTR id, LONG* result) override;
  HRESULT STDMETHODCALLTYPE QuillGetUIDByIndex(LONG index, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE QuillIsConnected(BSTR id, LONG* result) override;

  // IPersist, IPersistStreamInit, IPersistStorage (hosting/persistence.cpp):
  // the control has no persistent properties, so its state is empty.
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
  HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
  HRESULT STDMETHODCALLTYPE InitNew() override;
  HRESULT STDMETHODCALLTYPE InitNew(IStorage* storage) override;
  HRESULT STDMETHODCALLTYPE Load(IStorage* storage) override;
  HRESULT STDMETHODCALLTYPE Save(IStorage* storage, BOOL sameAsLoad) override;
  HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage* storage) override;
  HRESULT STDMETHODCALLTYPE HandsOffStorage() override;

  // IOleControl (hosting/ole_control.cpp)
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* message) override;
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) override;
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

  // IOleObject (hosting/ole_object.cpp)
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR application, LPCOLESTR document) override;
  HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) override;
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index,
                                   HWND parent, LPCRECT position) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
  HRESULT STDMETHODCALLTYPE Update() override;
  HRESULT STDMETHODCALLTYPE IsUpToDate() override;
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* userType) override;
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override;
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advises) override;
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) override;

  // IOleWindow, IOleInPlaceActiveObject, IOleInPlaceObject(Windowless)
  // (hosting/in_place.cpp)
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message) override;
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override;
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                                         BOOL frameWindow) override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE UIDeactivate() override;
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
  HRESULT STDMETHODCALLTYPE OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                            LRESULT* result) override;
  HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget** target) override;

  // IViewObject, IViewObject2, IViewObjectEx (hosting/view_object.cpp)
  HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                                 HDC targetDevice, HDC dc, LPCRECTL bounds, LPCRECTL windowBounds,
                                 BOOL(STDMETHODCALLTYPE* keepDrawing)(ULONG_PTR),
                                 ULONG_PTR keepDrawingArgument) override;
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD aspect, LONG index, void* aspectInfo,
                                        DVTARGETDEVICE* device, HDC targetDevice,
                                        LOGPALETTE** colors) override;
  HRESULT STDMETHODCALLTYPE Freeze(DWORD aspect, LONG index, void* aspectInfo,
                                   DWORD* freeze) override;
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD freeze) override;
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device,
                                      LPSIZEL size) override;
  HRESULT STDMETHODCALLTYPE GetRect(DWORD aspect, LPRECTL rect) override;
  HRESULT STDMETHODCALLTYPE GetViewStatus(DWORD* status) override;
  HRESULT STDMETHODCALLTYPE QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location,
                                          LONG closeHint, DWORD* hitResult) override;
  HRESULT STDMETHODCALLTYPE QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location,
                                         LONG closeHint, DWORD* hitResult) override;
  HRESULT STDMETHODCALLTYPE GetNaturalExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device,
                                             HDC targetDevice, DVEXTENTINFO* info,
                                             LPSIZEL size) override;

  // IQuickActivate (hosting/quick_activate.cpp)
  HRESULT STDMETHODCALLTYPE QuickActivate(QACONTAINER* container, QACONTROL* control) override;
  HRESULT STDMETHODCALLTYPE SetContentExtent(LPSIZEL size) override;
  HRESULT STDMETHODCALLTYPE GetContentExtent(LPSIZEL size) override;

  // IDataObject (hosting/data_object.cpp): the content as a metafile picture.
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                    DWORD* connection) override;
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advises) override;

  // IProvideClassInfo2, ISpecifyPropertyPages, ISupportErrorInfo
  // (hosting/class_info.cpp)
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override;
  HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

 private:
  // The non-delegating IUnknown: the object's identity and reference count.
  class InnerUnknown final : public IUnknown {
   public:
    explicit InnerUnknown(CQuillActiveXCtrl* owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

   private:
    CQuillActiveXCtrl* owner_;
    LONG references_ = 0;
  };

  explicit CQuillActiveXCtrl(IUnknown* outer);
  ~CQuillActiveXCtrl();
  HRESULT LoadTypeInformation();
  // The interface pointer for iid without a reference added, or nullptr.
  void* FindInterface(REFIID iid);

  // In-place activation (hosting/in_place.cpp).
  HRESULT InPlaceActivate(LONG verb, LPCRECT position);
  HRESULT UIActivate();

  // Asks the view sink and the container to draw the control again.
  void ViewChanged();

  InnerUnknown inner_;
  IUnknown* outer_;  // the controlling unknown: the aggregate's, or &inner_

  ITypeLib* typeLib_ = nullptr;
  ITypeInfo* dispatchInfo_ = nullptr;   // the dispinterface, as GetTypeInfo gives it
  ITypeInfo* interfaceInfo_ = nullptr;  // the dual interface's vtable, for Invoke

  IOleClientSite* clientSite_ = nullptr;
  IOleAdviseHolder* oleAdvise_ = nullptr;
  IDataAdviseHolder* dataAdvise_ = nullptr;
  IAdviseSink* viewSink_ = nullptr;
  DWORD viewAspects_ = 0;
  DWORD viewAdviseFlags_ = 0;

  IOleInPlaceSite* inPlaceSite_ = nullptr;
  IOleInPlaceSiteWindowless* windowlessSite_ = nullptr;  // when active windowless
  IOleInPlaceFrame* frame_ = nullptr;                    // while UI active
  IOleInPlaceUIWindow* documentWindow_ = nullptr;        // while UI active
  HWND window_ = nullptr;                                // when active in a window
  bool uiActive_ = false;
  RECT position_ = {};  // in the container's client coordinates
  SIZEL extent_;        // HIMETRIC
  bool dirty_ = false;
};

}  // namespace quill
