// The main window: initialisation, timers, system commands, the tray icon
// and its menu, hiding and showing, the exit flow and the page switch.
#include "main_dlg.h"

#include "diagnostic_line.h"
#include "monitor_constants.h"
#include "string_ids.h"

namespace quill {

namespace {

constexpr char16_t kMonitorHideWord[] = u"monitorhide";

}  // namespace

CMainDlg::CMainDlg(const MonitorPorts& ports, MainWindowPort& window, RemotePresencePort& relay)
    : ports_(ports), window_(window), relay_(relay), usbKey_(ports), helper_(ports) {}

bool CMainDlg::OnInitDialog() {
  window_.CenterAndSetIcons();
  remoteSession_ = 0;
  window_.RegisterDeviceNotifications();  // a failure only means no arrivals are seen
  advancedPageExists_ = helper_.IsAdvancedPageHidden() == 0;
  window_.CreatePages(advancedPageExists_);

  int refresh = usbKey_.Refresh();
  bool trayWanted = IsTrayIconWanted();
  Log(std::string("start tray=") + YesNo(refresh == kRefreshFound && trayWanted) +
      " refresh=" + std::to_string(refresh));
  if (refresh == kRefreshFound) {
    RememberUid();
    if (trayWanted) AddTrayIcon();
    OpenLogonUrl();
  }

  window_.ParentToProgManAndShowMinimized();
  window_.SetTimer(kTimerCheck, kTimerCheckMilliseconds);
  window_.SetTimer(kTimerHide, kTimerHideMilliseconds);
  return true;
}

void CMainDlg::OnTimer(int id) {
  RunRemotePresenceCheck();
  if (id == kTimerHide) {
    window_.SendMinimizeCommand();
    window_.KillTimer(kTimerHide);
  }
}

bool CMainDlg::OnSysCommand(uint32_t command) {
  switch (command & kSystemCommandMask) {
    case kScMaximize:
      return true;
    case kScMinimize:
    case kScClose:
      HideMainWindow();
      return true;
    default:
      return false;
  }
}

void CMainDlg::OnTrayNotify(uint32_t mouseMessage) {
  if (mouseMessage == kWmLButtonDblClk) {
    ShowMainWindow();
  } else if (mouseMessage == kWmRButtonDown) {
    window_.ShowTrayMenu(!window_.IsMinimized());
  }
}

bool CMainDlg::OnCommand(int id) {
  switch (id) {
    case kIdAppAbout:
    case kIdTrayAbout:
      window_.ShowAbout();
      return true;
    case kIdCommandOk:
      return true;  // Enter never closes the window
    case kIdCommandCancel:
      Log("exit result=" + std::to_string(kEscapeResult));
      window_.EndDialog(kEscapeResult);
      return true;
    case kIdTrayShowMain:
      ShowMainWindow();
      return true;
    case kIdTrayExit:
      RunExitFlow();
      return true;
    case kIdTrayOpenUrl:
      OpenLogonUrl();
      return true;
    case kIdTrayChangePassword:
      window_.RunChangePassword();
      return true;
    default:
      return false;
  }
}

void CMainDlg::RunExitFlow() {
  std::u16string text = ports_.strings != nullptr ? ports_.strings->Load(kIdsQuitQuestion) : u"";
  std::u16string caption = ports_.strings != nullptr ? ports_.strings->Load(kIdsInformation) : u"";
  int answer = ports_.messageBoxes != nullptr
                   ? ports_.messageBoxes->Show(BoxOwner::kMainWindow, text, caption,
                                               kMbOkCancel | kMbIconQuestion)
                   : kIdCancel;
  bool leaving = answer != kIdCancel;
  Log(std::string("exit asked: ") + (leaving ? "ok" : "cancel"));
  if (!leaving) return;
  window_.DeleteTrayIcon();
  Log("exit result=" + std::to_string(kExitResult));
  window_.EndDialog(kExitResult);
}

void CMainDlg::OnTabChanged(int tab) {
  if (tab == 0) {
    window_.ShowPage(0, advancedPageExists_);
    window_.RefreshBasicPage();
  } else if (tab == 1) {
    window_.ShowPage(1, advancedPageExists_);
    if (advancedPageExists_) window_.RefreshAdvancedPage();
  }
}

bool CMainDlg::IsTrayIconWanted() {
  if (ports_.system == nullptr) return true;
  return ports_.system->CommandLine().find(kMonitorHideWord) == std::u16string::npos;
}

void CMainDlg::HideMainWindow() {
  window_.ParentToProgManAndHide();
}

void CMainDlg::ShowMainWindow() {
  window_.ShowTopLevel();
  window_.RefreshBasicPage();
}

void CMainDlg::AddTrayIcon() {
  window_.AddTrayIcon();  // fails silently when the icon exists already
  window_.RefreshBasicPage();
}

void CMainDlg::DeleteTrayIcon() {
  window_.DeleteTrayIcon();  // fails silently when there is none
  window_.RefreshBasicPage();
}

void CMainDlg::Log(const std::string& line) {
  WriteDiagnosticLine(ports_.log, line);
}

}  // namespace quill
