// Token presence from device notifications: which device paths are tokens,
// what an arrival and a removal do, and whether to lock the workstation.
#include <cstring>

#include "diagnostic_line.h"
#include "main_dlg.h"
#include "monitor_constants.h"
#include "string_ids.h"
#include "utf8.h"

namespace quill {

namespace {

constexpr char16_t kLockErrorText[] = u"Lock workstation error";
constexpr int kProductTextIds[] = {kIdsProductB328, kIdsProductB708, kIdsProductB812,
                                   kIdsProductB826};

std::u16string UpperAscii(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return text;
}

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether two texts agree in their first `length` characters, ignoring
// ASCII case; a text ends at its terminator.
bool SameIgnoringCase(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    if (a[i] == '\0') return true;
  }
  return true;
}

const char* AnswerWord(LockAnswer answer) {
  switch (answer) {
    case LockAnswer::kOk:
      return "ok";
    case LockAnswer::kCancel:
      return "cancel";
    case LockAnswer::kClosed:
      break;
  }
  return "closed";
}

}  // namespace

bool CMainDlg::DevicePathMatches(const std::u16string& devicePath) {
  if (ports_.strings == nullptr) return false;
  std::u16string path = UpperAscii(devicePath);
  if (path.find(ports_.strings->Load(kIdsVendor)) == std::u16string::npos) return false;
  for (int id : kProductTextIds) {
    if (path.find(ports_.strings->Load(id)) != std::u16string::npos) return true;
  }
  return false;
}

void CMainDlg::OnDeviceChange(uint32_t event, const DeviceRecord* record) {
  if (event == kDbtDeviceArrival) {
    OnArrival(record);
  } else if (event == kDbtDeviceRemoveComplete) {
    OnRemoval(record);
  }
}

void CMainDlg::OnArrival(const DeviceRecord* record) {
  if (record != nullptr) {
    bool match = record->deviceType == kDbtDevTypDeviceInterface && DevicePathMatches(record->name);
    Log("arrival path=" + Utf16ToUtf8(record->name) + " match=" + YesNo(match));
    if (match) {
      usbKey_.ResetLoginSeen();
      bool found = usbKey_.WaitForKey();
      Log(std::string("arrival wait: token ") + (found ? "found" : "not found"));
      if (IsTrayIconWanted()) AddTrayIcon();
      OpenLogonUrl();
      RememberUid();
    }
  }
  window_.RefreshBasicPage();
}

void CMainDlg::OnRemoval(const DeviceRecord* record) {
  if (record == nullptr) return;
  bool match = record->deviceType == kDbtDevTypDeviceInterface && DevicePathMatches(record->name);
  Log("removal path=" + Utf16ToUtf8(record->name) + " match=" + YesNo(match));
  if (!match) return;

  int refresh = usbKey_.Refresh();
  bool gone =
      refresh != kRefreshFound || !SameIgnoringCase(lastUid_, usbKey_.loginUid(), kUidCharacters);
  Log("removal refresh=" + std::to_string(refresh) + " gone=" + YesNo(gone));
  if (!gone) return;

  DeleteTrayIcon();
  HideMainWindow();
  DecideLock();
}

void CMainDlg::DecideLock() {
  if (usbKey_.loginSeen() != 1) {
    Log("lock not asked: no login token seen");
    return;
  }
  int provider = helper_.CheckLogonProvider();
  if (provider != kLogonProviderExpected && provider != kLogonProviderNoKey) {
    Log("lock not asked: provider=" + std::to_string(provider));
    return;
  }
  Log("lock asked: provider=" + std::to_string(provider));
  LockAnswer answer = window_.AskLock();
  Log(std::string("lock answered: ") + AnswerWord(answer));
  if (answer != LockAnswer::kOk) return;

  uint32_t error = 0;
  if (window_.LockWorkStation(&error)) {
    Log("lock done");
    return;
  }
  Log("lock failed: error=" + std::to_string(error));
  if (ports_.messageBoxes != nullptr) {
    ports_.messageBoxes->Show(BoxOwner::kMainWindow, kLockErrorText, u"", kMbOk);
  }
}

void CMainDlg::RememberUid() {
  std::memset(lastUid_, 0, sizeof(lastUid_));
  const char* uid = usbKey_.loginUid();
  std::memcpy(lastUid_, uid, strnlen(uid, kUidCharacters));
}

}  // namespace quill
