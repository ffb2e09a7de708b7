#include "library_token_access.h"

#include <cstring>

#include "token.h"

namespace quill {
namespace {

bool FirstToken(TokenHandle* handle) {
  for (TokenModel model : {TokenModel::kA, TokenModel::kB}) {
    TokenHandle handles[kMaxTokens] = {};
    int count = 0;
    if (TokenFind(model, handles, &count) == 0 && count > 0) {
      *handle = handles[0];
      return true;
    }
  }
  return false;
}

// Appends a text field zero-padded to its size (the text may fill it).
void AppendField(const char* text, size_t size, std::vector<uint8_t>* record) {
  const size_t length = strnlen(text, size);
  record->insert(record->end(), text, text + length);
  record->insert(record->end(), size - length, 0);
}

}  // namespace

bool LibraryTokenAccess::TokenAttached() {
  TokenHandle handle = 0;
  return FirstToken(&handle);
}

bool LibraryTokenAccess::FirstTokenUid(std::string* uid) {
  TokenHandle handle = 0;
  if (!FirstToken(&handle)) return false;
  char text[kUidTextSize] = {};
  if (TokenGetUID(handle, text) != 0) return false;
  *uid = std::string(text, strnlen(text, kUidTextSize - 1));
  return true;
}

bool LibraryTokenAccess::LoginFirstToken(const std::string& password) {
  TokenHandle handle = 0;
  return FirstToken(&handle) && TokenLogin(handle, password.c_str()) == 0;
}

bool LibraryTokenAccess::FirstTokenKeyInfo(std::vector<uint8_t>* record) {
  TokenHandle handle = 0;
  if (!FirstToken(&handle)) return false;
  char name[kNameSize + 1] = {};
  char description[kDescriptionSize + 1] = {};
  char url[kUrlSize + 1] = {};
  char other[kOtherSize + 1] = {};
  uint8_t model[kModelSize] = {};
  if (TokenGetKeyInfo(handle, name, description, url, other, model) != 0) return false;
  record->clear();
  AppendField(name, kNameSize, record);
  AppendField(description, kDescriptionSize, record);
  AppendField(url, kUrlSize, record);
  AppendField(other, kOtherSize, record);
  record->insert(record->end(), model, model + kModelSize);
  return record->size() == kKeyInfoSize;
}

bool LibraryTokenAccess::LogoutFirstToken() {
  TokenHandle handle = 0;
  return FirstToken(&handle) && TokenLogout(handle) == 0;
}

}  // namespace quill
