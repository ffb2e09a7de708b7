// The Basic page's rows, the Advanced page's states and commands, the
// Change Password checks and the Information dialog's state.
#include "advanced_page.h"
#include "basic_page.h"
#include "message_box_info.h"
#include "modify_password.h"
#include "monitor_constants.h"
#include "monitor_fixture.h"

namespace quill {
namespace {

constexpr char16_t kRunKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char16_t kFirefoxKey[] = u"Software\\Classes\\FirefoxHTML\\shell\\open\\command\\";

class BasicPageTest : public MonitorTest {};

TEST_F(BasicPageTest, WithoutTokenListsTheMachineAndDisconnected) {
  Connect();
  CBasicPage page(ports);
  BasicPageList list = page.RefreshList();
  EXPECT_EQ(list.result, 0);
  ASSERT_EQ(list.rows.size(), 6u);
  EXPECT_EQ(list.rows[0].label, u"s104");
  EXPECT_NE(list.rows[0].value.find(u"  x86 (32bit)"), std::u16string::npos);
  EXPECT_EQ(list.rows[0].value.size() - list.rows[0].value.find(u"  x86 (32bit)"), 13u);
  EXPECT_EQ(list.rows[1].label, u"s105");
  EXPECT_EQ(list.rows[1].value.rfind(u"s106", 0), 0u);
  EXPECT_EQ(list.rows[2].label, u"s107");
  EXPECT_EQ(list.rows[2].value, u"s109");
  EXPECT_EQ(list.rows[3].label, u"s110");
  EXPECT_EQ(list.rows[3].value, u"s109");
  EXPECT_EQ(list.rows[4].label, u"s111");
  EXPECT_EQ(list.rows[4].value, u"s109");
  EXPECT_EQ(list.rows[5].label, u"s112");
  EXPECT_EQ(list.rows[5].value, u"s113");
  const bool selected[] = {false, false, true, false, true, false};
  for (size_t i = 0; i < list.rows.size(); ++i) EXPECT_EQ(list.rows[i].selected, selected[i]) << i;
}

TEST_F(BasicPageTest, SixtyFourBitSystemAndInstalledBrowser) {
  Connect();
  system.wow64 = true;
  registry.SetString(RegistryRoot::kCurrentUser, kFirefoxKey, u"", u"firefox.exe");
  CBasicPage page(ports);
  BasicPageList list = page.RefreshList();
  const std::u16string& os = list.rows[0].value;
  EXPECT_EQ(os.substr(os.size() - 13), u"  x64 (64bit)");
  EXPECT_EQ(list.rows[3].value, u"s108");
}

TEST_F(BasicPageTest, ConnectedTokenShowsVersionAndKeyInformation) {
  AddToken();
  Connect();
  SetKeyInfo("http://logon/", 0, "My Key", "Quill Ltd", "a note");
  CBasicPage page(ports);
  BasicPageList list = page.RefreshList();
  EXPECT_EQ(list.result, 1);
  ASSERT_EQ(list.rows.size(), 10u);
  EXPECT_EQ(list.rows[5].value, u"s114 QVT 0001");
  EXPECT_EQ(list.rows[6].label, u"s115");
  EXPECT_EQ(list.rows[6].value, u"My Key");
  EXPECT_EQ(list.rows[7].label, u"s116");
  EXPECT_EQ(list.rows[7].value, u"http://logon/");
  EXPECT_EQ(list.rows[8].label, u"s118");
  EXPECT_EQ(list.rows[8].value, u"Quill Ltd");
  EXPECT_EQ(list.rows[9].label, u"s119");
  EXPECT_EQ(list.rows[9].value, u"a note");
  for (size_t i = 6; i < 10; ++i) EXPECT_EQ(list.rows[i].selected, i % 2 == 0) << i;
}

TEST_F(BasicPageTest, LockedTokenShowsTheLockedText) {
  AddToken();
  Connect();
  CUsbKey key(ports);
  ASSERT_EQ(key.Refresh(), kRefreshFound);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(key.Login("wrong"), 1);  // the third locks the token
  CBasicPage page(ports);
  BasicPageList first = page.RefreshList();
  EXPECT_EQ(first.result, 0);
  EXPECT_EQ(first.rows[5].value, u"s113");  // the last error was the wrong password
  ASSERT_EQ(page.usbKey().LastError(), kTokenLockedError);
  BasicPageList second = page.RefreshList();
  EXPECT_EQ(second.rows[5].value, u"s148");
}

class AdvancedPageTest : public MonitorTest {
 protected:
  // The texts of the boxes the page itself showed (the helper shows its own).
  std::vector<std::u16string> PageMessages() const {
    std::vector<std::u16string> texts;
    for (const auto& box : boxes.shown) {
      if (box.owner == BoxOwner::kAdvancedPage) texts.push_back(box.text);
    }
    return texts;
  }
};

TEST_F(AdvancedPageTest, StatesFollowTheMachine) {
  CAdvancedPage page(ports);
  AdvancedPageStates states = page.RefreshStates();
  EXPECT_TRUE(states.fixIe32Enabled);
  EXPECT_FALSE(states.fixIe64Enabled);
  EXPECT_FALSE(states.firefoxEnabled);
  EXPECT_FALSE(states.autoStartChecked);
  EXPECT_FALSE(page.autoStartChecked());

  system.wow64 = true;
  registry.SetString(RegistryRoot::kCurrentUser, kFirefoxKey, u"", u"firefox.exe");
  registry.SetString(RegistryRoot::kCurrentUser, kRunKey, u"lumoMonitor",
                     u"C:\\Program Files\\Quill\\lumoMonitor.exe", false);
  states = page.RefreshStates();
  EXPECT_FALSE(states.fixIe32Enabled);
  EXPECT_TRUE(states.fixIe64Enabled);
  EXPECT_TRUE(states.firefoxEnabled);
  EXPECT_TRUE(states.autoStartChecked);
  EXPECT_TRUE(page.autoStartChecked());
}

TEST_F(AdvancedPageTest, FixWithoutTheControlFileSaysSoAndStops) {
  CAdvancedPage page(ports);
  EXPECT_FALSE(page.OnCommand(kIdcFixIe32));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].owner, BoxOwner::kAdvancedPage);
  EXPECT_EQ(boxes.shown[0].text, u"s138");
  EXPECT_EQ(boxes.shown[0].caption, u"s137");
  EXPECT_EQ(boxes.shown[0].flags, kMbOk);
  EXPECT_TRUE(processes.started.empty());
  EXPECT_TRUE(processes.shellOpens.empty());
  EXPECT_TRUE(registry.writes.empty());
}

TEST_F(AdvancedPageTest, FirefoxWithoutPackageSaysSo) {
  CAdvancedPage page(ports);
  EXPECT_FALSE(page.OnCommand(kIdcFirefox));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, u"s129");
  EXPECT_EQ(boxes.shown[0].caption, u"s137");
}

TEST_F(AdvancedPageTest, ChromeRunningStopsBeforeTheInstall) {
  processes.running = {u"explorer.exe", u"chrome.exe"};
  CAdvancedPage page(ports);
  EXPECT_FALSE(page.OnCommand(kIdcChrome));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, u"s160");
  EXPECT_TRUE(processes.shellOpens.empty());

  processes.running.clear();
  boxes.shown.clear();
  page.OnCommand(kIdcChrome);  // not running: the install runs and finds no package
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, u"s130");
}

TEST_F(AdvancedPageTest, SaveFollowsTheCheckBox) {
  registry.AddKey(RegistryRoot::kCurrentUser, kRunKey);
  files.AddFile(system.moduleFileName);
  CAdvancedPage page(ports);
  page.OnAutoStartChanged(true);
  EXPECT_FALSE(page.OnCommand(kIdcSave));
  ASSERT_EQ(PageMessages(), std::vector<std::u16string>{u"s132"});
  EXPECT_EQ(boxes.shown.back().caption, u"s135");
  EXPECT_EQ(registry.StringValue(RegistryRoot::kCurrentUser, kRunKey, u"lumoMonitor"),
            system.moduleFileName);

  page.OnAutoStartChanged(false);
  page.OnCommand(kIdcSave);
  EXPECT_EQ(PageMessages(), (std::vector<std::u16string>{u"s132", u"s134"}));
  EXPECT_EQ(registry.StringValue(RegistryRoot::kCurrentUser, kRunKey, u"lumoMonitor"), u"");

  registry.failWrites = true;
  page.OnAutoStartChanged(true);
  page.OnCommand(kIdcSave);
  page.OnAutoStartChanged(false);
  page.OnCommand(kIdcSave);  // a failed removal: the page itself says nothing
  EXPECT_EQ(PageMessages(), (std::vector<std::u16string>{u"s132", u"s134", u"s131"}));
}

TEST_F(AdvancedPageTest, SaveKeepsTheStateShownWithoutTouchingTheBox) {
  registry.SetString(RegistryRoot::kCurrentUser, kRunKey, u"lumoMonitor", system.moduleFileName,
                     false);
  files.AddFile(system.moduleFileName);
  CAdvancedPage page(ports);
  ASSERT_TRUE(page.RefreshStates().autoStartChecked);
  page.OnCommand(kIdcSave);
  EXPECT_EQ(PageMessages(), std::vector<std::u16string>{u"s132"});  // enabled again
}

class ModifyPasswordTest : public MonitorTest {
 protected:
  std::vector<std::u16string> Messages() const {
    std::vector<std::u16string> texts;
    for (const auto& box : boxes.shown) texts.push_back(box.text);
    return texts;
  }
};

TEST_F(ModifyPasswordTest, ChecksRunInOrderAndTheFirstFailureStops) {
  AddToken();
  Connect();
  server.Unplug(0);
  CModifyPassword dialog(ports);
  // No token: 157 even though every other check would fail too.
  DialogEnd end = dialog.OnOk(u"wrong", u"a", u"b");
  EXPECT_FALSE(end.ended);
  ASSERT_TRUE(server.Plug(0));
  // A wrong old password: 153 before the mismatch.
  dialog.OnOk(u"wrong", u"a", u"b");
  // Mismatch: 154 before the length.
  dialog.OnOk(u"12345678", std::u16string(40, u'n'), std::u16string(41, u'n'));
  // Too long, matching: 155 without touching the token's password.
  dialog.OnOk(u"12345678", std::u16string(33, u'n'), std::u16string(33, u'n'));
  EXPECT_EQ(Messages(), (std::vector<std::u16string>{u"s157", u"s153", u"s154", u"s155"}));
  for (const auto& box : boxes.shown) {
    EXPECT_EQ(box.owner, BoxOwner::kPasswordDialog);
    EXPECT_EQ(box.caption, u"s152");
    EXPECT_EQ(box.flags, kMbOk);
  }
  CUsbKey key(ports);
  ASSERT_EQ(key.Refresh(), kRefreshFound);
  EXPECT_EQ(key.Login(kTokenPassword), 0);
}

TEST_F(ModifyPasswordTest, SuccessChangesThePasswordAndEnds) {
  AddToken();
  Connect();
  CModifyPassword dialog(ports);
  std::u16string thirtyTwo(32, u'k');
  DialogEnd end = dialog.OnOk(u"12345678", thirtyTwo, thirtyTwo);
  EXPECT_TRUE(end.ended);
  EXPECT_EQ(end.result, kPasswordChangedResult);
  EXPECT_EQ(Messages(), std::vector<std::u16string>{u"s156"});
  CUsbKey key(ports);
  ASSERT_EQ(key.Refresh(), kRefreshFound);
  EXPECT_EQ(key.Login(std::string(32, 'k')), 0);
}

TEST_F(ModifyPasswordTest, FieldsAreReadUpTo63Characters) {
  AddToken();
  Connect();
  CModifyPassword dialog(ports);
  // The confirmation differs only after character 63, which is not read;
  // the new text is then longer than 32 bytes.
  std::u16string typed(63, u'c');
  dialog.OnOk(u"12345678", typed + u"x", typed + u"y");
  EXPECT_EQ(Messages(), std::vector<std::u16string>{u"s155"});
}

TEST_F(ModifyPasswordTest, CloseEndsWithZeroOtherCommandsDoNot) {
  CModifyPassword dialog(ports);
  DialogEnd close = dialog.OnSysCommand(kScClose);
  EXPECT_TRUE(close.ended);
  EXPECT_EQ(close.result, 0);
  EXPECT_FALSE(dialog.OnSysCommand(kScMinimize).ended);
}

TEST(MessageBoxInfoTest, AnswersFollowTheButtonPressed) {
  CMessageBoxInfo ok;
  DialogEnd end = ok.OnOk();
  EXPECT_TRUE(end.ended);
  EXPECT_EQ(end.result, 0);
  EXPECT_TRUE(ok.okPressed());
  EXPECT_FALSE(ok.cancelPressed());
  EXPECT_EQ(ok.Answer(), LockAnswer::kOk);

  CMessageBoxInfo cancel;
  EXPECT_EQ(cancel.OnCancel().result, 0);
  EXPECT_TRUE(cancel.cancelPressed());
  EXPECT_EQ(cancel.Answer(), LockAnswer::kCancel);

  CMessageBoxInfo closed;
  EXPECT_FALSE(closed.OnSysCommand(kScMinimize).ended);
  EXPECT_TRUE(closed.OnSysCommand(kScClose).ended);
  EXPECT_FALSE(closed.okPressed());
  EXPECT_FALSE(closed.cancelPressed());
  EXPECT_EQ(closed.Answer(), LockAnswer::kClosed);
}

}  // namespace
}  // namespace quill
