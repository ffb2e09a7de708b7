#include "basic_page.h"

#include "string_ids.h"

namespace quill {

namespace {

// Rows from index 2 on alternate: even rows are inserted selected.
bool SelectedRow(size_t index) {
  return index >= 2 && index % 2 == 0;
}

}  // namespace

std::u16string CBasicPage::String(int id) {
  return ports_.strings != nullptr ? ports_.strings->Load(id) : u"";
}

BasicPageList CBasicPage::RefreshList() {
  BasicPageList list;
  auto add = [&list](std::u16string label, std::u16string value) {
    bool selected = SelectedRow(list.rows.size());
    list.rows.push_back(BasicPageRow{std::move(label), std::move(value), selected});
  };
  auto installed = [this](bool yes) { return String(yes ? kIdsInstalled : kIdsNotInstalled); };

  add(String(kIdsOperationSystem),
      helper_.GetOsName() + (helper_.IsWow64() ? kSuffix64Bit : kSuffix32Bit));
  add(String(kIdsIeBrowser),
      String(kIdsVersion) + helper_.GetIeVersion().substr(0, kIeVersionCharacters));
  add(String(kIdsIePlugin), installed(helper_.IsIeControlRegistered() == 1));
  add(String(kIdsFirefoxBrowser), installed(helper_.IsFirefoxInstalled() != 0));
  add(String(kIdsChromeBrowser), installed(helper_.IsChromeInstalled() != 0));

  // The last library error is taken before the token is read again: a token
  // that answered "locked" shows why it cannot be read.
  std::u16string disconnected =
      String(usbKey_.LastError() == kTokenLockedError ? kIdsKeyLocked : kIdsDisconnected);
  UsbKeyInfo info;
  if (usbKey_.GetKeyInfo(&info) != 0) {
    add(String(kIdsKeyConnection), disconnected);
    list.result = 0;
    return list;
  }

  std::u16string connected = String(kIdsConnected);
  if (ports_.text != nullptr) {
    std::string composed = ports_.text->ToNarrow(CodePage::kThreadAnsi, connected);
    std::string version;
    if (usbKey_.GetVersionText(&version) == 0) composed += " " + version;
    connected = ports_.text->ToWide(CodePage::kThreadAnsi, composed);
  }
  add(String(kIdsKeyConnection), connected);
  add(String(kIdsKeyName), info.name);
  add(String(kIdsLogonUrl), info.url);
  add(String(kIdsCompany), info.description);
  add(String(kIdsComments), info.other);
  list.result = 1;
  return list;
}

}  // namespace quill
