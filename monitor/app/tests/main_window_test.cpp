// The main window: start-up order, the tray icon wish, timers, system
// commands, the tray menu, the commands, the exit flow and the page switch.
#include "main_dlg.h"
#include "monitor_constants.h"
#include "monitor_fixture.h"

namespace quill {
namespace {

constexpr char16_t kSettingsKey[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\"
    u"{6AAEEBD3-838D-4A35-9571-26EFC79882ED}\\monitor";

class MainWindowTest : public MonitorTest {
 protected:
  fake::FakeMainWindow window;
  fake::FakeRemotePresence relay;
};

TEST_F(MainWindowTest, StartWithoutTokenShowsMinimisedAndStartsBothTimers) {
  Connect();
  CMainDlg dlg(ports, window, relay);
  EXPECT_TRUE(dlg.OnInitDialog());
  EXPECT_EQ(window.calls,
            (std::vector<std::string>{"CenterAndSetIcons", "RegisterDeviceNotifications",
                                      "CreatePages advanced=yes", "ParentToProgManAndShowMinimized",
                                      "SetTimer 1 3000", "SetTimer 2 500"}));
  EXPECT_TRUE(processes.started.empty());
  EXPECT_EQ(log.lines, std::vector<std::string>{"start tray=no refresh=1"});
  EXPECT_FALSE(dlg.remoteSession());
}

TEST_F(MainWindowTest, StartWithTokenRemembersItAddsTheIconAndOpensTheUrl) {
  AddToken();
  Connect();
  SetKeyInfo("http://logon/");
  SetHttpCommand(u"\"C:\\b\\browser.exe\" -- \"%1\"");
  window.notificationsRegister = false;  // ignored
  CMainDlg dlg(ports, window, relay);
  EXPECT_TRUE(dlg.OnInitDialog());
  EXPECT_EQ(window.calls,
            (std::vector<std::string>{"CenterAndSetIcons", "RegisterDeviceNotifications",
                                      "CreatePages advanced=yes", "AddTrayIcon", "RefreshBasicPage",
                                      "ParentToProgManAndShowMinimized", "SetTimer 1 3000",
                                      "SetTimer 2 500"}));
  EXPECT_EQ(dlg.lastUid(), UidOf(0));
  EXPECT_EQ(processes.started,
            std::vector<std::u16string>{u"\"C:\\b\\browser.exe\" \"http://logon/\""});
  EXPECT_EQ(log.lines,
            (std::vector<std::string>{"start tray=yes refresh=0",
                                      "url opened: \"C:\\b\\browser.exe\" \"http://logon/\""}));
}

TEST_F(MainWindowTest, MonitorHideAnywhereSuppressesOnlyTheTrayIcon) {
  AddToken();
  Connect();
  SetKeyInfo("http://logon/");
  system.commandLine = u"\"C:\\q\\lumoMonitor.exe\" /nomonitorhideplease";
  CMainDlg dlg(ports, window, relay);
  EXPECT_FALSE(dlg.IsTrayIconWanted());
  dlg.OnInitDialog();
  EXPECT_EQ(window.Count("AddTrayIcon"), 0);
  EXPECT_EQ(processes.started.size(), 1u);  // the URL is still opened
  EXPECT_EQ(dlg.lastUid(), UidOf(0));
  EXPECT_EQ(log.lines.front(), "start tray=no refresh=0");
}

TEST_F(MainWindowTest, TrayIconWishIsCaseSensitive) {
  CMainDlg dlg(ports, window, relay);
  system.commandLine = u"lumoMonitor.exe MonitorHide";
  EXPECT_TRUE(dlg.IsTrayIconWanted());
  system.commandLine = u"lumoMonitor.exe monitorhid";
  EXPECT_TRUE(dlg.IsTrayIconWanted());
  system.commandLine = u"lumoMonitor.exe monitorhide";
  EXPECT_FALSE(dlg.IsTrayIconWanted());
}

TEST_F(MainWindowTest, HiddenAdvancedPageIsNeitherCreatedNorShown) {
  registry.SetDword(RegistryRoot::kCurrentUser, kSettingsKey, u"AdvancedPage", 1);
  Connect();
  CMainDlg dlg(ports, window, relay);
  dlg.OnInitDialog();
  EXPECT_EQ(window.Count("CreatePages advanced=no"), 1);
  EXPECT_FALSE(dlg.advancedPageExists());
  window.Clear();
  dlg.OnTabChanged(1);
  dlg.OnTabChanged(0);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"ShowPage 1 advanced=no",
                                                    "ShowPage 0 advanced=no", "RefreshBasicPage"}));
}

TEST_F(MainWindowTest, TabSwitchRefreshesThePageShown) {
  Connect();
  CMainDlg dlg(ports, window, relay);
  dlg.OnInitDialog();
  window.Clear();
  dlg.OnTabChanged(1);
  dlg.OnTabChanged(0);
  EXPECT_EQ(window.calls,
            (std::vector<std::string>{"ShowPage 1 advanced=yes", "RefreshAdvancedPage",
                                      "ShowPage 0 advanced=yes", "RefreshBasicPage"}));
}

TEST_F(MainWindowTest, HideTimerMinimisesOnceAndSystemCommandsHide) {
  CMainDlg dlg(ports, window, relay);
  dlg.OnTimer(kTimerCheck);
  EXPECT_TRUE(window.calls.empty());
  dlg.OnTimer(kTimerHide);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"SendMinimizeCommand", "KillTimer 2"}));

  window.Clear();
  EXPECT_TRUE(dlg.OnSysCommand(kScMinimize));
  EXPECT_TRUE(dlg.OnSysCommand(kScClose | 0x2));  // the system's low bits are ignored
  EXPECT_TRUE(dlg.OnSysCommand(kScMaximize));
  EXPECT_FALSE(dlg.OnSysCommand(0xF120));  // SC_RESTORE: default processing
  EXPECT_EQ(window.calls,
            (std::vector<std::string>{"ParentToProgManAndHide", "ParentToProgManAndHide"}));
}

TEST_F(MainWindowTest, TrayMouseAndMenu) {
  CMainDlg dlg(ports, window, relay);
  window.minimized = true;
  dlg.OnTrayNotify(kWmRButtonDown);
  window.minimized = false;
  dlg.OnTrayNotify(kWmRButtonDown);
  dlg.OnTrayNotify(kWmLButtonDblClk);
  dlg.OnTrayNotify(0x0201);  // WM_LBUTTONDOWN: ignored
  EXPECT_EQ(window.calls, (std::vector<std::string>{"IsMinimized", "ShowTrayMenu exit=greyed",
                                                    "IsMinimized", "ShowTrayMenu exit=enabled",
                                                    "ShowTopLevel", "RefreshBasicPage"}));
}

TEST_F(MainWindowTest, CommandsOfTheMenuAndTheDialog) {
  Connect();
  CMainDlg dlg(ports, window, relay);
  EXPECT_TRUE(dlg.OnCommand(kIdCommandOk));
  EXPECT_TRUE(window.calls.empty());  // Enter does nothing
  EXPECT_TRUE(dlg.OnCommand(kIdTrayAbout));
  EXPECT_TRUE(dlg.OnCommand(kIdAppAbout));
  EXPECT_TRUE(dlg.OnCommand(kIdTrayShowMain));
  EXPECT_TRUE(dlg.OnCommand(kIdTrayChangePassword));
  EXPECT_TRUE(dlg.OnCommand(kIdTrayOpenUrl));
  EXPECT_FALSE(dlg.OnCommand(4242));
  EXPECT_EQ(window.calls, (std::vector<std::string>{"ShowAbout", "ShowAbout", "ShowTopLevel",
                                                    "RefreshBasicPage", "RunChangePassword"}));
  EXPECT_EQ(log.lines, std::vector<std::string>{"url not opened: result=1"});
  EXPECT_FALSE(window.dialogEnded);
}

TEST_F(MainWindowTest, ExitAsksAndCancelKeepsRunning) {
  CMainDlg dlg(ports, window, relay);
  boxes.answers = {kIdCancel};
  EXPECT_TRUE(dlg.OnCommand(kIdTrayExit));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].owner, BoxOwner::kMainWindow);
  EXPECT_EQ(boxes.shown[0].text, u"s136");
  EXPECT_EQ(boxes.shown[0].caption, u"s135");
  EXPECT_EQ(boxes.shown[0].flags, kMbOkCancel | kMbIconQuestion);
  EXPECT_TRUE(window.calls.empty());
  EXPECT_EQ(log.lines, std::vector<std::string>{"exit asked: cancel"});
}

TEST_F(MainWindowTest, ExitOkDeletesTheIconAndEndsWithTheCommandId) {
  CMainDlg dlg(ports, window, relay);
  boxes.answers = {kIdOk};
  dlg.OnCommand(kIdTrayExit);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"DeleteTrayIcon", "EndDialog 32786"}));
  EXPECT_EQ(window.dialogResult, 32786);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"exit asked: ok", "exit result=32786"}));
}

TEST_F(MainWindowTest, EscapeEndsWithTwoWithoutQuestionOrIconDelete) {
  CMainDlg dlg(ports, window, relay);
  EXPECT_TRUE(dlg.OnCommand(kIdCommandCancel));
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(window.calls, std::vector<std::string>{"EndDialog 2"});
  EXPECT_EQ(log.lines, std::vector<std::string>{"exit result=2"});
}

TEST_F(MainWindowTest, TrayIconChangesRefreshTheBasicPage) {
  CMainDlg dlg(ports, window, relay);
  window.trayAddSucceeds = false;  // a second add fails silently
  dlg.AddTrayIcon();
  dlg.DeleteTrayIcon();
  EXPECT_EQ(window.calls, (std::vector<std::string>{"AddTrayIcon", "RefreshBasicPage",
                                                    "DeleteTrayIcon", "RefreshBasicPage"}));
}

}  // namespace
}  // namespace quill
