// The device list, its cache, the UIDs and the selection.
#include <algorithm>
#include <cctype>

#include "control_fixture.h"
#include "error_codes.h"

namespace quill {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

class PresenceTest : public ControlTest {};

TEST_F(PresenceTest, NoTokenLeavesTheSearchCodeFirst) {
  Connect();
  EXPECT_EQ(QuillCheckExist(), -1);
  EXPECT_EQ(QuillGetUID(), ScriptText::Null());
  // The search's own code stands before the control's.
  EXPECT_EQ(QuillGetLastError(), kErrNoToken);
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
  EXPECT_FALSE(Session().listValid);
  EXPECT_EQ(Session().count, 0);
}

TEST_F(PresenceTest, CountsTheTokensOfTheCurrentModelOnly) {
  AddToken(TokenModel::kA);
  AddToken(TokenModel::kB);
  AddToken(TokenModel::kA);
  Connect();
  EXPECT_EQ(QuillCheckExist(), 2);
  EXPECT_EQ(Utf8(QuillGetUID()), UidOf(0));
  EXPECT_EQ(QuillGetLastError(), 0);
  PutModel(1);
  EXPECT_EQ(QuillCheckExist(), 1);
  EXPECT_EQ(Utf8(QuillGetUID()), UidOf(1));
}

TEST_F(PresenceTest, CachedListHidesANewTokenUntilDropped) {
  AddToken();
  AddToken();
  Connect();
  server.Unplug(1);
  EXPECT_EQ(QuillCheckExist(), 1);
  ASSERT_TRUE(server.Plug(1));
  EXPECT_EQ(QuillCheckExist(), 1);
  EXPECT_EQ(Utf8(QuillGetUID()), UidOf(0));
  PutModel(0);  // drops the list
  EXPECT_EQ(QuillCheckExist(), 2);
  EXPECT_EQ(Utf8(QuillGetUIDByIndex(1)), UidOf(1));
}

TEST_F(PresenceTest, LoginSearchesAgain) {
  AddToken();
  AddToken();
  Connect();
  server.Unplug(1);
  EXPECT_EQ(QuillCheckExist(), 1);
  ASSERT_TRUE(server.Plug(1));
  EXPECT_EQ(QuillOpen(Text("12345678")), 0);
  EXPECT_EQ(QuillCheckExist(), 2);
}

TEST_F(PresenceTest, RemovedTokenMakesTheListStaleUntilSearchedAgain) {
  AddToken();
  Connect();
  ASSERT_EQ(QuillCheckExist(), 1);
  server.Unplug(0);
  EXPECT_EQ(RefreshDeviceList(), -2);
  EXPECT_TRUE(Session().listValid);  // a stale list stays cached
  EXPECT_EQ(QuillGetUID(), ScriptText::Null());
  ASSERT_FALSE(Codes().empty());
  EXPECT_NE(Codes().front(), CTL_NO_TOKEN);  // the failed UID read comes first
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
  EXPECT_EQ(QuillCheckExist(), -1);
  EXPECT_FALSE(Session().listValid);
  ASSERT_TRUE(server.Plug(0));
  EXPECT_EQ(QuillCheckExist(), 1);
}

TEST_F(PresenceTest, NewSearchDropsTheKeyInformationCache) {
  AddToken();
  Connect();
  ASSERT_EQ(QuillCheckExist(), 1);
  Session().keyInfoValid = true;
  EXPECT_EQ(QuillCheckExist(), 1);
  EXPECT_TRUE(Session().keyInfoValid);  // the cached list was reused
  PutModel(0);
  EXPECT_EQ(QuillCheckExist(), 1);
  EXPECT_FALSE(Session().keyInfoValid);
}

TEST_F(PresenceTest, SelectIdPicksTheTokenWithThatUid) {
  AddToken();
  AddToken();
  Connect();
  ASSERT_EQ(QuillCheckExist(), 2);
  EXPECT_EQ(QuillSelectId(Text(UidOf(1))), 0);
  EXPECT_EQ(Session().selected, 1);
  EXPECT_EQ(Utf8(QuillGetUID()), UidOf(1));
  // UIDs are lowercase: the same id in capitals matches nothing.
  EXPECT_EQ(QuillSelectId(Text(Upper(UidOf(0)))), 0);
  EXPECT_EQ(Session().selected, 1);
  EXPECT_EQ(QuillGetLastError(), 0);
  // An unknown id leaves the selection as it was, without a code.
  EXPECT_EQ(QuillSelectId(Text(std::string(32, 'a'))), 0);
  EXPECT_EQ(Session().selected, 1);
  EXPECT_TRUE(Codes().empty());
}

TEST_F(PresenceTest, SelectIdWantsExactly32Characters) {
  AddToken();
  Connect();
  ASSERT_FALSE(QuillGetUID().isNull);
  const std::string uid = UidOf(0);
  EXPECT_EQ(QuillSelectId(Text(uid.substr(0, 31))), 2);
  EXPECT_EQ(QuillGetLastError(), CTL_BAD_ID);
  EXPECT_EQ(QuillSelectId(Text(uid + "0")), 2);
  EXPECT_EQ(Codes().back(), CTL_BAD_ID);
  EXPECT_EQ(QuillSelectId(ScriptText::Null()), 2);
  EXPECT_EQ(Codes().back(), CTL_BAD_ID);
  // The length is the whole text's; the id read ends at its NUL.
  std::u16string padded = Utf8ToUtf16(uid.substr(0, 31));
  padded.push_back(u'\0');
  EXPECT_EQ(QuillSelectId(ScriptText::Of(padded)), 0);
  padded.push_back(u'0');
  EXPECT_EQ(QuillSelectId(ScriptText::Of(padded)), 2);
  EXPECT_EQ(Codes().back(), CTL_BAD_ID);
  // 32 characters of which some are not ASCII: well formed, matches nothing.
  EXPECT_EQ(QuillSelectId(Text(uid.substr(0, 30) + "\xC3\xA9\xC3\xA9")), 0);
  EXPECT_EQ(QuillSelectId(Text(uid)), 0);
  EXPECT_TRUE(Codes().empty());
}

TEST_F(PresenceTest, SelectIdWithoutTokenFailsFirst) {
  Connect();
  EXPECT_EQ(QuillSelectId(Text("short")), 1);
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
}

TEST_F(PresenceTest, SelectionIsAPositionThatSurvivesRebuilds) {
  AddToken();
  AddToken();
  Connect();
  ASSERT_EQ(QuillCheckExist(), 2);
  ASSERT_EQ(QuillSelectId(Text(UidOf(1))), 0);
  server.Unplug(0);
  PutModel(0);
  EXPECT_EQ(QuillCheckExist(), 1);
  EXPECT_EQ(Session().selected, 1);
  // Position 1 names no token now: the selected handle is invalid.
  EXPECT_EQ(SelectedHandle(), -1);
  EXPECT_EQ(QuillGetUID(), ScriptText::Null());
  EXPECT_NE(QuillGetLastError(), 0);
  const std::vector<int> codes = Codes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), CTL_NO_TOKEN), 0);
}

TEST_F(PresenceTest, UidByIndexChecksTheCountOfThePreviousSearch) {
  AddToken();
  AddToken();
  Connect();
  // A fresh session has searched nothing yet: every index above 0 is out.
  EXPECT_EQ(QuillGetUIDByIndex(1), ScriptText::Null());
  EXPECT_EQ(QuillGetLastError(), CTL_INDEX_OUT_OF_RANGE);
  ASSERT_EQ(QuillCheckExist(), 2);
  EXPECT_EQ(Utf8(QuillGetUIDByIndex(1)), UidOf(1));
  EXPECT_EQ(Utf8(QuillGetUIDByIndex(0)), UidOf(0));
  EXPECT_EQ(QuillGetUIDByIndex(3), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_INDEX_OUT_OF_RANGE);
  // Equal to the count passes the first check, not the second.
  EXPECT_EQ(QuillGetUIDByIndex(2), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_UID_UNREADABLE);
  EXPECT_EQ(QuillGetUIDByIndex(-1), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_UID_UNREADABLE);
  EXPECT_EQ(QuillGetUIDByIndex(INT32_MIN), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_UID_UNREADABLE);
}

TEST_F(PresenceTest, UidByIndexWithoutToken) {
  Connect();
  EXPECT_EQ(QuillGetUIDByIndex(0), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
}

TEST_F(PresenceTest, IsConnectedComparesWholeUids) {
  AddToken();
  AddToken();
  Connect();
  EXPECT_EQ(QuillIsConnected(Text(UidOf(1))), 0);
  EXPECT_EQ(QuillIsConnected(Text(UidOf(0))), 0);
  EXPECT_EQ(QuillIsConnected(Text(std::string(32, '0'))), 3);
  EXPECT_TRUE(Codes().empty());
  EXPECT_EQ(QuillIsConnected(Text(Upper(UidOf(1)))), 3);
  EXPECT_EQ(QuillIsConnected(Text(UidOf(1).substr(1))), 2);
  EXPECT_EQ(QuillGetLastError(), CTL_BAD_ID);
  EXPECT_EQ(QuillIsConnected(ScriptText::Null()), 2);
  // An id that reads as empty matches no token.
  EXPECT_EQ(QuillIsConnected(ScriptText::Of(std::u16string(32, u'\0'))), 3);
}

TEST_F(PresenceTest, IsConnectedSearchesAgainWhenTheListIsStale) {
  AddToken();
  AddToken();
  Connect();
  server.Unplug(1);
  ASSERT_EQ(QuillCheckExist(), 1);
  ASSERT_TRUE(server.Plug(1));
  // The cached list still answers: the new token is not seen.
  EXPECT_EQ(QuillIsConnected(Text(UidOf(1))), 3);
  server.Unplug(0);
  // The stale list is dropped and the search finds the other token.
  EXPECT_EQ(QuillIsConnected(Text(UidOf(1))), 0);
  server.Unplug(1);
  EXPECT_EQ(QuillIsConnected(Text(UidOf(1))), 1);
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
}

}  // namespace
}  // namespace quill
