// CAdvancedPage: what the Advanced page's buttons do and which of them are
// enabled. The Windows page applies RefreshStates' answer to its controls,
// passes every notification of the auto-start check box with the box's new
// state to OnAutoStartChanged, and every button press to OnCommand; it
// repaints itself when OnCommand says so. Message boxes are owned by the page.
#pragma once

#include <cstdint>

#include "browser/system_helper.h"
#include "ports/monitor_ports.h"

namespace quill {

struct AdvancedPageStates {
  bool fixIe32Enabled = false;
  bool fixIe64Enabled = false;
  bool firefoxEnabled = false;
  bool chromeEnabled = false;
  bool autoStartChecked = false;
};

class CAdvancedPage {
 public:
  explicit CAdvancedPage(const MonitorPorts& ports) : ports_(ports), helper_(ports) {}

  AdvancedPageStates RefreshStates();
  // kIdcFixIe32, kIdcFixIe64, kIdcFirefox, kIdcChrome, kIdcSave; true when
  // the page should be repainted (after a successful repair). Other ids do nothing.
  bool OnCommand(int controlId);
  // Any notification of kIdcAutoStart: whether the box reports BST_CHECKED.
  void OnAutoStartChanged(bool checked) { autoStartChecked_ = checked ? 1 : 0; }
  bool autoStartChecked() const { return autoStartChecked_ != 0; }

 private:
  bool FixIePlugin(bool sixtyFourBit);
  void InstallFirefox();
  void InstallChrome();
  void SaveAutoStart();
  void Message(int textId, int captionId);

  MonitorPorts ports_;
  CSystemHelper helper_;
  int32_t autoStartChecked_ = 0;
};

}  // namespace quill
