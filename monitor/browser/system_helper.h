// CSystemHelper: what the monitor probes of the machine (Windows edition,
// Internet Explorer, the control's registration, Firefox and Chrome, running
// processes, files), the plug-in repairs and installs with the browser
// settings they need, its own start at logon and the settings it reads.
//
// Stateless: every operation depends only on its arguments and on the
// machine as the ports show it. Results follow the helper's convention: 1
// for success or "yes", 0 for failure or "no" (CheckLogonProvider returns
// its own small codes).
#pragma once

#include <cstdint>
#include <string>

#include "ports/monitor_ports.h"

namespace quill {

// Results of CheckLogonProvider.
enum LogonProviderResult : int {
  kLogonProviderExpected = 0,
  kLogonProviderMissing = 1,  // the value is missing or empty
  kLogonProviderOther = 2,
  kLogonProviderNoKey = 3,
};

class CSystemHelper {
 public:
  explicit CSystemHelper(const MonitorPorts& ports) : ports_(ports) {}

  // Environment probe.
  std::u16string GetOsName();
  bool IsWow64();
  std::u16string GetIeVersion();
  int IsIeControlRegistered();
  int IsFirefoxInstalled();
  int IsChromeInstalled();
  int IsProcessRunning(const std::u16string& executableName);
  int FileExists(const std::u16string& path);
  int FileExistsAnsi(const std::u16string& path);
  // The folder of the monitor's executable, without a trailing backslash;
  // false when the module path has no backslash or fills its whole buffer
  // (it may have been cut).
  bool MonitorDirectory(std::u16string* directory);

  // Plug-in installation and browser settings.
  int HasIePlugin32();
  int HasIePlugin64();
  int RepairIePlugin32();
  int RepairIePlugin64();
  int AllowControlOnAllSites();
  int DisableInternetZoneProtectedMode();
  int HideProtectedModeBanner();
  int InstallFirefoxPlugin();
  int InstallChromePlugin();

  // Auto start and settings.
  int IsAutoStartEnabled();
  int EnableAutoStart();
  int DisableAutoStart();
  int IsAdvancedPageHidden();

  // The last Windows logon's credential provider.
  int CheckLogonProvider();

 private:
  // The monitor directory + relative, when the directory is known and the
  // whole path fits a 260-character path buffer.
  bool PathBelowMonitor(const std::u16string& relative, std::u16string* path);
  // The all-users Start-menu shortcut of Firefox, passed through the
  // thread's ANSI code page; false when the folder is unknown or the path
  // does not fit a path buffer.
  bool FirefoxShortcutPath(std::u16string* path);
  int HasIePlugin(int controlFileStringId);
  int RepairIePlugin(const std::u16string& helperFileName, int controlFileStringId);
  int WriteDwordSetting(const std::u16string& path, const std::u16string& name, uint32_t value);
  void ShowAutoStartFailure();

  MonitorPorts ports_;
};

}  // namespace quill
