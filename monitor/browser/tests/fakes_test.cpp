// The fakes other tests lean on: if they drift from the system's behaviour,
// every test above them says the wrong thing.
#include <gtest/gtest.h>

#include "fake_registry.h"
#include "fake_text.h"

namespace quill::fake {
namespace {

TEST(FakeRegistryTest, KeysAndValueNamesIgnoreCaseAndOneTrailingBackslash) {
  FakeRegistry registry;
  registry.SetDword(RegistryRoot::kCurrentUser, u"Software\\Vendor\\App", u"Flag", 7);
  EXPECT_TRUE(registry.KeyOpens(RegistryRoot::kCurrentUser, u"SOFTWARE\\vendor\\app\\"));
  EXPECT_TRUE(registry.KeyOpens(RegistryRoot::kCurrentUser, u"Software\\Vendor"));
  EXPECT_FALSE(registry.KeyOpens(RegistryRoot::kLocalMachine, u"Software\\Vendor\\App"));
  uint32_t type = 0;
  std::vector<uint8_t> data;
  EXPECT_EQ(registry.ReadValue(RegistryRoot::kCurrentUser, u"software\\vendor\\app", u"FLAG", 4,
                               &type, &data),
            RegistryRead::kOk);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(data, (std::vector<uint8_t>{7, 0, 0, 0}));
}

TEST(FakeRegistryTest, ReadsFailWhenTooLargeMissingOrDenied) {
  FakeRegistry registry;
  registry.SetString(RegistryRoot::kCurrentUser, u"Key", u"Name", u"abc");  // 8 bytes
  std::vector<uint8_t> data{9};
  EXPECT_EQ(registry.ReadValue(RegistryRoot::kCurrentUser, u"Key", u"Name", 7, nullptr, &data),
            RegistryRead::kReadFailed);
  EXPECT_EQ(data, std::vector<uint8_t>{9});  // nothing returned
  EXPECT_EQ(registry.ReadValue(RegistryRoot::kCurrentUser, u"Key", u"Name", 8, nullptr, &data),
            RegistryRead::kOk);
  EXPECT_EQ(registry.ReadValue(RegistryRoot::kCurrentUser, u"Key", u"Other", 8, nullptr, &data),
            RegistryRead::kReadFailed);
  EXPECT_EQ(registry.ReadValue(RegistryRoot::kCurrentUser, u"Nope", u"Name", 8, nullptr, &data),
            RegistryRead::kKeyMissing);
  registry.DenyReading(RegistryRoot::kCurrentUser, u"Key");
  EXPECT_EQ(registry.ReadValue(RegistryRoot::kCurrentUser, u"Key", u"Name", 8, nullptr, &data),
            RegistryRead::kKeyMissing);
  EXPECT_EQ(registry.reads.size(), 5u);
}

TEST(FakeRegistryTest, WritesNeedAnExistingKeyAndAreRecorded) {
  FakeRegistry registry;
  EXPECT_FALSE(registry.WriteValue(RegistryRoot::kCurrentUser, u"A\\B", u"v", kRegSz, {1, 0}));
  EXPECT_TRUE(registry.CreateKey(RegistryRoot::kCurrentUser, u"A\\B"));
  EXPECT_TRUE(registry.HasKey(RegistryRoot::kCurrentUser, u"A"));
  EXPECT_TRUE(registry.WriteValue(RegistryRoot::kCurrentUser, u"A\\B", u"v", kRegSz, {}));
  registry.failWrites = true;
  EXPECT_FALSE(registry.WriteValue(RegistryRoot::kCurrentUser, u"A\\B", u"v", kRegSz, {1, 0}));
  ASSERT_EQ(registry.writes.size(), 3u);
  EXPECT_FALSE(registry.writes[0].succeeded);
  EXPECT_TRUE(registry.writes[1].succeeded);
  EXPECT_FALSE(registry.writes[2].succeeded);
  const auto* value = registry.FindValue(RegistryRoot::kCurrentUser, u"a\\b", u"V");
  ASSERT_NE(value, nullptr);
  EXPECT_TRUE(value->data.empty());

  registry.RemoveKey(RegistryRoot::kCurrentUser, u"A");
  EXPECT_FALSE(registry.HasKey(RegistryRoot::kCurrentUser, u"A\\B"));
  registry.failCreates = true;
  EXPECT_FALSE(registry.CreateKey(RegistryRoot::kCurrentUser, u"A\\B"));
  EXPECT_FALSE(registry.HasKey(RegistryRoot::kCurrentUser, u"A\\B"));
}

TEST(FakeTextTest, Latin1KeepsItsRangeAndReplacesTheRest) {
  FakeText text;
  EXPECT_EQ(text.ToNarrow(CodePage::kAnsi, u"Zoë 中"), "Zo\xEB ?");
  EXPECT_EQ(text.ToWide(CodePage::kThreadAnsi, "Zo\xEB"), u"Zoë");
}

TEST(FakeTextTest, ChineseIsTwoBytesPerIdeographAndRoundTrips) {
  FakeText text;
  const std::u16string sample = u"A\u3000\u303F\u4E00\u9FFF中文 é";
  const std::string narrow = text.ToNarrow(CodePage::kChinese936, sample);
  EXPECT_EQ(narrow.size(), 1u + 2 * 6 + 1 + 1);
  EXPECT_EQ(narrow.back(), '?');
  EXPECT_EQ(text.ToWide(CodePage::kChinese936, narrow), u"A\u3000\u303F\u4E00\u9FFF中文 ?");
  // A lone lead byte and a bad trail byte read back as '?'.
  EXPECT_EQ(text.ToWide(CodePage::kChinese936, "\x81"), u"?");
  EXPECT_EQ(text.ToWide(CodePage::kChinese936, "\x81\x20"), u"? ");
  // The thread's code page can be Chinese while the system's is not.
  text.threadAnsi = FakeText::Model::kChinese;
  EXPECT_EQ(text.ToWide(CodePage::kThreadAnsi, text.ToNarrow(CodePage::kThreadAnsi, u"中")), u"中");
  EXPECT_EQ(text.ToWide(CodePage::kAnsi, text.ToNarrow(CodePage::kAnsi, u"中")), u"?");
}

}  // namespace
}  // namespace quill::fake
