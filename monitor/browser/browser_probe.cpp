// What the machine offers the browsers: Internet Explorer's version, the
// control's registration, Firefox and Chrome.
#include <vector>

#include "helper_constants.h"
#include "registry_text.h"
#include "system_helper.h"

namespace quill {

std::u16string CSystemHelper::GetIeVersion() {
  RegistryPort& registry = *ports_.registry;
  std::vector<uint8_t> data;
  const RegistryRead service =
      registry.ReadValue(RegistryRoot::kLocalMachine, helper::kIeKey, helper::kIeServiceVersion,
                         helper::kIeVersionBytes, nullptr, &data);
  if (service == RegistryRead::kOk) return RegistryBytesToText(data);
  if (service == RegistryRead::kKeyMissing) return u"";
  data.clear();
  if (registry.ReadValue(RegistryRoot::kLocalMachine, helper::kIeKey, helper::kIeVersion,
                         helper::kIeVersionBytes, nullptr, &data) != RegistryRead::kOk) {
    return u"";
  }
  return RegistryBytesToText(data);
}

int CSystemHelper::IsIeControlRegistered() {
  const std::u16string key =
      u"CLSID\\{" + ports_.strings->Load(helper::kIdsControlClassId) + u"}\\InprocServer32";
  if (key.size() > helper::kMaxPathCharacters) return 0;
  std::vector<uint8_t> data;
  if (ports_.registry->ReadValue(RegistryRoot::kClassesRoot, key, u"", helper::kInprocServerBytes,
                                 nullptr, &data) != RegistryRead::kOk) {
    return 0;
  }
  const std::u16string serverFile = RegistryBytesToText(data);
  if (serverFile.empty()) return 0;
  return ports_.files->OpensWithoutAccess(serverFile) ? 1 : 0;
}

bool CSystemHelper::FirefoxShortcutPath(std::u16string* path) {
  std::u16string folder;
  if (!ports_.system->CommonProgramsFolder(&folder)) return false;
  TextPort& text = *ports_.text;
  std::u16string shortcut =
      text.ToWide(CodePage::kThreadAnsi, text.ToNarrow(CodePage::kThreadAnsi, folder)) + u"\\" +
      helper::kFirefoxShortcut;
  if (shortcut.size() > helper::kMaxPathCharacters) return false;
  *path = std::move(shortcut);
  return true;
}

int CSystemHelper::IsFirefoxInstalled() {
  if (ports_.registry->KeyOpens(RegistryRoot::kCurrentUser, helper::kFirefoxProbeKey)) return 1;
  std::u16string shortcut;
  if (!FirefoxShortcutPath(&shortcut)) return 0;
  return ports_.files->PathExists(shortcut) ? 1 : 0;
}

int CSystemHelper::IsChromeInstalled() {
  return ports_.registry->KeyOpens(RegistryRoot::kCurrentUser, helper::kChromeProbeKey) ? 1 : 0;
}

}  // namespace quill
