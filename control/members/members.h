// The control's members, one function each, grouped by family in the files
// of this folder. Arguments and results are script values; every member
// reports its outcome in its result and records the reason in the store.
#pragma once

#include <cstdint>

#include "script_value.h"

namespace quill {

// Presence and selection.
int32_t QuillCheckExist();
int32_t QuillGetLastError();
ScriptText QuillGetUID();
int32_t QuillSelectId(const ScriptText& id);
ScriptText QuillGetUIDByIndex(int32_t index);
int32_t QuillIsConnected(const ScriptText& id);

// Properties.
int32_t GetModel();
void PutModel(int32_t value);
ScriptText GetVersion();
void PutVersion(const ScriptText& value);
ScriptText GetName();
void PutName(const ScriptText& value);
ScriptText GetDescription();
void PutDescription(const ScriptText& value);
ScriptText GetUrl();
void PutUrl(const ScriptText& value);
ScriptText GetOther();
void PutOther(const ScriptText& value);
int32_t GetRequestEnabled();
void PutRequestEnabled(int32_t value);
int32_t QuillSetKeyInfo(const ScriptText& name, const ScriptText& description,
                        const ScriptText& url, const ScriptText& other, int32_t set);

// Authentication and password.
int32_t QuillOpen(const ScriptText& userPwd);
int32_t QuillOpenEx();
int32_t QuillClose();
int32_t QuillChangePassword(const ScriptText& oldPassword, const ScriptText& newPassword);
ScriptText QuillGenResetPwdRequest();
int32_t QuillResetPassword(const ScriptText& serverResponse);

// Seed, machine code and remote change.
ScriptText QuillSHA1WithSeed(const ScriptText& input);
ScriptText QuillSHA1WithSeedEx(const ScriptText& input);
ScriptText QuillSecureExportSeed();
ScriptText QuillGetMachineCode();
ScriptText QuillRemoteChangeRequest(const ScriptText& random);
int32_t QuillRemoteChange(const ScriptText& response, const ScriptText& random);

// Storage.
ScriptText QuillReadUserStorage(int32_t length);
ScriptText QuillReadUserStorageEx(int32_t start, int32_t length);
int32_t QuillWriteUserStorage(const ScriptText& buffer);
int32_t QuillWriteUserStorageEx(int32_t start, const ScriptText& buffer);
ScriptText QuillSecureReadStorage(int32_t length);
ScriptText QuillSecureReadStorageEx(int32_t start, int32_t length);
int32_t QuillSecureWriteStorage(const ScriptText& buffer);
int32_t QuillSecureWriteStorageEx(int32_t start, const ScriptText& buffer);

// Memory and data cipher.
int32_t QuillWriteMemory(int32_t start, const ScriptText& buffer);
ScriptText QuillReadMemory(int32_t start, int32_t length);
ScriptText QuillDataEncrypt(const ScriptText& buffer);
ScriptText QuillDataDecrypt(const ScriptText& buffer);

// Files: not supported.
int32_t QuillOpenFile(const ScriptText& fileName, int32_t mode);
ScriptText QuillReadFile(int32_t file, int32_t length);
int32_t QuillWriteFile(int32_t file, const ScriptText& buffer);
int32_t QuillFlushFile(int32_t file);
int32_t QuillFileSeek(int32_t file, int32_t offset);
int32_t QuillDeleteFile(const ScriptText& fileName);
int32_t QuillRenameFile(const ScriptText& oldName, const ScriptText& newName);
int32_t QuillGetSize(int32_t file);
int32_t QuillCloseFile(int32_t file);
int32_t QuillGetAvailableSpaces();

}  // namespace quill
