// The main window (dialog 129) as the main window's logic sees it: the
// window, its tab pages, the tray icon and menu, the dialogs it opens and the
// workstation lock.
#pragma once

#include <windows.h>

#include "advanced_page_window.h"
#include "basic_page_window.h"
#include "ports/monitor_ports.h"
#include "win32_message_boxes.h"

namespace quill {

class Win32MainWindow : public MainWindowPort {
 public:
  Win32MainWindow(HINSTANCE module, const MonitorPorts& ports, Win32MessageBoxPort& boxes,
                  BasicPageWindow& basicPage, AdvancedPageWindow& advancedPage)
      : module_(module),
        ports_(ports),
        boxes_(boxes),
        basicPage_(basicPage),
        advancedPage_(advancedPage) {}

  // The dialog's window, from its initialisation on.
  void Attach(HWND window);
  HWND Handle() const { return window_; }
  HWND Tab() const { return tab_; }
  // Whether the logic ended the main dialog, and with which result.
  bool Ended() const { return ended_; }
  int Result() const { return result_; }

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

 private:
  HICON LoadMainIcon(int width, int height) const;
  bool NotifyTray(DWORD action);
  void ParentToProgMan();

  HINSTANCE module_;
  MonitorPorts ports_;
  Win32MessageBoxPort& boxes_;
  BasicPageWindow& basicPage_;
  AdvancedPageWindow& advancedPage_;
  HWND window_ = nullptr;
  HWND tab_ = nullptr;
  HDEVNOTIFY deviceNotify_ = nullptr;  // kept for the window's life
  bool ended_ = false;
  int result_ = 0;
};

}  // namespace quill
