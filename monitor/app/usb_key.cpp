#include "usb_key.h"

#include <algorithm>
#include <cstring>

namespace quill {

namespace {

constexpr char kLoginTagPrefix[] = "login";
constexpr size_t kLoginTagPrefixLength = 5;
constexpr char kUrlPlaceholder[] = "{ID}";
constexpr size_t kUrlPlaceholderLength = 4;
// The library's buffers: UID and usage tag texts are read into 64 bytes.
constexpr size_t kTextReadSize = 64;

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool BeginsWithLoginIgnoringCase(const char* tag) {
  for (size_t i = 0; i < kLoginTagPrefixLength; ++i) {
    if (LowerAscii(tag[i]) != kLoginTagPrefix[i]) return false;
  }
  return true;
}

// A wide text of at most kKeyInfoTextCharacters from a zero-padded 8-bit field.
std::u16string KeyInfoText(TextPort* text, const char* field, size_t fieldSize) {
  std::string narrow(field, strnlen(field, fieldSize));
  std::u16string wide = text != nullptr ? text->ToWide(CodePage::kThreadAnsi, narrow) : u"";
  if (wide.size() > kKeyInfoTextCharacters) wide.resize(kKeyInfoTextCharacters);
  return wide;
}

}  // namespace

int CUsbKey::Refresh() {
  count_ = 0;
  TokenHandle found[kMaxTokens] = {};
  int foundCount = 0;
  if (TokenFind(TokenModel::kA, found, &foundCount) != 0 || foundCount <= 0) {
    foundCount = 0;
    if (TokenFind(TokenModel::kB, found, &foundCount) != 0 || foundCount <= 0)
      return kRefreshNoToken;
  }
  count_ = std::min(foundCount, kUsbKeyMaxHandles);
  std::copy(found, found + count_, handles_);

  for (int i = 0; i < count_; ++i) {
    char uid[kTextReadSize] = {};
    if (TokenGetUID(handles_[i], uid) != 0) return kRefreshUidFailed;
    if (loginSeen_ == 0) RecordLoginToken(handles_[i], uid);
  }
  return kRefreshFound;
}

void CUsbKey::RecordLoginToken(TokenHandle handle, const char* uid) {
  char tag[kTextReadSize] = {};
  TokenGetUsageTag(handle, tag);  // a failed read leaves the tag empty
  if (!BeginsWithLoginIgnoringCase(tag)) return;
  std::memset(loginUid_, 0, sizeof(loginUid_));
  std::memcpy(loginUid_, uid, strnlen(uid, kLoginUidSize - 1));
  loginSeen_ = 1;
}

bool CUsbKey::WaitForKey() {
  int attempts = 0;
  for (;;) {
    if (Refresh() == kRefreshFound) return true;
    ++attempts;
    if (ports_.system != nullptr) ports_.system->Sleep(kWaitForKeyPauseMilliseconds);
    if (attempts >= kWaitForKeyAttempts) return false;
  }
}

int CUsbKey::GetKeyInfo(UsbKeyInfo* info) {
  if (Refresh() != kRefreshFound) return 1;
  char name[kNameSize + 1] = {};
  char description[kDescriptionSize + 1] = {};
  char url[kUrlSize + 1] = {};
  char other[kOtherSize + 1] = {};
  uint8_t model[kModelSize] = {};
  if (TokenGetKeyInfo(handles_[0], name, description, url, other, model) != 0) return 2;
  if (info == nullptr) return 0;
  info->name = KeyInfoText(ports_.text, name, kNameSize);
  info->description = KeyInfoText(ports_.text, description, kDescriptionSize);
  info->url = KeyInfoText(ports_.text, url, kUrlSize);
  info->other = KeyInfoText(ports_.text, other, kOtherSize);
  // Copied as text: the bytes after the first zero byte are left as they were.
  for (size_t i = 0; i < kModelSize && model[i] != 0; ++i) info->model[i] = model[i];
  return 0;
}

int CUsbKey::GetUid(std::string* uid) {
  char text[kTextReadSize] = {};
  if (TokenGetUID(handles_[0], text) != 0) return 1;
  if (uid != nullptr) uid->assign(text, strnlen(text, kUidCharacters));
  return 0;
}

int CUsbKey::ExpandUrl(const char* text, char* out, size_t outSize) {
  if (text == nullptr || out == nullptr || outSize == 0) return 1;
  size_t written = 0;
  // Room for the terminator is kept: a result that does not fit whole is
  // refused rather than cut off at the buffer's end. (A UID read that fails
  // still inserts its 32 zero bytes, which end the text there, as required.)
  auto fits = [&](size_t more) { return written + more < outSize; };
  for (const char* p = text; *p != '\0';) {
    if (std::strncmp(p, kUrlPlaceholder, kUrlPlaceholderLength) == 0) {
      if (!fits(kUidCharacters)) {
        std::memset(out, 0, outSize);
        return 1;
      }
      char uid[kUidCharacters] = {};  // 32 zero bytes when the UID cannot be read
      std::string read;
      if (GetUid(&read) == 0) std::memcpy(uid, read.data(), std::min(read.size(), kUidCharacters));
      std::memcpy(out + written, uid, kUidCharacters);
      written += kUidCharacters;
      p += kUrlPlaceholderLength;
    } else {
      if (!fits(1)) {
        std::memset(out, 0, outSize);
        return 1;
      }
      out[written++] = *p++;
    }
  }
  out[written] = '\0';
  return 0;
}

int CUsbKey::GetVersionText(std::string* version) {
  if (Refresh() != kRefreshFound) return 1;
  char identity[9] = {};
  uint8_t text[8] = {};
  int values[5] = {};
  int value16 = 0;
  if (TokenGetVersionInfo(handles_[0], identity, text, values, &value16) != 0) return 2;
  if (version != nullptr) {
    const char* chars = reinterpret_cast<const char*>(text);
    version->assign(chars, strnlen(chars, sizeof(text)));
  }
  return 0;
}

int CUsbKey::LastError() const {
  return TokenGetLastError();
}

int CUsbKey::Login(const std::string& password) {
  return TokenLogin(handles_[0], password.c_str()) == 0 ? 0 : 1;
}

int CUsbKey::ChangePassword(const std::string& oldPassword, const std::string& newPassword) {
  return TokenChangePassword(handles_[0], oldPassword.c_str(), newPassword.c_str()) == 0 ? 0 : 1;
}

}  // namespace quill
