// IQuillActiveXCtrl: each member converts its arguments, runs the control's
// member of that name and hands its result back. The HRESULT is S_OK whatever
// the member's outcome (scripts read the result and QuillGetLastError); only
// a missing result pointer or a failed allocation is reported as an error.
#include <new>

#include "com_strings.h"
#include "members/members.h"
#include "quill_control_object.h"

namespace quill {
namespace {

// Runs work; an exception never crosses the COM edge.
template <typename Work>
HRESULT Guarded(Work&& work) noexcept {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

template <typename Member>
HRESULT Deliver(LONG* result, Member&& member) noexcept {
  if (result == nullptr) return E_POINTER;
  return Guarded([&] {
    *result = member();
    return S_OK;
  });
}

template <typename Member>
HRESULT Deliver(BSTR* result, Member&& member) noexcept {
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  return Guarded([&] { return TextToBstr(member(), result) ? S_OK : E_OUTOFMEMORY; });
}

template <typename Member>
HRESULT Apply(Member&& member) noexcept {
  return Guarded([&] {
    member();
    return S_OK;
  });
}

}  // namespace

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillCheckExist(LONG* result) {
  return Deliver(result, [&] { return quill::QuillCheckExist(); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillGetLastError(LONG* result) {
  return Deliver(result, [&] { return quill::QuillGetLastError(); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillOpen(BSTR userPwd, LONG* result) {
  return Deliver(result, [&] { return quill::QuillOpen(TextFromBstr(userPwd)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillGetUID(BSTR* result) {
  return Deliver(result, [&] { return quill::QuillGetUID(); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillSHA1WithSeed(BSTR input, BSTR* result) {
  return Deliver(result, [&] { return quill::QuillSHA1WithSeed(TextFromBstr(input)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillChangePassword(BSTR oldPassword, BSTR newPassword,
                                                                 LONG* result) {
  return Deliver(result, [&] {
    return quill::QuillChangePassword(TextFromBstr(oldPassword), TextFromBstr(newPassword));
  });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillGenResetPwdRequest(BSTR* result) {
  return Deliver(result, [&] { return quill::QuillGenResetPwdRequest(); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillResetPassword(BSTR serverResponse, LONG* result) {
  return Deliver(result, [&] { return quill::QuillResetPassword(TextFromBstr(serverResponse)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillReadUserStorage(LONG length, BSTR* result) {
  return Deliver(result, [&] { return quill::QuillReadUserStorage(length); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillWriteUserStorage(BSTR buffer, LONG* result) {
  return Deliver(result, [&] { return quill::QuillWriteUserStorage(TextFromBstr(buffer)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillDataEncrypt(BSTR buffer, BSTR* result) {
  return Deliver(result, [&] { return quill::QuillDataEncrypt(TextFromBstr(buffer)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillDataDecrypt(BSTR buffer, BSTR* result) {
  return Deliver(result, [&] { return quill::QuillDataDecrypt(TextFromBstr(buffer)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillGetMachineCode(BSTR* result) {
  return Deliver(result, [&] { return quill::QuillGetMachineCode(); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillClose(LONG* result) {
  return Deliver(result, [&] { return quill::QuillClose(); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillSecureReadStorage(LONG length, BSTR* result) {
  return Deliver(result, [&] { return quill::QuillSecureReadStorage(length); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillSecureReadStorageEx(LONG start, LONG length,
                                                                      BSTR* result) {
  return Deliver(result, [&] { return quill::QuillSecureReadStorageEx(start, length); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillSecureWriteStorage(BSTR buffer, LONG* result) {
  return Deliver(result, [&] { return quill::QuillSecureWriteStorage(TextFromBstr(buffer)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillSecureWriteStorageEx(LONG start, BSTR buffer,
                                                                       LONG* result) {
  return Deliver(result,
                 [&] { return quill::QuillSecureWriteStorageEx(start, TextFromBstr(buffer)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillRemoteChangeRequest(BSTR random, BSTR* result) {
  return Deliver(result, [&] { return quill::QuillRemoteChangeRequest(TextFromBstr(random)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillRemoteChange(BSTR response, BSTR random,
                                                               LONG* result) {
  return Deliver(result, [&] {
    return quill::QuillRemoteChange(TextFromBstr(response), TextFromBstr(random));
  });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillSHA1WithSeedEx(BSTR input, BSTR* result) {
  return Deliver(result, [&] { return quill::QuillSHA1WithSeedEx(TextFromBstr(input)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillSecureExportSeed(BSTR* result) {
  return Deliver(result, [&] { return quill::QuillSecureExportSeed(); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillSetKeyInfo(BSTR name, BSTR description, BSTR url,
                                                             BSTR other, LONG set, LONG* result) {
  return Deliver(result, [&] {
    return quill::QuillSetKeyInfo(TextFromBstr(name), TextFromBstr(description), TextFromBstr(url),
                                  TextFromBstr(other), set);
  });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::get_Name(BSTR* result) {
  return Deliver(result, [&] { return quill::GetName(); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::put_Name(BSTR value) {
  return Apply([&] { quill::PutName(TextFromBstr(value)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::get_Description(BSTR* result) {
  return Deliver(result, [&] { return quill::GetDescription(); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::put_Description(BSTR value) {
  return Apply([&] { quill::PutDescription(TextFromBstr(value)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::get_Url(BSTR* result) {
  return Deliver(result, [&] { return quill::GetUrl(); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::put_Url(BSTR value) {
  return Apply([&] { quill::PutUrl(TextFromBstr(value)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::get_Other(BSTR* result) {
  return Deliver(result, [&] { return quill::GetOther(); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::put_Other(BSTR value) {
  return Apply([&] { quill::PutOther(TextFromBstr(value)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::get_Model(LONG* result) {
  return Deliver(result, [&] { return quill::GetModel(); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::put_Model(LONG value) {
  return Apply([&] { quill::PutModel(value); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::get_RequestEnabled(LONG* result) {
  return Deliver(result, [&] { return quill::GetRequestEnabled(); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::put_RequestEnabled(LONG value) {
  return Apply([&] { quill::PutRequestEnabled(value); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::get_Version(BSTR* result) {
  return Deliver(result, [&] { return quill::GetVersion(); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::put_Version(BSTR value) {
  return Apply([&] { quill::PutVersion(TextFromBstr(value)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillOpenEx(LONG* result) {
  return Deliver(result, [&] { return quill::QuillOpenEx(); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillOpenFile(BSTR fileName, LONG mode, LONG* result) {
  return Deliver(result, [&] { return quill::QuillOpenFile(TextFromBstr(fileName), mode); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillReadFile(LONG file, LONG length, BSTR* result) {
  return Deliver(result, [&] { return quill::QuillReadFile(file, length); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillWriteFile(LONG file, BSTR buffer, LONG* result) {
  return Deliver(result, [&] { return quill::QuillWriteFile(file, TextFromBstr(buffer)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillFlushFile(LONG file, LONG* result) {
  return Deliver(result, [&] { return quill::QuillFlushFile(file); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillFileSeek(LONG file, LONG offset, LONG* result) {
  return Deliver(result, [&] { return quill::QuillFileSeek(file, offset); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillDeleteFile(BSTR fileName, LONG* result) {
  return Deliver(result, [&] { return quill::QuillDeleteFile(TextFromBstr(fileName)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillRenameFile(BSTR oldName, BSTR newName,
                                                             LONG* result) {
  return Deliver(
      result, [&] { return quill::QuillRenameFile(TextFromBstr(oldName), TextFromBstr(newName)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillGetSize(LONG file, LONG* result) {
  return Deliver(result, [&] { return quill::QuillGetSize(file); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillCloseFile(LONG file, LONG* result) {
  return Deliver(result, [&] { return quill::QuillCloseFile(file); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillGetAvailableSpaces(LONG* result) {
  return Deliver(result, [&] { return quill::QuillGetAvailableSpaces(); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillWriteMemory(LONG start, BSTR buffer,
                                                              LONG* result) {
  return Deliver(result, [&] { return quill::QuillWriteMemory(start, TextFromBstr(buffer)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillReadMemory(LONG start, LONG length,
                                                             BSTR* result) {
  return Deliver(result, [&] { return quill::QuillReadMemory(start, length); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillReadUserStorageEx(LONG start, LONG length,
                                                                    BSTR* result) {
  return Deliver(result, [&] { return quill::QuillReadUserStorageEx(start, length); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillWriteUserStorageEx(LONG start, BSTR buffer,
                                                                     LONG* result) {
  return Deliver(result,
                 [&] { return quill::QuillWriteUserStorageEx(start, TextFromBstr(buffer)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillSelectId(BSTR id, LONG* result) {
  return Deliver(result, [&] { return quill::QuillSelectId(TextFromBstr(id)); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillGetUIDByIndex(LONG index, BSTR* result) {
  return Deliver(result, [&] { return quill::QuillGetUIDByIndex(index); });
}

HRESULT STDMETHODCALLTYPE CQuillActiveXCtrl::QuillIsConnected(BSTR id, LONG* result) {
  return Deliver(result, [&] { return quill::QuillIsConnected(TextFromBstr(id)); });
}

}  // namespace quill
