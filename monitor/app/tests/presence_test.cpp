// Token presence from device notifications: path matching, the arrival
// flow (with late and silent tokens), the removal flow and the lock decision.
#include "main_dlg.h"
#include "monitor_constants.h"
#include "monitor_fixture.h"

namespace quill {
namespace {

constexpr char16_t kTokenPath[] =
    u"\\\\?\\usb#vid_04b4&pid_b328#0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

DeviceRecord Interface(const std::u16string& path) {
  return DeviceRecord{kDbtDevTypDeviceInterface, path};
}

class PresenceTest : public MonitorTest {
 protected:
  fake::FakeMainWindow window;
  fake::FakeRemotePresence relay;
};

TEST_F(PresenceTest, PathMatchingNeedsTheVendorAndOneProductAnywhere) {
  CMainDlg dlg(ports, window, relay);
  EXPECT_TRUE(dlg.DevicePathMatches(kTokenPath));
  EXPECT_TRUE(dlg.DevicePathMatches(u"\\\\?\\USB#VID_04B4&PID_B708#X"));
  EXPECT_TRUE(dlg.DevicePathMatches(u"\\\\?\\usb#vid_04b4&pid_b812#x"));  // lower case
  EXPECT_TRUE(dlg.DevicePathMatches(u"B826 somewhere 04b4"));  // plain substrings, any order
  EXPECT_FALSE(dlg.DevicePathMatches(u"\\\\?\\usb#vid_04b4&pid_1234#x"));  // vendor only
  EXPECT_FALSE(dlg.DevicePathMatches(u"\\\\?\\usb#vid_1234&pid_b328#x"));  // product only
  EXPECT_FALSE(dlg.DevicePathMatches(u""));
}

TEST_F(PresenceTest, ArrivalOfAnotherDeviceOnlyRefreshesTheBasicPage) {
  Connect();
  CMainDlg dlg(ports, window, relay);
  DeviceRecord vendorOnly = Interface(u"\\\\?\\usb#vid_04b4&pid_0001#x");
  dlg.OnDeviceChange(kDbtDeviceArrival, &vendorOnly);
  DeviceRecord volume{2, kTokenPath};  // DBT_DEVTYP_VOLUME
  dlg.OnDeviceChange(kDbtDeviceArrival, &volume);
  dlg.OnDeviceChange(kDbtDeviceArrival, nullptr);
  EXPECT_EQ(window.calls, std::vector<std::string>(3, "RefreshBasicPage"));
  EXPECT_TRUE(system.sleeps.empty());
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           "arrival path=\\\\?\\usb#vid_04b4&pid_0001#x match=no",
                           std::string("arrival path=") + "\\\\?\\usb#vid_04b4&pid_b328#0001#" +
                               "{a5dcbf10-6530-11d2-901f-00c04fb951ed} match=no"}));
}

TEST_F(PresenceTest, ArrivalWaitsForALateTokenThenRunsTheFlow) {
  AddToken();
  Connect();
  SetKeyInfo("http://logon/{ID}");
  server.Unplug(0);
  system.onSleep = [this](int pauses) {
    if (pauses == 2) {
      ASSERT_TRUE(server.Plug(0));
    }
  };
  CMainDlg dlg(ports, window, relay);
  DeviceRecord record = Interface(kTokenPath);
  dlg.OnDeviceChange(kDbtDeviceArrival, &record);
  EXPECT_EQ(system.sleeps.size(), 2u);
  EXPECT_EQ(window.calls,
            (std::vector<std::string>{"AddTrayIcon", "RefreshBasicPage", "RefreshBasicPage"}));
  EXPECT_EQ(dlg.lastUid(), UidOf(0));
  EXPECT_EQ(dlg.usbKey().loginSeen(), 1);
  const std::string uid = UidOf(0);
  ASSERT_EQ(processes.started.size(), 1u);
  EXPECT_EQ(processes.started[0],
            u" \"http://logon/" + std::u16string(uid.begin(), uid.end()) + u"\"");
  EXPECT_TRUE(log.Has("arrival wait: token found"));
}

TEST_F(PresenceTest, ArrivalOfASilentDeviceWaitsTenTimesAndGoesOn) {
  AddToken();
  Connect();
  server.Unplug(0);
  CMainDlg dlg(ports, window, relay);
  DeviceRecord record = Interface(kTokenPath);
  dlg.OnDeviceChange(kDbtDeviceArrival, &record);
  EXPECT_EQ(system.sleeps, std::vector<uint32_t>(10, 500u));
  EXPECT_EQ(window.calls,
            (std::vector<std::string>{"AddTrayIcon", "RefreshBasicPage", "RefreshBasicPage"}));
  EXPECT_TRUE(processes.started.empty());
  EXPECT_STREQ(dlg.lastUid(), "");
  EXPECT_TRUE(log.Has("arrival wait: token not found"));
  EXPECT_TRUE(log.Has("url not opened: result=1"));
}

TEST_F(PresenceTest, ArrivalClearsTheLoginTokenSeenBefore) {
  AddToken(TokenModel::kA, "login");
  AddToken(TokenModel::kA, "login");
  Connect();
  CMainDlg dlg(ports, window, relay);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.lastUid(), UidOf(0));
  server.Unplug(0);
  DeviceRecord record = Interface(kTokenPath);
  dlg.OnDeviceChange(kDbtDeviceArrival, &record);
  EXPECT_EQ(dlg.lastUid(), UidOf(1));
  EXPECT_TRUE(log.Has("url not opened: result=2"));  // no key information URL
}

class RemovalTest : public PresenceTest {
 protected:
  // Starts the window with the tokens plugged (the first one remembered).
  void Start() {
    dlg = std::make_unique<CMainDlg>(ports, window, relay);
    dlg->OnInitDialog();
    window.Clear();
    log.lines.clear();
  }
  void Remove(const std::u16string& path = kTokenPath) {
    DeviceRecord record = Interface(path);
    dlg->OnDeviceChange(kDbtDeviceRemoveComplete, &record);
  }
  std::unique_ptr<CMainDlg> dlg;
};

TEST_F(RemovalTest, RemovalOfTheLoginTokenAsksAndLocks) {
  AddToken();
  Connect();
  SetLogonProvider(kExpectedProvider);
  Start();
  server.Unplug(0);
  Remove();
  EXPECT_EQ(window.calls,
            (std::vector<std::string>{"DeleteTrayIcon", "RefreshBasicPage",
                                      "ParentToProgManAndHide", "AskLock", "LockWorkStation"}));
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           std::string("removal path=") + "\\\\?\\usb#vid_04b4&pid_b328#0001#" +
                               "{a5dcbf10-6530-11d2-901f-00c04fb951ed} match=yes",
                           "removal refresh=1 gone=yes", "lock asked: provider=0",
                           "lock answered: ok", "lock done"}));
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(RemovalTest, RemovalOfAnotherDeviceDoesNothing) {
  AddToken();
  Connect();
  Start();
  Remove(u"\\\\?\\usb#vid_046d&pid_c52b#x");
  DeviceRecord record = Interface(kTokenPath);
  dlg->OnDeviceChange(kDbtDeviceRemoveComplete, nullptr);
  dlg->OnDeviceChange(0x0007, &record);  // DBT_DEVNODES_CHANGED
  EXPECT_TRUE(window.calls.empty());
  EXPECT_EQ(log.lines, std::vector<std::string>{"removal path=\\\\?\\usb#vid_046d&pid_c52b#x "
                                                "match=no"});
}

TEST_F(RemovalTest, RemovalOfAnotherTokenWhileTheLoginTokenStaysDoesNothing) {
  AddToken(TokenModel::kA, "login");
  AddToken(TokenModel::kA, "user");
  Connect();
  Start();
  server.Unplug(1);
  Remove();
  EXPECT_TRUE(window.calls.empty());
  EXPECT_EQ(log.lines.back(), "removal refresh=0 gone=no");
}

TEST_F(RemovalTest, RemovalOfTheLoginTokenWithAnotherStillPluggedIsNotNoticed) {
  // The recorded login UID is not replaced while the flag is set, so the
  // comparison finds no difference.
  AddToken(TokenModel::kA, "login");
  AddToken(TokenModel::kA, "login");
  Connect();
  Start();
  server.Unplug(0);
  Remove();
  EXPECT_TRUE(window.calls.empty());
  EXPECT_EQ(log.lines.back(), "removal refresh=0 gone=no");
}

TEST_F(RemovalTest, ALoginTokenOtherThanTheRememberedOneCountsAsGone) {
  // Started without a token (nothing remembered); a login token whose
  // arrival was never notified is present at the removal.
  AddToken();
  Connect();
  server.Unplug(0);
  Start();
  ASSERT_STREQ(dlg->lastUid(), "");
  ASSERT_TRUE(server.Plug(0));
  Remove();
  EXPECT_EQ(log.lines[1], "removal refresh=0 gone=yes");
  EXPECT_EQ(log.lines[2], "lock asked: provider=3");
  EXPECT_EQ(window.Count("LockWorkStation"), 1);
}

TEST_F(RemovalTest, TokenWithoutLoginTagIsNotAsked) {
  AddToken(TokenModel::kA, "user");
  Connect();
  SetLogonProvider(kExpectedProvider);
  Start();
  server.Unplug(0);
  Remove();
  EXPECT_EQ(window.Count("AskLock"), 0);
  EXPECT_EQ(window.Count("LockWorkStation"), 0);
  EXPECT_EQ(window.Count("DeleteTrayIcon"), 1);
  EXPECT_EQ(log.lines.back(), "lock not asked: no login token seen");
}

struct ProviderCase {
  const char* name;
  int expected;  // CheckLogonProvider's result
  bool asked;
};
void PrintTo(const ProviderCase& c, std::ostream* os) {
  *os << c.name;
}

class LockDecisionTest : public RemovalTest, public ::testing::WithParamInterface<ProviderCase> {};

TEST_P(LockDecisionTest, AsksOnlyForTheExpectedProviderOrNoLogonUiKey) {
  const ProviderCase& c = GetParam();
  if (c.expected == kLogonProviderExpected) SetLogonProvider(kExpectedProvider);
  if (c.expected == kLogonProviderMissing)
    registry.AddKey(RegistryRoot::kLocalMachine, kLogonUiKey);
  if (c.expected == kLogonProviderOther) {
    SetLogonProvider(u"{007f850c-06d0-4d2f-b830-6deb50d5a1e3}");  // lower case: another one
  }
  AddToken();
  Connect();
  Start();
  server.Unplug(0);
  Remove();
  EXPECT_EQ(window.Count("AskLock"), c.asked ? 1 : 0);
  EXPECT_EQ(window.Count("LockWorkStation"), c.asked ? 1 : 0);
  std::string decision =
      std::string(c.asked ? "lock asked: provider=" : "lock not asked: provider=") +
      std::to_string(c.expected);
  EXPECT_TRUE(log.Has(decision)) << decision;
}

INSTANTIATE_TEST_SUITE_P(Providers, LockDecisionTest,
                         ::testing::Values(ProviderCase{"Expected", kLogonProviderExpected, true},
                                           ProviderCase{"Missing", kLogonProviderMissing, false},
                                           ProviderCase{"Other", kLogonProviderOther, false},
                                           ProviderCase{"NoKey", kLogonProviderNoKey, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RemovalTest, CancelAndCloseDoNotLock) {
  AddToken();
  Connect();
  Start();
  for (LockAnswer answer : {LockAnswer::kCancel, LockAnswer::kClosed}) {
    window.lockAnswer = answer;
    server.Unplug(0);
    Remove();
    EXPECT_EQ(window.Count("AskLock"), 1);
    EXPECT_EQ(window.Count("LockWorkStation"), 0);
    window.Clear();
    ASSERT_TRUE(server.Plug(0));
  }
  EXPECT_TRUE(log.Has("lock answered: cancel"));
  EXPECT_TRUE(log.Has("lock answered: closed"));
}

TEST_F(RemovalTest, FailedLockShowsTheFixedErrorMessage) {
  AddToken();
  Connect();
  Start();
  window.lockSucceeds = false;
  window.lockError = 120;
  server.Unplug(0);
  Remove();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].owner, BoxOwner::kMainWindow);
  EXPECT_EQ(boxes.shown[0].text, u"Lock workstation error");
  EXPECT_EQ(boxes.shown[0].caption, u"");
  EXPECT_EQ(boxes.shown[0].flags, kMbOk);
  EXPECT_EQ(log.lines.back(), "lock failed: error=120");
}

}  // namespace
}  // namespace quill
