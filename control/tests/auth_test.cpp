// Login, logout and password change through the members.
#include "control_fixture.h"
#include "server_side.h"

namespace quill {
namespace {

using server_side::CommandCount;

constexpr uint8_t kInsVerify = 0x15;
constexpr uint8_t kInsChange = 0x17;
constexpr uint8_t kInsLogout = 0x19;
constexpr int kWrongPasswordCode = 522;  // status word 0x6982 from the token

class AuthTest : public ControlTest {};

TEST_F(AuthTest, OpenChecksThePasswordLengthInBytesBeforeAskingTheToken) {
  const int id = AddToken();
  Connect();
  EXPECT_EQ(QuillOpen(Text(std::string(33, 'a'))), 2);
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_PIN_TOO_LONG}));
  // 17 two-byte characters: 17 characters, 34 bytes.
  std::string accented;
  for (int i = 0; i < 17; ++i) accented += "\xc3\xa9";
  EXPECT_EQ(QuillOpen(Text(accented)), 2);
  EXPECT_EQ(CommandCount(server, id, kInsVerify), 0u);

  EXPECT_NE(QuillOpen(Text(std::string(32, 'a'))), 0);
  EXPECT_EQ(CommandCount(server, id, kInsVerify), 1u) << "32 bytes go to the token";
  EXPECT_EQ(QuillGetLastError(), kWrongPasswordCode);
}

TEST_F(AuthTest, OpenLogsInWithTheRightPasswordAndRefusesAWrongOne) {
  const int id = AddToken();
  Connect();
  EXPECT_NE(QuillOpen(Text("87654321")), 0);
  EXPECT_EQ(QuillGetLastError(), kWrongPasswordCode);
  EXPECT_FALSE(server.Session(id).passwordVerified);
  EXPECT_EQ(QuillOpen(Text("12345678")), 0);
  EXPECT_TRUE(server.Session(id).passwordVerified);
  EXPECT_EQ(QuillGetLastError(), 0);
}

TEST_F(AuthTest, OpenSearchesAgainSoThatAReplugTokenIsFound) {
  const int id = AddToken();
  Connect();
  ASSERT_EQ(QuillCheckExist(), 1);
  server.Unplug(id);
  EXPECT_EQ(QuillGetUID(), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN) << "the cached list went stale";
  ASSERT_TRUE(server.Plug(id));
  EXPECT_EQ(QuillOpen(Text("12345678")), 0);
  EXPECT_TRUE(server.Session(id).passwordVerified);
}

TEST_F(AuthTest, MembersWithoutATokenFailWithTheirFirstStep) {
  Connect();
  EXPECT_EQ(QuillOpen(Text("12345678")), 1);
  EXPECT_EQ(QuillGetLastError(), 84) << "the search's code stands before 4097";
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
  EXPECT_EQ(QuillClose(), 1);
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
  EXPECT_EQ(QuillChangePassword(Text("a"), Text("b")), 1);
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
}

TEST_F(AuthTest, OpenExWithoutATokenNeverShowsTheDialog) {
  Connect();
  ports.dialog.user = [](LoginDialogController&) { return 0; };
  EXPECT_EQ(QuillOpenEx(), 1);
  EXPECT_EQ(ports.dialog.shown, 0);
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
}

TEST_F(AuthTest, CloseLogsOutTheSelectedToken) {
  const int id = AddToken();
  Connect();
  ASSERT_EQ(QuillOpen(Text("12345678")), 0);
  EXPECT_EQ(QuillClose(), 0);
  EXPECT_EQ(CommandCount(server, id, kInsLogout), 1u);
  EXPECT_FALSE(server.Session(id).passwordVerified);
}

TEST_F(AuthTest, ChangePasswordLimitsBothTextsTo32Characters) {
  const int id = AddToken();
  Connect();
  const std::string longText(33, 'n');
  EXPECT_EQ(QuillChangePassword(Text("12345678"), Text(longText)), 2);
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_PASSWORD_TOO_LONG}));
  EXPECT_EQ(QuillChangePassword(Text(longText), Text("new")), 2);
  EXPECT_EQ(CommandCount(server, id, kInsVerify) + CommandCount(server, id, kInsChange), 0u);
}

TEST_F(AuthTest, ChangePasswordReplacesThePasswordOnlyWithTheRightOldOne) {
  const int id = AddToken();
  Connect();
  EXPECT_NE(QuillChangePassword(Text("wrong"), Text("abcdefgh")), 0);
  EXPECT_EQ(CommandCount(server, id, kInsChange), 0u);
  EXPECT_EQ(QuillChangePassword(Text("12345678"), Text(std::string(32, 'z'))), 0);
  EXPECT_EQ(server.Stored(id).password, TokenPasswordDigest(std::string(32, 'z')));
  EXPECT_NE(QuillOpen(Text("12345678")), 0);
  EXPECT_EQ(QuillOpen(Text(std::string(32, 'z'))), 0);
}

}  // namespace
}  // namespace quill
