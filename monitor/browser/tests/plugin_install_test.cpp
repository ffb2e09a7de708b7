#include "helper_fixture.h"

namespace quill::testing {
namespace {

const std::u16string kIeDir = kMonitorDir + u"\\IE\\";
const std::u16string kXpi = kMonitorDir + u"\\Mozilla\\lumoPlugin.xpi";
const std::u16string kCrx = kMonitorDir + u"\\Chrome\\lumoPlugin.crx";
const std::u16string kFirefoxCommandKey = u"Software\\Classes\\FirefoxHTML\\shell\\open\\command";
const std::u16string kFirefoxExe = u"C:\\Program Files\\Mozilla Firefox\\firefox.exe";
const std::u16string kShortcut =
    u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Mozilla Firefox.lnk";
const std::u16string kChromeKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Google Chrome";
const std::u16string kChromeExe =
    u"C:\\Users\\ann\\AppData\\Local\\Google\\Chrome\\Application\\chrome.exe";

using IePluginTest = HelperTest;

TEST_F(IePluginTest, ControlFilesAreLookedForInTheIeFolder) {
  EXPECT_EQ(Helper().HasIePlugin32(), 0);
  EXPECT_EQ(Helper().HasIePlugin64(), 0);
  files.existing.insert(kIeDir + u"lumoActiveX.win32.ocx");
  EXPECT_EQ(Helper().HasIePlugin32(), 1);
  EXPECT_EQ(Helper().HasIePlugin64(), 0);
  files.existing.insert(kIeDir + u"lumoActiveX.x64.ocx");
  EXPECT_EQ(Helper().HasIePlugin64(), 1);

  system.moduleFileName = u"lumoMonitor.exe";
  EXPECT_EQ(Helper().HasIePlugin32(), 0);
}

TEST_F(IePluginTest, ControlPathLongerThanAPathBufferCountsAsMissing) {
  // 234 + "\IE\lumoActiveX.win32.ocx" (25) = 259 characters: fits.
  const std::u16string directory = u"C:\\" + std::u16string(231, u'q');
  system.moduleFileName = directory + u"\\m.exe";
  files.existing.insert(directory + u"\\IE\\lumoActiveX.win32.ocx");
  EXPECT_EQ(Helper().HasIePlugin32(), 1);

  system.moduleFileName = directory + u"q\\m.exe";
  files.existing.insert(directory + u"q\\IE\\lumoActiveX.win32.ocx");
  EXPECT_EQ(Helper().HasIePlugin32(), 0);
}

TEST_F(IePluginTest, RepairAsksThenStartsTheHelperHiddenWithTheBareControlName) {
  EXPECT_EQ(Helper().RepairIePlugin32(), 1);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].owner, BoxOwner::kNone);
  EXPECT_EQ(boxes.shown[0].text, u"s142");
  EXPECT_EQ(boxes.shown[0].caption, u"s141");
  EXPECT_EQ(boxes.shown[0].flags, kMbOkCancel | kMbIconWarning);
  ASSERT_EQ(processes.shellOpens.size(), 1u);
  EXPECT_EQ(processes.shellOpens[0].file, kIeDir + u"plugreg32.exe");
  EXPECT_EQ(processes.shellOpens[0].parameters, u"lumoActiveX.win32.ocx");
  EXPECT_EQ(processes.shellOpens[0].showCommand, kShowHide);

  EXPECT_EQ(Helper().RepairIePlugin64(), 1);
  ASSERT_EQ(processes.shellOpens.size(), 2u);
  EXPECT_EQ(processes.shellOpens[1].file, kIeDir + u"plugreg64.exe");
  EXPECT_EQ(processes.shellOpens[1].parameters, u"lumoActiveX.x64.ocx");
  EXPECT_EQ(processes.shellOpens[1].showCommand, kShowHide);
}

TEST_F(IePluginTest, CancelledRepairStartsNothing) {
  boxes.answers = {kIdCancel, kIdCancel};
  EXPECT_EQ(Helper().RepairIePlugin32(), 0);
  EXPECT_EQ(Helper().RepairIePlugin64(), 0);
  EXPECT_TRUE(processes.shellOpens.empty());
  EXPECT_EQ(boxes.shown.size(), 2u);
}

TEST_F(IePluginTest, OnlyAMissingHelperFailsTheRepair) {
  processes.shellOpenResult = 2;  // file not found
  EXPECT_EQ(Helper().RepairIePlugin32(), 0);
  EXPECT_EQ(Helper().RepairIePlugin64(), 0);
  for (intptr_t other : {0, 3, 5, 31, 33}) {
    processes.shellOpenResult = other;
    EXPECT_EQ(Helper().RepairIePlugin32(), 1) << other;
  }
}

TEST_F(IePluginTest, RepairWithoutAMonitorFolderStartsNothing) {
  system.moduleFileName = u"lumoMonitor.exe";
  EXPECT_EQ(Helper().RepairIePlugin32(), 0);
  EXPECT_TRUE(processes.shellOpens.empty());
}

using IeSettingsTest = HelperTest;

TEST_F(IeSettingsTest, AllowOnAllSitesCreatesTheKeyAndChecksIt) {
  const std::u16string key =
      u"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\"
      u"{6AAEEBD3-838D-4A35-9571-26EFC79882ED}\\iexplore\\AllowedDomains\\*";
  EXPECT_EQ(Helper().AllowControlOnAllSites(), 1);
  ASSERT_EQ(registry.creates.size(), 1u);
  EXPECT_EQ(registry.creates[0].root, RegistryRoot::kCurrentUser);
  EXPECT_EQ(registry.creates[0].path, key);
  EXPECT_TRUE(registry.HasKey(RegistryRoot::kCurrentUser, key));

  registry.RemoveKey(RegistryRoot::kCurrentUser, key);
  registry.failCreates = true;
  EXPECT_EQ(Helper().AllowControlOnAllSites(), 0);
}

TEST_F(IeSettingsTest, ProtectedModeSettingsAreDwordsOfFourBytes) {
  const std::u16string zone =
      u"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
  const std::u16string main = u"Software\\Microsoft\\Internet Explorer\\Main";
  registry.AddKey(RegistryRoot::kCurrentUser, zone);
  registry.AddKey(RegistryRoot::kCurrentUser, main);
  EXPECT_EQ(Helper().DisableInternetZoneProtectedMode(), 1);
  EXPECT_EQ(Helper().HideProtectedModeBanner(), 1);

  const auto* action = registry.FindValue(RegistryRoot::kCurrentUser, zone, u"2500");
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->type, kRegDword);
  EXPECT_EQ(action->data, (std::vector<uint8_t>{3, 0, 0, 0}));
  const auto* banner =
      registry.FindValue(RegistryRoot::kCurrentUser, main, u"NoProtectedModeBanner");
  ASSERT_NE(banner, nullptr);
  EXPECT_EQ(banner->type, kRegDword);
  EXPECT_EQ(banner->data, (std::vector<uint8_t>{1, 0, 0, 0}));
}

TEST_F(IeSettingsTest, FailedWritesReportZeroAndLeaveTheOtherInPlace) {
  // The zone key does not exist: that write fails, the banner is still set.
  const std::u16string main = u"Software\\Microsoft\\Internet Explorer\\Main";
  registry.AddKey(RegistryRoot::kCurrentUser, main);
  EXPECT_EQ(Helper().DisableInternetZoneProtectedMode(), 0);
  EXPECT_EQ(Helper().HideProtectedModeBanner(), 1);
  registry.failWrites = true;
  EXPECT_EQ(Helper().HideProtectedModeBanner(), 0);
  EXPECT_NE(registry.FindValue(RegistryRoot::kCurrentUser, main, u"NoProtectedModeBanner"),
            nullptr);
}

class FirefoxInstallTest : public HelperTest {
 protected:
  void SetCommand(const std::u16string& command) {
    registry.SetString(RegistryRoot::kCurrentUser, kFirefoxCommandKey, u"", command);
  }
};

TEST_F(FirefoxInstallTest, StartsTheQuotedExecutableWithTheQuotedPackage) {
  SetCommand(u"\"" + kFirefoxExe + u"\" -osint -url \"%1\"");
  files.AddFile(kXpi);
  files.AddFile(kFirefoxExe);
  EXPECT_EQ(Helper().InstallFirefoxPlugin(), 1);
  ASSERT_EQ(processes.shellOpens.size(), 1u);
  EXPECT_EQ(processes.shellOpens[0].file, u"\"" + kFirefoxExe + u"\"");
  EXPECT_EQ(processes.shellOpens[0].parameters, u"\"" + kXpi + u"\"");
  EXPECT_EQ(processes.shellOpens[0].showCommand, kShowShow);
  EXPECT_EQ(registry.reads[0].offered, 260u);
  EXPECT_EQ(registry.reads[0].path, kFirefoxCommandKey);
}

TEST_F(FirefoxInstallTest, CommandWithoutClosingQuoteNamesTheRest) {
  SetCommand(u"\"" + kFirefoxExe);
  files.AddFile(kXpi);
  files.AddFile(kFirefoxExe);
  EXPECT_EQ(Helper().InstallFirefoxPlugin(), 1);
  ASSERT_EQ(processes.shellOpens.size(), 1u);
  EXPECT_EQ(processes.shellOpens[0].file, u"\"" + kFirefoxExe + u"\"");
}

TEST_F(FirefoxInstallTest, MissingPackageStartsNothing) {
  SetCommand(u"\"" + kFirefoxExe + u"\"");
  files.AddFile(kFirefoxExe);
  files.existing.insert(kShortcut);
  files.existing.insert(kXpi);  // present but held open unshared
  EXPECT_EQ(Helper().InstallFirefoxPlugin(), 0);
  EXPECT_TRUE(processes.shellOpens.empty());
}

TEST_F(FirefoxInstallTest, UnquotedCommandFallsBackToTheShortcut) {
  SetCommand(kFirefoxExe + u" -osint -url \"%1\"");
  files.AddFile(kXpi);
  files.AddFile(kFirefoxExe);
  EXPECT_EQ(Helper().InstallFirefoxPlugin(), 0);
  EXPECT_TRUE(processes.shellOpens.empty());

  files.existing.insert(kShortcut);
  processes.shellOpenResult = 2;  // the shortcut's start is not checked
  EXPECT_EQ(Helper().InstallFirefoxPlugin(), 1);
  ASSERT_EQ(processes.shellOpens.size(), 1u);
  EXPECT_EQ(processes.shellOpens[0].file, kShortcut);
  EXPECT_EQ(processes.shellOpens[0].parameters, u"\"" + kXpi + u"\"");
  EXPECT_EQ(processes.shellOpens[0].showCommand, kShowShow);
}

TEST_F(FirefoxInstallTest, FailedStartOrUnrepresentableExecutableFallsBackToTheShortcut) {
  SetCommand(u"\"" + kFirefoxExe + u"\"");
  files.AddFile(kXpi);
  files.AddFile(kFirefoxExe);
  files.existing.insert(kShortcut);
  processes.shellOpenResult = 32;
  EXPECT_EQ(Helper().InstallFirefoxPlugin(), 1);
  ASSERT_EQ(processes.shellOpens.size(), 2u);
  EXPECT_EQ(processes.shellOpens[1].file, kShortcut);

  // An executable the code page cannot hold is not tried at all.
  const std::u16string chinese = u"D:\\火狐\\firefox.exe";
  SetCommand(u"\"" + chinese + u"\"");
  files.AddFile(chinese);
  processes.shellOpens.clear();
  processes.shellOpenResult = 42;
  EXPECT_EQ(Helper().InstallFirefoxPlugin(), 1);
  ASSERT_EQ(processes.shellOpens.size(), 1u);
  EXPECT_EQ(processes.shellOpens[0].file, kShortcut);
}

TEST_F(FirefoxInstallTest, NoMonitorFolderGivesZero) {
  SetCommand(u"\"" + kFirefoxExe + u"\"");
  files.AddFile(kFirefoxExe);
  system.moduleFileName = u"lumoMonitor.exe";
  files.AddFile(u"\\Mozilla\\lumoPlugin.xpi");
  EXPECT_EQ(Helper().InstallFirefoxPlugin(), 0);
  EXPECT_TRUE(processes.shellOpens.empty());
}

class ChromeInstallTest : public HelperTest {
 protected:
  void SetIcon(const std::u16string& icon) {
    registry.SetString(RegistryRoot::kCurrentUser, kChromeKey, u"DisplayIcon", icon);
  }
};

TEST_F(ChromeInstallTest, StartsChromeWithTheSwitchAndThePackage) {
  SetIcon(kChromeExe + u",0");
  files.AddFile(kCrx);
  files.AddFile(kChromeExe);
  processes.shellOpenResult = 2;  // not checked
  EXPECT_EQ(Helper().InstallChromePlugin(), 1);
  ASSERT_EQ(processes.shellOpens.size(), 1u);
  EXPECT_EQ(processes.shellOpens[0].file, u"\"" + kChromeExe + u"\"");
  EXPECT_EQ(processes.shellOpens[0].parameters,
            u"\"-enable-easy-off-store-extension-install\" \"" + kCrx + u"\"");
  EXPECT_EQ(processes.shellOpens[0].showCommand, kShowShow);
  EXPECT_EQ(registry.reads[0].name, u"DisplayIcon");
  EXPECT_EQ(registry.reads[0].offered, 260u);
}

TEST_F(ChromeInstallTest, IconWithoutIndexIsTheWholeText) {
  SetIcon(kChromeExe);
  files.AddFile(kCrx);
  files.AddFile(kChromeExe);
  EXPECT_EQ(Helper().InstallChromePlugin(), 1);
  ASSERT_EQ(processes.shellOpens.size(), 1u);
  EXPECT_EQ(processes.shellOpens[0].file, u"\"" + kChromeExe + u"\"");
}

TEST_F(ChromeInstallTest, QuotedIconNamesNoExistingFile) {
  SetIcon(u"\"" + kChromeExe + u"\",0");
  files.AddFile(kCrx);
  files.AddFile(kChromeExe);
  EXPECT_EQ(Helper().InstallChromePlugin(), 0);
  EXPECT_TRUE(processes.shellOpens.empty());
}

TEST_F(ChromeInstallTest, EachMissingPieceGivesZero) {
  files.AddFile(kCrx);
  files.AddFile(kChromeExe);
  EXPECT_EQ(Helper().InstallChromePlugin(), 0);  // no per-user uninstall entry

  registry.SetDword(RegistryRoot::kCurrentUser, kChromeKey, u"DisplayIcon", 1);
  EXPECT_EQ(Helper().InstallChromePlugin(), 0);  // not a string

  SetIcon(kChromeExe + u",0");
  files.RemoveFile(kCrx);
  EXPECT_EQ(Helper().InstallChromePlugin(), 0);

  files.AddFile(kCrx);
  files.RemoveFile(kChromeExe);
  EXPECT_EQ(Helper().InstallChromePlugin(), 0);
  EXPECT_TRUE(processes.shellOpens.empty());
}

TEST_F(ChromeInstallTest, PackageOutsideTheCodePagePassesExecutableOutsideFails) {
  const std::u16string chineseDir = u"D:\\令牌";
  const std::u16string chineseCrx = chineseDir + u"\\Chrome\\lumoPlugin.crx";
  system.moduleFileName = chineseDir + u"\\lumoMonitor.exe";
  SetIcon(kChromeExe + u",0");
  files.AddFile(chineseCrx);
  files.AddFile(kChromeExe);
  EXPECT_EQ(Helper().InstallChromePlugin(), 1);
  ASSERT_EQ(processes.shellOpens.size(), 1u);
  EXPECT_EQ(processes.shellOpens[0].parameters,
            u"\"-enable-easy-off-store-extension-install\" \"" + chineseCrx + u"\"");

  const std::u16string chineseExe = u"D:\\谷歌\\chrome.exe";
  SetIcon(chineseExe + u",0");
  files.AddFile(chineseExe);
  EXPECT_EQ(Helper().InstallChromePlugin(), 0);
}

}  // namespace
}  // namespace quill::testing
