#include "helper_fixture.h"

namespace quill::testing {
namespace {

const std::u16string kIeKey = u"Software\\Microsoft\\Internet Explorer";
const std::u16string kInprocKey = u"CLSID\\{6AAEEBD3-838D-4A35-9571-26EFC79882ED}\\InprocServer32";
const std::u16string kControlFile = u"C:\\Windows\\SysWOW64\\lumoActiveX.win32.ocx";
const std::u16string kFirefoxKey = u"Software\\Classes\\FirefoxHTML\\shell\\open\\command\\";
const std::u16string kShortcut =
    u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Mozilla Firefox.lnk";

using IeVersionTest = HelperTest;

TEST_F(IeVersionTest, ServiceVersionComesBeforeVersion) {
  registry.SetString(RegistryRoot::kLocalMachine, kIeKey, u"svcVersion", u"11.0.9600.18860");
  registry.SetString(RegistryRoot::kLocalMachine, kIeKey, u"Version", u"9.11.9600.18860");
  EXPECT_EQ(Helper().GetIeVersion(), u"11.0.9600.18860");
  ASSERT_EQ(registry.reads.size(), 1u);
  EXPECT_EQ(registry.reads[0].offered, 255u);
}

TEST_F(IeVersionTest, VersionAloneIsReported) {
  registry.SetString(RegistryRoot::kLocalMachine, kIeKey, u"Version", u"8.0.6001.18702");
  EXPECT_EQ(Helper().GetIeVersion(), u"8.0.6001.18702");
  ASSERT_EQ(registry.reads.size(), 2u);
  EXPECT_EQ(registry.reads[1].name, u"Version");
  EXPECT_EQ(registry.reads[1].offered, 255u);
}

TEST_F(IeVersionTest, EmptyWithoutValuesOrKeyOrWhenTooLong) {
  registry.AddKey(RegistryRoot::kLocalMachine, kIeKey);
  EXPECT_EQ(Helper().GetIeVersion(), u"");
  registry.SetString(RegistryRoot::kLocalMachine, kIeKey, u"Version", std::u16string(127, u'9'));
  EXPECT_EQ(Helper().GetIeVersion(), u"");  // 256 bytes with the terminator: does not fit
  registry.RemoveKey(RegistryRoot::kLocalMachine, kIeKey);
  EXPECT_EQ(Helper().GetIeVersion(), u"");
}

TEST_F(IeVersionTest, ValueFillingTheWholeOfferWithoutTerminatorIsReadToItsEnd) {
  // 254 bytes, no terminator: 127 characters and nothing beyond them.
  registry.SetString(RegistryRoot::kLocalMachine, kIeKey, u"svcVersion", std::u16string(127, u'7'),
                     false);
  EXPECT_EQ(Helper().GetIeVersion(), std::u16string(127, u'7'));
}

using ControlRegistrationTest = HelperTest;

TEST_F(ControlRegistrationTest, RegisteredWhenTheServerFileOpens) {
  registry.SetString(RegistryRoot::kClassesRoot, kInprocKey, u"", kControlFile);
  files.withoutAccess.insert(kControlFile);
  EXPECT_EQ(Helper().IsIeControlRegistered(), 1);
  ASSERT_EQ(registry.reads.size(), 1u);
  EXPECT_EQ(registry.reads[0].path, kInprocKey);
  EXPECT_EQ(registry.reads[0].name, u"");
  EXPECT_EQ(registry.reads[0].offered, 1040u);
  EXPECT_EQ(files.asked, std::vector<std::u16string>{kControlFile});
}

TEST_F(ControlRegistrationTest, DeletedServerFileOrMissingEntryIsNotRegistered) {
  registry.SetString(RegistryRoot::kClassesRoot, kInprocKey, u"", kControlFile);
  EXPECT_EQ(Helper().IsIeControlRegistered(), 0);

  registry.SetString(RegistryRoot::kClassesRoot, kInprocKey, u"", u"");
  files.withoutAccess.insert(u"");
  EXPECT_EQ(Helper().IsIeControlRegistered(), 0);

  registry.RemoveKey(RegistryRoot::kClassesRoot, kInprocKey);
  files.withoutAccess.insert(kControlFile);
  EXPECT_EQ(Helper().IsIeControlRegistered(), 0);
}

using FirefoxProbeTest = HelperTest;

TEST_F(FirefoxProbeTest, PerUserClassKeyIsEnough) {
  registry.AddKey(RegistryRoot::kCurrentUser, kFirefoxKey);
  EXPECT_EQ(Helper().IsFirefoxInstalled(), 1);
  ASSERT_FALSE(registry.opens.empty());
  EXPECT_EQ(registry.opens[0].second, kFirefoxKey);  // trailing backslash kept
  EXPECT_TRUE(files.asked.empty());
}

TEST_F(FirefoxProbeTest, AllUsersShortcutWithoutTheClassKey) {
  files.existing.insert(kShortcut);
  EXPECT_EQ(Helper().IsFirefoxInstalled(), 1);
  files.existing.clear();
  EXPECT_EQ(Helper().IsFirefoxInstalled(), 0);
  system.commonProgramsKnown = false;
  files.existing.insert(kShortcut);
  EXPECT_EQ(Helper().IsFirefoxInstalled(), 0);
}

TEST_F(FirefoxProbeTest, ShortcutFolderPassesThroughTheThreadCodePage) {
  // A folder the thread's code page cannot hold turns into '?' characters.
  system.commonPrograms = u"C:\\ProgramData\\开始菜单";
  files.existing.insert(u"C:\\ProgramData\\开始菜单\\Mozilla Firefox.lnk");
  EXPECT_EQ(Helper().IsFirefoxInstalled(), 0);
  EXPECT_EQ(files.asked.back(), u"C:\\ProgramData\\????\\Mozilla Firefox.lnk");

  text.threadAnsi = fake::FakeText::Model::kChinese;
  EXPECT_EQ(Helper().IsFirefoxInstalled(), 1);
}

TEST_F(FirefoxProbeTest, ShortcutPathLongerThanAPathBufferIsNotTried) {
  system.commonPrograms = u"C:\\" + std::u16string(236, u'p');  // 239 + 20 = 259: fits
  files.existing.insert(system.commonPrograms + u"\\Mozilla Firefox.lnk");
  EXPECT_EQ(Helper().IsFirefoxInstalled(), 1);
  system.commonPrograms += u"p";
  files.existing.insert(system.commonPrograms + u"\\Mozilla Firefox.lnk");
  files.asked.clear();
  EXPECT_EQ(Helper().IsFirefoxInstalled(), 0);
  EXPECT_TRUE(files.asked.empty());
}

TEST_F(HelperTest, ChromeIsInstalledWhenItsPerUserUpdateKeyOpens) {
  EXPECT_EQ(Helper().IsChromeInstalled(), 0);
  registry.AddKey(RegistryRoot::kCurrentUser, u"Software\\Google\\Update");
  EXPECT_EQ(Helper().IsChromeInstalled(), 1);
  EXPECT_EQ(registry.opens.back().second, u"Software\\Google\\Update\\");
  registry.DenyReading(RegistryRoot::kCurrentUser, u"Software\\Google\\Update");
  EXPECT_EQ(Helper().IsChromeInstalled(), 0);
}

using ProcessRunningTest = HelperTest;

TEST_F(ProcessRunningTest, MatchesTheStartOfTheNameCaseSensitively) {
  processes.running = {u"explorer.exe", u"Chrome.exe", u"CHROME.EXE"};
  EXPECT_EQ(Helper().IsProcessRunning(u"chrome.exe"), 0);
  processes.running.push_back(u"chrome.exe.old");
  EXPECT_EQ(Helper().IsProcessRunning(u"chrome.exe"), 1);
  processes.running = {u"chrome.ex"};
  EXPECT_EQ(Helper().IsProcessRunning(u"chrome.exe"), 0);
  processes.running = {u"chrome.exe"};
  EXPECT_EQ(Helper().IsProcessRunning(u"chrome.exe"), 1);
}

TEST_F(ProcessRunningTest, FailedSnapshotCountsAsRunning) {
  processes.snapshotSucceeds = false;
  EXPECT_EQ(Helper().IsProcessRunning(u"chrome.exe"), 1);
}

using FileProbeTest = HelperTest;

TEST_F(FileProbeTest, FileExistsOnlyWhenItOpensUnshared) {
  const std::u16string path = u"C:\\data\\file.bin";
  files.existing.insert(path);
  files.withoutAccess.insert(path);
  EXPECT_EQ(Helper().FileExists(path), 0);  // held open by another program
  files.unshared.insert(path);
  EXPECT_EQ(Helper().FileExists(path), 1);
}

TEST_F(FileProbeTest, AnsiRoundTripLosesCharactersOutsideTheCodePage) {
  const std::u16string western = u"C:\\Users\\Zoë\\chrome.exe";
  const std::u16string chinese = u"C:\\用户\\chrome.exe";
  files.AddFile(western);
  files.AddFile(chinese);
  EXPECT_EQ(Helper().FileExistsAnsi(western), 1);
  EXPECT_EQ(Helper().FileExistsAnsi(chinese), 0);
  EXPECT_EQ(files.asked.back(), u"C:\\??\\chrome.exe");
  EXPECT_EQ(Helper().FileExists(chinese), 1);

  // Out to the thread's code page, back from the system's.
  text.conversions.clear();
  Helper().FileExistsAnsi(western);
  ASSERT_EQ(text.conversions.size(), 2u);
  EXPECT_EQ(text.conversions[0].codePage, CodePage::kThreadAnsi);
  EXPECT_TRUE(text.conversions[0].toNarrow);
  EXPECT_EQ(text.conversions[1].codePage, CodePage::kAnsi);
  EXPECT_FALSE(text.conversions[1].toNarrow);

  // A Chinese thread code page on a western system: the bytes come back
  // as other characters.
  text.threadAnsi = fake::FakeText::Model::kChinese;
  EXPECT_EQ(Helper().FileExistsAnsi(chinese), 0);
  text.ansi = fake::FakeText::Model::kChinese;
  EXPECT_EQ(Helper().FileExistsAnsi(chinese), 1);
}

TEST_F(FileProbeTest, AnsiPathLongerThanItsBufferIsReportedMissing) {
  const std::u16string fits = u"C:\\" + std::u16string(1020, u'a');  // 1023 bytes
  const std::u16string cut = fits + u"a";
  files.AddFile(fits);
  files.AddFile(cut);
  EXPECT_EQ(Helper().FileExistsAnsi(fits), 1);
  files.asked.clear();
  EXPECT_EQ(Helper().FileExistsAnsi(cut), 0);
  EXPECT_TRUE(files.asked.empty());
}

TEST_F(FileProbeTest, MonitorDirectoryIsTheModulePathBeforeItsLastBackslash) {
  std::u16string directory;
  ASSERT_TRUE(Helper().MonitorDirectory(&directory));
  EXPECT_EQ(directory, kMonitorDir);

  system.moduleFileName = u"lumoMonitor.exe";
  EXPECT_FALSE(Helper().MonitorDirectory(&directory));

  system.moduleFileName = u"\\\\server\\share\\";
  ASSERT_TRUE(Helper().MonitorDirectory(&directory));
  EXPECT_EQ(directory, u"\\\\server\\share");
}

TEST_F(FileProbeTest, ModulePathThatFillsItsBufferIsNotUsed) {
  std::u16string directory;
  system.moduleFileName = u"C:\\" + std::u16string(239, u'd') + u"\\lumoMonitor.exe";  // 258
  ASSERT_TRUE(Helper().MonitorDirectory(&directory));
  EXPECT_EQ(directory.size(), 242u);

  system.moduleFileName = u"C:\\" + std::u16string(240, u'd') + u"\\lumoMonitor.exe";  // 259
  EXPECT_FALSE(Helper().MonitorDirectory(&directory));
  system.moduleFileName = u"C:\\" + std::u16string(300, u'd') + u"\\lumoMonitor.exe";
  EXPECT_FALSE(Helper().MonitorDirectory(&directory));
}

}  // namespace
}  // namespace quill::testing
