#include "helper_fixture.h"

namespace quill::testing {
namespace {

const std::u16string kRunKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::u16string kSettingsKey =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\"
    u"{6AAEEBD3-838D-4A35-9571-26EFC79882ED}\\monitor";
const std::u16string kLogonUiKey =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Authentication\\LogonUI";
const std::u16string kExpectedProvider = u"{007F850C-06D0-4D2F-B830-6DEB50D5A1E3}";

class AutoStartTest : public HelperTest {
 protected:
  AutoStartTest() { registry.AddKey(RegistryRoot::kCurrentUser, kRunKey); }
  const fake::FakeRegistry::Value* RunValue() {
    return registry.FindValue(RegistryRoot::kCurrentUser, kRunKey, u"lumoMonitor");
  }
};

TEST_F(AutoStartTest, EnableWritesThePathWithoutTerminator) {
  files.AddFile(kMonitorExe);
  EXPECT_EQ(Helper().IsAutoStartEnabled(), 0);
  EXPECT_EQ(Helper().EnableAutoStart(), 1);
  const auto* value = RunValue();
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->type, kRegSz);
  EXPECT_EQ(value->data, Utf16(kMonitorExe));
  EXPECT_EQ(value->data.size(), 2 * kMonitorExe.size());
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(Helper().IsAutoStartEnabled(), 1);
  EXPECT_EQ(registry.reads.back().offered, 2048u);
}

TEST_F(AutoStartTest, DisableEmptiesTheValueWithoutDeletingIt) {
  files.AddFile(kMonitorExe);
  ASSERT_EQ(Helper().EnableAutoStart(), 1);
  EXPECT_EQ(Helper().DisableAutoStart(), 1);
  const auto* value = RunValue();
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->type, kRegSz);
  EXPECT_TRUE(value->data.empty());
  EXPECT_EQ(Helper().IsAutoStartEnabled(), 0);
}

TEST_F(AutoStartTest, ValueWrittenByAnotherToolCounts) {
  registry.SetString(RegistryRoot::kCurrentUser,
                     u"software\\microsoft\\windows\\currentversion\\run", u"lumoMonitor",
                     u"\"D:\\Other\\program.exe\" /quiet");
  EXPECT_EQ(Helper().IsAutoStartEnabled(), 1);
  registry.SetDword(RegistryRoot::kCurrentUser, kRunKey, u"lumoMonitor", 0);
  EXPECT_EQ(Helper().IsAutoStartEnabled(), 1);  // four bytes of data
  registry.SetString(RegistryRoot::kCurrentUser, kRunKey, u"lumoMonitor",
                     std::u16string(1024, u'x'));  // 2050 bytes: the read fails
  EXPECT_EQ(Helper().IsAutoStartEnabled(), 0);
  registry.RemoveKey(RegistryRoot::kCurrentUser, kRunKey);
  EXPECT_EQ(Helper().IsAutoStartEnabled(), 0);
}

TEST_F(AutoStartTest, MissingExecutableShowsTheMessageAndWritesNothing) {
  EXPECT_EQ(Helper().EnableAutoStart(), 0);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].owner, BoxOwner::kNone);
  EXPECT_EQ(boxes.shown[0].text, u"s126");
  EXPECT_EQ(boxes.shown[0].caption, u"s141");
  EXPECT_EQ(boxes.shown[0].flags, kMbOkCancel | kMbIconWarning);
  EXPECT_TRUE(registry.writes.empty());

  // A program under another name cannot be entered either.
  system.moduleFileName = kMonitorDir + u"\\renamed.exe";
  files.AddFile(system.moduleFileName);
  EXPECT_EQ(Helper().EnableAutoStart(), 0);
  EXPECT_TRUE(registry.writes.empty());

  // Nor one whose folder is unknown.
  system.moduleFileName = u"lumoMonitor.exe";
  files.AddFile(u"\\lumoMonitor.exe");
  EXPECT_EQ(Helper().EnableAutoStart(), 0);
  EXPECT_EQ(boxes.shown.size(), 3u);
  EXPECT_TRUE(registry.writes.empty());
}

TEST_F(AutoStartTest, FailedWritesReportZeroAndOnlyDisableShowsTheMessage) {
  files.AddFile(kMonitorExe);
  registry.failWrites = true;
  EXPECT_EQ(Helper().EnableAutoStart(), 0);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(Helper().DisableAutoStart(), 0);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, u"s126");
  EXPECT_EQ(boxes.shown[0].caption, u"s141");

  registry.failWrites = false;
  registry.RemoveKey(RegistryRoot::kCurrentUser, kRunKey);
  EXPECT_EQ(Helper().EnableAutoStart(), 0);
  EXPECT_EQ(Helper().DisableAutoStart(), 0);
}

class AdvancedPageTest : public HelperTest {
 protected:
  void SetRaw(uint32_t type, std::vector<uint8_t> data) {
    registry.SetValue(RegistryRoot::kCurrentUser, kSettingsKey, u"AdvancedPage", type, data);
  }
};

TEST_F(AdvancedPageTest, OnlyAFirstUnitOfOneHidesThePage) {
  EXPECT_EQ(Helper().IsAdvancedPageHidden(), 0);  // no key
  registry.AddKey(RegistryRoot::kCurrentUser, kSettingsKey);
  EXPECT_EQ(Helper().IsAdvancedPageHidden(), 0);  // no value

  registry.SetDword(RegistryRoot::kCurrentUser, kSettingsKey, u"AdvancedPage", 1);
  EXPECT_EQ(Helper().IsAdvancedPageHidden(), 1);
  EXPECT_EQ(registry.reads.back().offered, 255u);
  registry.SetDword(RegistryRoot::kCurrentUser, kSettingsKey, u"AdvancedPage", 0);
  EXPECT_EQ(Helper().IsAdvancedPageHidden(), 0);
  registry.SetDword(RegistryRoot::kCurrentUser, kSettingsKey, u"AdvancedPage", 2);
  EXPECT_EQ(Helper().IsAdvancedPageHidden(), 0);
  registry.SetDword(RegistryRoot::kCurrentUser, kSettingsKey, u"AdvancedPage", 0x10001);
  EXPECT_EQ(Helper().IsAdvancedPageHidden(), 1);  // only the first 16 bits count

  registry.SetString(RegistryRoot::kCurrentUser, kSettingsKey, u"AdvancedPage", u"1");
  EXPECT_EQ(Helper().IsAdvancedPageHidden(), 0);
}

TEST_F(AdvancedPageTest, ShortDataIsReadAsZeroFilled) {
  SetRaw(3, {1});  // one byte: the second reads as zero
  EXPECT_EQ(Helper().IsAdvancedPageHidden(), 1);
  SetRaw(3, {});
  EXPECT_EQ(Helper().IsAdvancedPageHidden(), 0);
  std::vector<uint8_t> large(256, 0);
  large[0] = 1;
  SetRaw(3, large);  // larger than the 255 bytes offered
  EXPECT_EQ(Helper().IsAdvancedPageHidden(), 0);
}

class LogonProviderTest : public HelperTest {
 protected:
  void SetProvider(const std::u16string& provider) {
    registry.SetString(RegistryRoot::kLocalMachine, kLogonUiKey, u"LastLoggedOnProvider", provider);
  }
};

TEST_F(LogonProviderTest, ResultsForEachStateOfTheLogonRecord) {
  EXPECT_EQ(Helper().CheckLogonProvider(), kLogonProviderNoKey);
  registry.AddKey(RegistryRoot::kLocalMachine, kLogonUiKey);
  EXPECT_EQ(Helper().CheckLogonProvider(), kLogonProviderMissing);
  registry.SetValue(RegistryRoot::kLocalMachine, kLogonUiKey, u"LastLoggedOnProvider", kRegSz, {});
  EXPECT_EQ(Helper().CheckLogonProvider(), kLogonProviderMissing);
  SetProvider(kExpectedProvider);
  EXPECT_EQ(Helper().CheckLogonProvider(), kLogonProviderExpected);
  EXPECT_EQ(registry.reads.back().offered, 255u);
  EXPECT_EQ(registry.reads.back().root, RegistryRoot::kLocalMachine);
  SetProvider(u"{60B78E88-EAD8-445C-9CFD-0B87F74EA6CD}");
  EXPECT_EQ(Helper().CheckLogonProvider(), kLogonProviderOther);
}

TEST_F(LogonProviderTest, ComparisonIsExact) {
  SetProvider(u"{007f850c-06d0-4d2f-b830-6deb50d5a1e3}");
  EXPECT_EQ(Helper().CheckLogonProvider(), kLogonProviderOther);
  SetProvider(kExpectedProvider + u" ");
  EXPECT_EQ(Helper().CheckLogonProvider(), kLogonProviderOther);
  SetProvider(kExpectedProvider.substr(0, 37));
  EXPECT_EQ(Helper().CheckLogonProvider(), kLogonProviderOther);
  // Stored without its terminator it is still the expected provider.
  registry.SetString(RegistryRoot::kLocalMachine, kLogonUiKey, u"LastLoggedOnProvider",
                     kExpectedProvider, false);
  EXPECT_EQ(Helper().CheckLogonProvider(), kLogonProviderExpected);
}

}  // namespace
}  // namespace quill::testing
