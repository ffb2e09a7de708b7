#include "advanced_page.h"

#include "monitor_constants.h"
#include "string_ids.h"

namespace quill {

namespace {

constexpr char16_t kChromeProcess[] = u"chrome.exe";

}  // namespace

AdvancedPageStates CAdvancedPage::RefreshStates() {
  AdvancedPageStates states;
  bool wow64 = helper_.IsWow64();
  states.fixIe64Enabled = wow64;
  states.fixIe32Enabled = !wow64;
  states.firefoxEnabled = helper_.IsFirefoxInstalled() != 0;
  states.chromeEnabled = helper_.IsChromeInstalled() != 0;
  states.autoStartChecked = helper_.IsAutoStartEnabled() != 0;
  autoStartChecked_ = states.autoStartChecked ? 1 : 0;
  return states;
}

bool CAdvancedPage::OnCommand(int controlId) {
  switch (controlId) {
    case kIdcFixIe32:
      return FixIePlugin(false);
    case kIdcFixIe64:
      return FixIePlugin(true);
    case kIdcFirefox:
      InstallFirefox();
      return false;
    case kIdcChrome:
      InstallChrome();
      return false;
    case kIdcSave:
      SaveAutoStart();
      return false;
    default:
      return false;
  }
}

bool CAdvancedPage::FixIePlugin(bool sixtyFourBit) {
  int present = sixtyFourBit ? helper_.HasIePlugin64() : helper_.HasIePlugin32();
  if (present != 1) {
    Message(kIdsFixFailed, kIdsResult);
    return false;
  }
  // The repair asks the user to confirm by itself.
  int repaired = sixtyFourBit ? helper_.RepairIePlugin64() : helper_.RepairIePlugin32();
  bool repaint = false;
  if (repaired == 1) {
    helper_.AllowControlOnAllSites();
    repaint = true;
  }
  helper_.DisableInternetZoneProtectedMode();
  helper_.HideProtectedModeBanner();
  return repaint;
}

void CAdvancedPage::InstallFirefox() {
  if (helper_.InstallFirefoxPlugin() == 0) Message(kIdsMozillaFilesMissing, kIdsResult);
}

void CAdvancedPage::InstallChrome() {
  if (helper_.IsProcessRunning(kChromeProcess) != 0) {
    Message(kIdsChromeRunning, kIdsResult);
    return;
  }
  if (helper_.InstallChromePlugin() == 0) Message(kIdsChromeFilesMissing, kIdsResult);
}

void CAdvancedPage::SaveAutoStart() {
  if (autoStartChecked_ != 0) {
    Message(helper_.EnableAutoStart() != 0 ? kIdsSaveDone : kIdsSaveFailed, kIdsInformation);
  } else if (helper_.DisableAutoStart() != 0) {
    Message(kIdsAutoStartRemoved, kIdsInformation);
  }
}

void CAdvancedPage::Message(int textId, int captionId) {
  if (ports_.messageBoxes == nullptr || ports_.strings == nullptr) return;
  ports_.messageBoxes->Show(BoxOwner::kAdvancedPage, ports_.strings->Load(textId),
                            ports_.strings->Load(captionId), kMbOk);
}

}  // namespace quill
