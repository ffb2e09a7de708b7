// Handing the Chrome extension package to Chrome.
#include <vector>

#include "helper_constants.h"
#include "registry_text.h"
#include "system_helper.h"

namespace quill {

int CSystemHelper::InstallChromePlugin() {
  std::vector<uint8_t> data;
  uint32_t type = 0;
  std::u16string executable;
  if (ports_.registry->ReadValue(RegistryRoot::kCurrentUser, helper::kChromeUninstallKey,
                                 helper::kChromeDisplayIcon, helper::kBrowserCommandBytes, &type,
                                 &data) == RegistryRead::kOk &&
      type == kRegSz) {
    // "path,index": the executable is what comes before the first comma,
    // quotes and all.
    const std::u16string icon = RegistryBytesToText(data);
    executable = icon.substr(0, icon.find(u','));
  }

  std::u16string package;
  if (!PathBelowMonitor(helper::kChromeFolder + ports_.strings->Load(helper::kIdsChromePackage),
                        &package)) {
    return 0;
  }
  if (FileExists(package) == 0) return 0;
  if (FileExistsAnsi(executable) == 0) return 0;

  ports_.processes->ShellOpen(
      u"\"" + executable + u"\"",
      std::u16string(helper::kChromeInstallSwitch) + u" \"" + package + u"\"", kShowShow);
  return 1;
}

}  // namespace quill
