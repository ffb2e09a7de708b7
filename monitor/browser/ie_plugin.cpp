// The Internet Explorer control: whether its files ship beside the monitor,
// its repair through the registration helpers, and the browser settings it
// needs.
#include "helper_constants.h"
#include "registry_text.h"
#include "system_helper.h"

namespace quill {

namespace {

constexpr intptr_t kShellFileNotFound = 2;

}  // namespace

int CSystemHelper::HasIePlugin(int controlFileStringId) {
  std::u16string control;
  if (!PathBelowMonitor(helper::kIeFolder + ports_.strings->Load(controlFileStringId), &control)) {
    return 0;
  }
  return ports_.files->PathExists(control) ? 1 : 0;
}

int CSystemHelper::HasIePlugin32() {
  return HasIePlugin(helper::kIdsControl32);
}

int CSystemHelper::HasIePlugin64() {
  return HasIePlugin(helper::kIdsControl64);
}

int CSystemHelper::RepairIePlugin(const std::u16string& helperFileName, int controlFileStringId) {
  StringsPort& strings = *ports_.strings;
  const int answer = ports_.messageBoxes->Show(
      BoxOwner::kNone, strings.Load(helper::kIdsRepairQuestion),
      strings.Load(helper::kIdsInformation), kMbOkCancel | kMbIconWarning);
  if (answer == kIdCancel) return 0;
  // Without a usable monitor folder there is no helper to start.
  std::u16string helperPath;
  if (!PathBelowMonitor(helper::kIeFolder + helperFileName, &helperPath)) return 0;
  const intptr_t started =
      ports_.processes->ShellOpen(helperPath, strings.Load(controlFileStringId), kShowHide);
  return started == kShellFileNotFound ? 0 : 1;
}

int CSystemHelper::RepairIePlugin32() {
  return RepairIePlugin(helper::kRegistrationHelper32, helper::kIdsControl32);
}

int CSystemHelper::RepairIePlugin64() {
  return RepairIePlugin(helper::kRegistrationHelper64, helper::kIdsControl64);
}

int CSystemHelper::AllowControlOnAllSites() {
  RegistryPort& registry = *ports_.registry;
  registry.CreateKey(RegistryRoot::kCurrentUser, helper::kAllSitesKey);
  return registry.KeyOpens(RegistryRoot::kCurrentUser, helper::kAllSitesKey) ? 1 : 0;
}

int CSystemHelper::WriteDwordSetting(const std::u16string& path, const std::u16string& name,
                                     uint32_t value) {
  return ports_.registry->WriteValue(RegistryRoot::kCurrentUser, path, name, kRegDword,
                                     DwordToRegistryBytes(value))
             ? 1
             : 0;
}

int CSystemHelper::DisableInternetZoneProtectedMode() {
  return WriteDwordSetting(helper::kInternetZoneKey, helper::kProtectedModeAction,
                           helper::kProtectedModeOff);
}

int CSystemHelper::HideProtectedModeBanner() {
  return WriteDwordSetting(helper::kIeMainKey, helper::kNoProtectedModeBanner, 1);
}

}  // namespace quill
