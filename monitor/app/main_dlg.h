// CMainDlg: the logic of the monitor's hidden main window. The Windows
// program owns the dialog, the tray icon and the pages; for each message it
// calls the matching entry point here, and this object decides what happens
// through MainWindowPort (the window, tray and session), the message box and
// string ports, and the remote-presence port.
//
// Entry points, one per message of the window's message map:
//   WM_INITDIALOG   -> OnInitDialog
//   WM_DEVICECHANGE -> OnDeviceChange (the record is null when absent)
//   WM_TIMER        -> OnTimer
//   WM_SYSCOMMAND   -> OnSysCommand (false: default processing)
//   WM_TRAYNOTIFY   -> OnTrayNotify (the mouse message of the second parameter)
//   WM_COMMAND      -> OnCommand (false: not a command of the main window)
//   TCN_SELCHANGE   -> OnTabChanged
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "browser/system_helper.h"
#include "device_record.h"
#include "ports/monitor_ports.h"
#include "usb_key.h"

namespace quill {

// OpenLogonUrl's results.
enum OpenLogonUrlResult : int {
  kUrlStarted = 0,
  kUrlNoKeyInfo = 1,
  kUrlEmpty = 2,
  kUrlSeveralTokens = 3,
  kUrlExpansionFailed = 5,
  kUrlEnvironmentUnusable = 6,
  kUrlStartFailed = 7,
};

// The browser command line's buffer: 260 wide characters with the terminator.
constexpr size_t kCommandLineCharacters = 260;

class CMainDlg {
 public:
  CMainDlg(const MonitorPorts& ports, MainWindowPort& window, RemotePresencePort& relay);
  CMainDlg(const CMainDlg&) = delete;
  CMainDlg& operator=(const CMainDlg&) = delete;

  // The whole initialisation, in order; returns true (default focus).
  bool OnInitDialog();
  void OnDeviceChange(uint32_t event, const DeviceRecord* record);
  void OnTimer(int id);
  // Masks the command's low four bits; true when handled (minimise and close
  // hide the window, maximise is swallowed), false for default processing.
  bool OnSysCommand(uint32_t command);
  void OnTrayNotify(uint32_t mouseMessage);
  bool OnCommand(int id);
  void OnTabChanged(int tab);

  // Operations the flows share; public for the program and the tests.
  bool IsTrayIconWanted();
  void RememberUid();
  int OpenLogonUrl();
  bool DevicePathMatches(const std::u16string& devicePath);
  void HideMainWindow();
  void ShowMainWindow();
  void AddTrayIcon();
  void DeleteTrayIcon();

  const char* lastUid() const { return lastUid_; }
  bool remoteSession() const { return remoteSession_ != 0; }
  bool advancedPageExists() const { return advancedPageExists_; }
  // The command line of the last browser start that was built.
  const std::u16string& commandLine() const { return commandLine_; }
  CUsbKey& usbKey() { return usbKey_; }

 private:
  void OnArrival(const DeviceRecord* record);
  void OnRemoval(const DeviceRecord* record);
  void DecideLock();
  void RunRemotePresenceCheck();
  void RunExitFlow();
  int BuildCommandLine(uint8_t modelByte, const std::u16string& url);
  void Log(const std::string& line);

  MonitorPorts ports_;
  MainWindowPort& window_;
  RemotePresencePort& relay_;
  CUsbKey usbKey_;
  CSystemHelper helper_;
  char lastUid_[kLoginUidSize] = {};
  uint8_t remoteSession_ = 0;
  bool advancedPageExists_ = false;
  std::u16string commandLine_;
};

}  // namespace quill
