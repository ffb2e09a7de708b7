#include "session_ops.h"

#include <algorithm>
#include <cstring>

#include "base64.h"
#include "control_codes.h"
#include "crypto/md5.h"

namespace quill {
namespace {

constexpr size_t kMaxPasswordBytes = 32;
constexpr size_t kMaxAdapterBytes = 1024;
constexpr uint32_t kEthernetAdapter = 6;

}  // namespace

int RefreshDeviceList() {
  QuillSession& session = Session();
  if (!session.listValid) {
    session.count = 0;
    TokenHandle found[kMaxTokens] = {};
    int foundCount = 0;
    TokenFind(session.model == 1 ? TokenModel::kB : TokenModel::kA, found, &foundCount);
    if (foundCount <= 0) {
      session.handles[0] = 0;
      session.handles[1] = 0;
      session.count = 0;
      session.listValid = false;
      return -1;
    }
    // The list keeps the first eight tokens the search reports.
    session.count = std::min(foundCount, kSessionMaxTokens);
    std::copy(found, found + session.count, session.handles);
    session.listValid = true;
    session.keyInfoValid = false;
  }
  for (int i = 0; i < session.count; ++i) {
    char uid[64] = {};
    if (TokenGetUID(session.handles[i], uid) != 0) return -2;
  }
  return session.count;
}

bool TokenPresent() {
  if (RefreshDeviceList() >= 1) return true;
  TokenSetLastError(CTL_NO_TOKEN);
  return false;
}

bool ModelRefused(int32_t model) {
  if (Session().model != model) return false;
  TokenSetLastError(CTL_WRONG_MODEL);
  return true;
}

void DropDeviceList() {
  Session().listValid = false;
}

TokenHandle SelectedHandle() {
  const QuillSession& session = Session();
  if (session.selected < 0 || session.selected >= session.count) return -1;
  return session.handles[session.selected];
}

std::string Narrow(const ScriptText& text) {
  if (text.isNull) return std::string();
  std::string narrow = ControlPorts().text->ToNarrow(text.UpToNul());
  const size_t nul = narrow.find('\0');
  if (nul != std::string::npos) narrow.resize(nul);
  return narrow;
}

ScriptText Wide(const std::string& text) {
  return ScriptText::Of(ControlPorts().text->ToWide(text));
}

ScriptText TextResult(const std::string& text) {
  const std::string upToZero = text.substr(0, text.find('\0'));
  if (upToZero.empty()) return ScriptText::Null();
  return Wide(upToZero);
}

size_t CharacterCount(const ScriptText& text) {
  return text.isNull ? 0 : text.text.size();
}

const uint8_t* ControlAccessKey() {
  return TokenAccessKey();
}

uint8_t KeySelector() {
  return Session().model == 1 ? 1 : 0;
}

void DetectVariant() {
  char identity[9];
  uint8_t version[8];
  int values[5];
  int value16 = 0;
  if (TokenGetVersionInfo(SelectedHandle(), identity, version, values, &value16) != 0) return;
  int number = 0;
  for (size_t i = 4; i < sizeof(version) && version[i] >= '0' && version[i] <= '9'; ++i) {
    number = number * 10 + (version[i] - '0');
  }
  Session().variant = number >= 1 && number <= 3 ? number : 0;
}

int VerifyPassword(const std::string& password) {
  DropDeviceList();
  if (!TokenPresent()) return 1;
  if (password.size() > kMaxPasswordBytes) {
    TokenSetLastError(CTL_PIN_TOO_LONG);
    return 2;
  }
  return TokenLogin(SelectedHandle(), password.c_str());
}

int LoadKeyInfo() {
  QuillSession& session = Session();
  if (session.keyInfoValid) return 0;
  if (RefreshDeviceList() < 1) {
    session.requestEnabled = 0;
    return 1;
  }
  char name[kNameSize + 1] = {};
  char description[kDescriptionSize + 1] = {};
  char url[kUrlSize + 1] = {};
  char other[kOtherSize + 1] = {};
  uint8_t model[kModelSize] = {};
  if (TokenGetKeyInfo(SelectedHandle(), name, description, url, other, model) != 0) {
    session.name.clear();
    session.description.clear();
    session.url.clear();
    session.other.clear();
    return 2;
  }
  session.keyInfoValid = true;
  session.name = Wide(name).text;
  session.description = Wide(description).text;
  session.url = Wide(url).text;
  session.other = Wide(other).text;
  int enabled = 0;
  session.requestEnabled = TokenGetRequestEnabled(SelectedHandle(), &enabled) == 0 ? enabled : 0;
  return 0;
}

int ComputeMachineCode(std::string* code) {
  if (!TokenPresent()) return 1;
  std::vector<NetworkAdapter> adapters;
  // No list: the code of no adapters. No memory for the list: no code at all,
  // rather than one that looks right and is not this machine's.
  switch (ControlPorts().adapters->ListAdaptersChecked(&adapters)) {
    case AdapterListing::kListed:
      break;
    case AdapterListing::kUnavailable:
      adapters.clear();
      break;
    case AdapterListing::kNoMemory:
      return 2;
  }
  // The addresses are gathered in a buffer of 1024 bytes: an address that
  // would not fit any more is left out rather than written past its end.
  std::vector<uint8_t> addresses;
  for (const NetworkAdapter& adapter : adapters) {
    if (adapter.type != kEthernetAdapter) continue;
    if (addresses.size() + adapter.address.size() > kMaxAdapterBytes) break;
    addresses.insert(addresses.end(), adapter.address.begin(), adapter.address.end());
  }
  uint8_t digest[kMd5DigestSize];
  Md5Digest(addresses.empty() ? digest : addresses.data(), addresses.size(), digest);
  *code = Base64Encode(digest, sizeof(digest));
  return 0;
}

}  // namespace quill
