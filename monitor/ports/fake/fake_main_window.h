// A recording main window for tests: every call is kept in order as a short
// text ("AddTrayIcon", "SetTimer 1 3000", "ShowTrayMenu exit=enabled", ...),
// with a scripted answer to the lock question and a scripted lock result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ports/monitor_ports.h"

namespace quill::fake {

class FakeMainWindow : public MainWindowPort {
 public:
  void CenterAndSetIcons() override;
  bool RegisterDeviceNotifications() override;
  void CreatePages(bool advancedPage) override;
  void ShowPage(int tab, bool advancedPageExists) override;
  void ParentToProgManAndHide() override;
  void ParentToProgManAndShowMinimized() override;
  void ShowTopLevel() override;
  bool IsMinimized() override;
  void SendMinimizeCommand() override;
  void SetTimer(int id, uint32_t milliseconds) override;
  void KillTimer(int id) override;
  void EndDialog(int result) override;
  bool AddTrayIcon() override;
  bool DeleteTrayIcon() override;
  void ShowTrayMenu(bool exitEnabled) override;
  void ShowAbout() override;
  void RunChangePassword() override;
  void RefreshBasicPage() override;
  void RefreshAdvancedPage() override;
  LockAnswer AskLock() override;
  bool LockWorkStation(uint32_t* error) override;

  // The calls that are exactly `name` (no arguments) or begin with "name ".
  int Count(const std::string& name) const;
  // Calls since the last Clear.
  void Clear() { calls.clear(); }

  std::vector<std::string> calls;
  bool notificationsRegister = true;
  bool minimized = false;
  bool trayAddSucceeds = true;
  bool trayDeleteSucceeds = true;
  LockAnswer lockAnswer = LockAnswer::kOk;
  bool lockSucceeds = true;
  uint32_t lockError = 120;  // ERROR_CALL_NOT_IMPLEMENTED, as Wine answers
  bool dialogEnded = false;
  int dialogResult = -1;
};

}  // namespace quill::fake
