// The monitor's own start at logon, through the user's Run value.
#include <vector>

#include "helper_constants.h"
#include "registry_text.h"
#include "system_helper.h"

namespace quill {

int CSystemHelper::IsAutoStartEnabled() {
  std::vector<uint8_t> data;
  if (ports_.registry->ReadValue(RegistryRoot::kCurrentUser, helper::kRunKeyForReading,
                                 ports_.strings->Load(helper::kIdsRunValueName),
                                 helper::kRunValueBytes, nullptr, &data) != RegistryRead::kOk) {
    return 0;
  }
  return data.empty() ? 0 : 1;
}

void CSystemHelper::ShowAutoStartFailure() {
  StringsPort& strings = *ports_.strings;
  ports_.messageBoxes->Show(BoxOwner::kNone, strings.Load(helper::kIdsExeNotFound),
                            strings.Load(helper::kIdsInformation), kMbOkCancel | kMbIconWarning);
}

int CSystemHelper::EnableAutoStart() {
  std::u16string executable;
  // A monitor folder that cannot be known leaves no executable to enter.
  if (!PathBelowMonitor(u"\\" + ports_.strings->Load(helper::kIdsMonitorExe), &executable) ||
      FileExists(executable) == 0) {
    ShowAutoStartFailure();
    return 0;
  }
  // The path without a terminator: twice its character count in bytes.
  return ports_.registry->WriteValue(RegistryRoot::kCurrentUser, helper::kRunKeyForWriting,
                                     ports_.strings->Load(helper::kIdsRunValueName), kRegSz,
                                     TextToRegistryBytes(executable))
             ? 1
             : 0;
}

int CSystemHelper::DisableAutoStart() {
  // Emptied, not deleted.
  if (!ports_.registry->WriteValue(RegistryRoot::kCurrentUser, helper::kRunKeyForWriting,
                                   ports_.strings->Load(helper::kIdsRunValueName), kRegSz, {})) {
    ShowAutoStartFailure();
    return 0;
  }
  return 1;
}

}  // namespace quill
