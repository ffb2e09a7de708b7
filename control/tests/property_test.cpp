// The properties, the key information cache, QuillSetKeyInfo and the file
// members.
#include <algorithm>

#include "control_fixture.h"
#include "error_codes.h"

namespace quill {
namespace {

constexpr uint8_t kReadKeyInfo = 0x25;

class PropertyTest : public ControlTest {
 protected:
  // How many key information reads reached the token.
  size_t KeyInfoReads(int id) {
    const std::vector<CommandRecord> commands = server.Stats(id).commands;
    return std::count_if(commands.begin(), commands.end(),
                         [](const CommandRecord& record) { return record.ins == kReadKeyInfo; });
  }

  // Writes the record behind the control's back (after a login).
  void WriteKeyInfo(const char* name, const char* description, uint8_t set = 0) {
    const uint8_t field[kModelSize] = {set};
    ASSERT_EQ(TokenLogin(SelectedHandle(), "12345678"), 0);
    ASSERT_EQ(TokenSetKeyInfo(SelectedHandle(), name, description, "url", "other", field), 0);
  }
};

TEST_F(PropertyTest, ModelKeepsZeroOrOne) {
  Connect();
  EXPECT_EQ(GetModel(), 0);
  PutModel(1);
  EXPECT_EQ(GetModel(), 1);
  PutModel(5);
  EXPECT_EQ(GetModel(), 0);
  PutModel(1);
  PutModel(-1);
  EXPECT_EQ(GetModel(), 0);
  Session().model = 7;  // not reachable through Model put
  EXPECT_EQ(GetModel(), -1);
}

TEST_F(PropertyTest, ModelPutDropsTheList) {
  AddToken();
  Connect();
  ASSERT_EQ(QuillCheckExist(), 1);
  PutModel(0);
  EXPECT_FALSE(Session().listValid);
  EXPECT_EQ(Session().model, 0);
}

TEST_F(PropertyTest, PutsKeepNothingAndAskNothing) {
  AddToken();
  Connect();
  ASSERT_EQ(QuillCheckExist(), 1);
  const size_t commands = server.Stats(0).commands.size();
  PutVersion(Text("9.9"));
  PutName(Text("name"));
  PutDescription(ScriptText::Null());
  PutUrl(Text("url"));
  PutOther(Text("other"));
  PutRequestEnabled(0);
  EXPECT_EQ(Utf8(GetVersion()), "3.3");
  EXPECT_EQ(server.Stats(0).commands.size(), commands);
  EXPECT_TRUE(Session().name.empty());
  EXPECT_EQ(Session().requestEnabled, 0);
  EXPECT_TRUE(Session().listValid);
  EXPECT_TRUE(Codes().empty());
}

TEST_F(PropertyTest, VersionNeedsNoToken) {
  Connect();
  EXPECT_EQ(GetVersion(), ScriptText::Of(u"3.3"));
  EXPECT_EQ(TokenGetLastError(), 0);
}

TEST_F(PropertyTest, FirstReadFillsTheCache) {
  AddToken();
  Connect();
  ASSERT_EQ(QuillCheckExist(), 1);
  WriteKeyInfo("alpha", "first token");
  EXPECT_EQ(Utf8(GetName()), "alpha");
  EXPECT_EQ(Utf8(GetDescription()), "first token");
  EXPECT_EQ(Utf8(GetUrl()), "url");
  EXPECT_EQ(Utf8(GetOther()), "other");
  EXPECT_EQ(GetRequestEnabled(), 1);
  EXPECT_EQ(KeyInfoReads(0), 1u);
  // A change on the token is not seen while the cache holds.
  WriteKeyInfo("beta", "changed");
  EXPECT_EQ(Utf8(GetName()), "alpha");
  EXPECT_EQ(KeyInfoReads(0), 1u);
  // A new search drops it.
  PutModel(0);
  ASSERT_EQ(QuillCheckExist(), 1);
  EXPECT_EQ(Utf8(GetName()), "beta");
  EXPECT_EQ(KeyInfoReads(0), 2u);
}

TEST_F(PropertyTest, EmptyFieldsAreNullTexts) {
  AddToken();
  Connect();
  EXPECT_EQ(GetName(), ScriptText::Null());
  EXPECT_TRUE(Session().keyInfoValid);
  EXPECT_TRUE(Codes().empty());
}

TEST_F(PropertyTest, NoTokenGivesTheUnreadableCodes) {
  Connect();
  Session().requestEnabled = 1;
  EXPECT_EQ(GetName(), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_NAME_UNREADABLE);
  EXPECT_EQ(QuillGetLastError(), kErrNoToken);  // LoadKeyInfo records no 4097
  EXPECT_EQ(GetDescription(), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_DESCRIPTION_UNREADABLE);
  EXPECT_EQ(GetUrl(), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_URL_UNREADABLE);
  EXPECT_EQ(GetOther(), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_OTHER_UNREADABLE);
  EXPECT_EQ(GetRequestEnabled(), 0);
}

TEST_F(PropertyTest, UnreadableRecordKeepsTheLastRequestEnabled) {
  AddToken();
  Connect();
  ASSERT_EQ(QuillCheckExist(), 1);
  ASSERT_EQ(GetRequestEnabled(), 1);
  // A locked token still answers its UID but no longer the record.
  for (int i = 0; i < 3; ++i) EXPECT_NE(TokenLogin(SelectedHandle(), "wrong"), 0);
  PutModel(0);
  ASSERT_EQ(QuillCheckExist(), 1);
  EXPECT_EQ(GetName(), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_NAME_UNREADABLE);
  EXPECT_FALSE(Session().keyInfoValid);
  EXPECT_EQ(GetRequestEnabled(), 1);
  // Without a token the value is forgotten.
  server.Unplug(0);
  EXPECT_EQ(GetRequestEnabled(), 0);
}

class SetKeyInfoTest : public PropertyTest {
 protected:
  void SetUp() override {
    token = AddToken(TokenModel::kB);
    Connect();
    PutModel(1);
  }
  int32_t Set(const std::string& name, const std::string& description = "d",
              const std::string& url = "u", const std::string& other = "o", int32_t set = 0) {
    return QuillSetKeyInfo(Text(name), Text(description), Text(url), Text(other), set);
  }
  int token = -1;
};

TEST_F(SetKeyInfoTest, WritesTheRecordAndDropsTheCache) {
  ASSERT_EQ(QuillOpen(Text("12345678")), 0);
  EXPECT_EQ(GetName(), ScriptText::Null());
  EXPECT_EQ(Set("gamma", "description", "https://example.test/", "other", 257), 0);
  EXPECT_FALSE(Session().keyInfoValid);
  EXPECT_EQ(Utf8(GetName()), "gamma");
  EXPECT_EQ(Utf8(GetDescription()), "description");
  EXPECT_EQ(Utf8(GetUrl()), "https://example.test/");
  EXPECT_EQ(Utf8(GetOther()), "other");
  // The last field is the low byte of nSet and seven zeros.
  char name[kNameSize + 1];
  char description[kDescriptionSize + 1];
  char url[kUrlSize + 1];
  char other[kOtherSize + 1];
  uint8_t model[kModelSize];
  ASSERT_EQ(TokenGetKeyInfo(SelectedHandle(), name, description, url, other, model), 0);
  EXPECT_EQ(std::vector<uint8_t>(model, model + kModelSize),
            (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Set("delta", "", "", "", -1), 0);
  EXPECT_EQ(server.Stored(token).keyInfo[kKeyInfoSize - kModelSize], 0xFF);
  EXPECT_EQ(GetDescription(), ScriptText::Null());
}

TEST_F(SetKeyInfoTest, FieldsAtTheirLimitsFit) {
  ASSERT_EQ(QuillOpen(Text("12345678")), 0);
  const std::string wide(64, 'w');
  EXPECT_EQ(Set(std::string(32, 'n'), wide, wide, wide), 0);
  EXPECT_EQ(Utf8(GetName()), std::string(32, 'n'));
  EXPECT_EQ(Utf8(GetOther()), wide);
}

TEST_F(SetKeyInfoTest, LimitsCountBytesInOrder) {
  EXPECT_EQ(Set(std::string(40, 'n')), 3);
  EXPECT_EQ(Codes().back(), CTL_NAME_TOO_LONG);
  // 17 characters of two bytes each.
  std::string accented;
  for (int i = 0; i < 17; ++i) accented += "\xC3\xA9";
  EXPECT_EQ(Set(accented), 3);
  EXPECT_EQ(Set("n", std::string(65, 'd'), std::string(65, 'u')), 4);
  EXPECT_EQ(Codes().back(), CTL_DESCRIPTION_TOO_LONG);
  EXPECT_EQ(Set("n", "d", std::string(65, 'u'), std::string(65, 'o')), 5);
  EXPECT_EQ(Codes().back(), CTL_URL_TOO_LONG);
  EXPECT_EQ(Set("n", "d", "u", std::string(65, 'o')), 6);
  EXPECT_EQ(Codes().back(), CTL_OTHER_TOO_LONG);
  EXPECT_EQ(server.Stored(token).keyInfo, StoredTokenState().keyInfo);
}

TEST_F(SetKeyInfoTest, NeedsTheSecondModelAndAToken) {
  PutModel(0);
  EXPECT_EQ(Set("n"), 1);
  EXPECT_EQ(QuillGetLastError(), CTL_WRONG_MODEL);
  PutModel(1);
  server.Unplug(token);
  EXPECT_EQ(Set("n"), 2);
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
}

TEST_F(SetKeyInfoTest, TokenRefusalKeepsTheCache) {
  ASSERT_EQ(QuillCheckExist(), 1);
  ASSERT_EQ(GetName(), ScriptText::Null());
  // Not logged in: the token refuses the write.
  EXPECT_EQ(Set("n"), 7);
  EXPECT_NE(QuillGetLastError(), 0);
  EXPECT_TRUE(Session().keyInfoValid);
}

class FileMemberTest : public ControlTest {};

TEST_F(FileMemberTest, EveryFileMemberIsRefused) {
  AddToken();
  Connect();
  ASSERT_EQ(QuillCheckExist(), 1);
  const size_t commands = server.Stats(0).commands.size();
  const struct {
    int32_t result;
    int32_t expected;
  } calls[] = {
      {QuillOpenFile(Text("a.txt"), 0), -1},
      {QuillWriteFile(1, Text("data")), 1},
      {QuillFlushFile(1), 1},
      {QuillFileSeek(1, -5), 1},
      {QuillDeleteFile(ScriptText::Null()), 1},
      {QuillRenameFile(Text("a"), Text("b")), 1},
      {QuillGetSize(0), -1},
      {QuillCloseFile(-1), 1},
      {QuillGetAvailableSpaces(), 1},
  };
  for (const auto& call : calls) EXPECT_EQ(call.result, call.expected);
  EXPECT_EQ(QuillReadFile(1, 100), ScriptText::Null());
  EXPECT_EQ(QuillGetLastError(), CTL_NOT_SUPPORTED);
  EXPECT_EQ(Codes(), std::vector<int>(10, CTL_NOT_SUPPORTED));
  EXPECT_EQ(server.Stats(0).commands.size(), commands);
}

TEST_F(FileMemberTest, RefusedWithoutTouchingTheSession) {
  Connect();
  EXPECT_EQ(QuillOpenFile(Text("x"), 1), -1);
  EXPECT_EQ(QuillGetLastError(), CTL_NOT_SUPPORTED);
  EXPECT_FALSE(Session().listValid);
  EXPECT_EQ(Session().count, 0);
}

}  // namespace
}  // namespace quill
