// Control commands against a running server, without the socket.
#include "control.h"

#include <gtest/gtest.h>

#include "raw_client.h"

namespace quill {
namespace {

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start());
    TokenSpec cdrom;
    cdrom.kind = TokenKind::kCdrom;
    cdrom.model = TokenModel::kB;
    server_.AddToken(TokenSpec());
    server_.AddToken(cdrom);
  }

  std::string Run(const std::string& line) {
    bool quit = false;
    return RunControlCommand(server_, line, &quit);
  }

  VirtualTokenServer server_{kTestFrameKey};
};

TEST_F(ControlTest, ListsPlugsAndUnplugs) {
  EXPECT_EQ(Run("list"), "ok 0 hid A " + server_.Endpoint(0) + " plugged, 1 cdrom B " +
                             server_.Endpoint(1) + " plugged");
  EXPECT_EQ(Run("unplug 1"), "ok unplugged");
  EXPECT_FALSE(server_.Plugged(1));
  EXPECT_NE(Run("list").find("1 cdrom B " + server_.Endpoint(1) + " unplugged"), std::string::npos);
  EXPECT_EQ(Run("plug 1"), "ok plugged " + server_.Endpoint(1));
  EXPECT_TRUE(server_.Plugged(1));
}

TEST_F(ControlTest, InjectsFaultsAndReportsStatistics) {
  EXPECT_EQ(Run("fault 0 sw 6982 2"), "ok fault sw count=2");
  EXPECT_EQ(Run("fault 0 crc"), "ok fault crc count=1");
  EXPECT_EQ(Run("fault 0 delay 10 always"), "ok fault delay count=always");

  RawClient client(TokenKind::kHid, server_.Port(0));
  client.ReadHello();
  Frame answer;
  AnswerView view;
  ASSERT_TRUE(client.Exchange(UidCommand(), &answer));
  EXPECT_EQ(ParseAnswerFrame(answer, &view), AnswerCheck::kDamaged);
  ASSERT_TRUE(client.Exchange(UidCommand(), &answer));
  ASSERT_EQ(ParseAnswerFrame(answer, &view), AnswerCheck::kOk);
  EXPECT_EQ(view.statusWord, 0x6982);
  EXPECT_EQ(Run("clear 0"), "ok cleared");
  ASSERT_TRUE(client.Exchange(UidCommand(), &answer));
  ASSERT_EQ(ParseAnswerFrame(answer, &view), AnswerCheck::kOk);
  EXPECT_EQ(view.statusWord, 0x9000);

  EXPECT_EQ(Run("stats 0"),
            "ok exchanges=3 answers=3 damaged=0 interleaved=0 connections=1 plugged=1");
  EXPECT_EQ(Run("log 0 2"), "ok 3f:00:00:00 3f:00:00:00");
  EXPECT_EQ(Run("log 1"), "ok");
}

TEST_F(ControlTest, ReportsTheSessionStateUntilUnplugged) {
  EXPECT_EQ(Run("state 0"), "ok verified=0 locked=0 failures=0 accesskey=0");
  RawClient client(TokenKind::kHid, server_.Port(0));
  client.ReadHello();
  const uint8_t wrongDigest[32] = {};
  TokenApdu verify;
  verify.ins = 0x15;
  verify.data = wrongDigest;
  verify.lc = sizeof(wrongDigest);
  Frame answer;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(client.Exchange(verify, &answer));
  EXPECT_EQ(Run("state 0"), "ok verified=0 locked=1 failures=3 accesskey=0");
  EXPECT_EQ(Run("state 1"), "ok verified=0 locked=0 failures=0 accesskey=0");
  EXPECT_EQ(Run("unplug 0"), "ok unplugged");
  EXPECT_EQ(Run("state 0"), "ok verified=0 locked=0 failures=0 accesskey=0");
  EXPECT_EQ(Run("state 2").rfind("error ", 0), 0u);
}

TEST_F(ControlTest, ExplainsBadCommands) {
  const char* const bad[] = {
      "",
      "frobnicate 0",
      "plug",
      "plug 2",
      "stats x",
      "fault 0",
      "fault 0 boom",
      "fault 0 sw",
      "fault 0 sw 6g00",
      "fault 0 delay 10 soon",
      "fault 0 crc 1 2",
      "log 0 5000",
      "list extra",
  };
  for (const char* line : bad) {
    EXPECT_EQ(Run(line).rfind("error ", 0), 0u) << line;
  }
  bool quit = false;
  EXPECT_EQ(RunControlCommand(server_, "quit", &quit), "ok bye");
  EXPECT_TRUE(quit);
}

}  // namespace
}  // namespace quill
