// The client core: each request's answer, any chunking of the byte stream,
// and requests the core must refuse without losing its place in the stream.
#include "relay_client.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "relay_codec.h"
#include "stub_tokens.h"

namespace quill {
namespace {

class RelayClientTest : public ::testing::Test {
 protected:
  std::string Feed(const std::string& bytes) {
    return client.ReceiveAndReply(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  static std::string Request(const std::string& command, const std::string& argument = "NULL") {
    return "START;SERVER;" + command + ";" + argument + ";END;";
  }

  test::StubTokens tokens;
  RelayClient client{tokens};
};

constexpr char kOk[] = "START;CLIENT;OK;NULL;END;";
constexpr char kError[] = "START;CLIENT;ERROR;NULL;END;";

TEST_F(RelayClientTest, FindSaysOkExactlyWhenATokenIsAttached) {
  EXPECT_EQ(Feed(Request("FIND")), kOk);
  tokens.attached = false;
  EXPECT_EQ(Feed(Request("FIND")), kError);
}

TEST_F(RelayClientTest, GetIdAndGetDataCarryTheFirstTokensValues) {
  EXPECT_EQ(Feed(Request("GETID")), "START;CLIENT;OK;" + tokens.uid + ";END;");
  const std::string reply = Feed(Request("GETDATA"));
  // What the relay makes of it: the record, byte for byte.
  char status[kRelayFieldSlot];
  char data[kRelayDataSlot];
  ASSERT_EQ(ParseReply(reply.data(), reply.size(), status, data), 0) << reply;
  EXPECT_STREQ(status, "OK");
  std::vector<uint8_t> record;
  ASSERT_EQ(DecodeData(data, &record), 0);
  EXPECT_EQ(record, tokens.record);

  tokens.attached = false;
  EXPECT_EQ(Feed(Request("GETID")), kError);
  EXPECT_EQ(Feed(Request("GETDATA")), kError);
}

TEST_F(RelayClientTest, OpenLogsInWithItsArgumentAndCloseLogsOut) {
  EXPECT_EQ(Feed(Request("OPEN", "wrong")), kError);
  EXPECT_EQ(Feed(Request("OPEN", "12345678")), kOk);
  EXPECT_TRUE(tokens.loggedIn);
  EXPECT_EQ(Feed(Request("CLOSE")), kOk);
  EXPECT_FALSE(tokens.loggedIn);
  // An empty password still arrives as one (empty) argument.
  EXPECT_EQ(Feed(Request("OPEN", "")), kError);
  EXPECT_EQ(tokens.passwords, (std::vector<std::string>{"wrong", "12345678", ""}));
  tokens.attached = false;
  EXPECT_EQ(Feed(Request("CLOSE")), kError);
}

TEST_F(RelayClientTest, AnyChunkingGivesTheSameReplies) {
  const std::string stream = Request("FIND") + Request("GETID") + Request("OPEN", "12345678");
  const std::string whole = Feed(stream);
  EXPECT_EQ(whole, std::string(kOk) + "START;CLIENT;OK;" + tokens.uid + ";END;" + kOk);

  std::string byByte;
  for (char c : stream) byByte += Feed(std::string(1, c));
  EXPECT_EQ(byByte, whole);

  // Cut in the middle of a field: nothing until the fifth ";".
  EXPECT_EQ(Feed("START;SERVER;FI"), "");
  EXPECT_TRUE(client.HasPartialRequest());
  EXPECT_EQ(Feed("ND;NULL;END"), "");
  EXPECT_EQ(Feed(";START;SERVER;"), kOk);
  EXPECT_EQ(Feed("FIND;NULL;END;"), kOk);
  EXPECT_FALSE(client.HasPartialRequest());
}

TEST_F(RelayClientTest, AnswersReportTheCommandAndStatus) {
  std::vector<RelayAnswer> answers;
  const std::string stream = Request("FIND") + Request("GETDATAXXXXXXXXXXXXXXXXXXX");
  client.Receive(reinterpret_cast<const uint8_t*>(stream.data()), stream.size(), &answers);
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0].command, "FIND");
  EXPECT_TRUE(answers[0].ok);
  EXPECT_EQ(answers[1].command, "GETDATAXXXXXXXX");  // 15 bytes kept
  EXPECT_FALSE(answers[1].ok);
  EXPECT_EQ(answers[1].reply, kError);
}

TEST_F(RelayClientTest, RefusesBadRequestsWithOneErrorEach) {
  EXPECT_EQ(Feed(Request("LIST")), kError);
  EXPECT_EQ(Feed(Request("find")), kError);
  EXPECT_EQ(Feed("START;CLIENT;FIND;NULL;END;"), kError);
  EXPECT_EQ(Feed("BEGIN;SERVER;FIND;NULL;END;"), kError);
  EXPECT_EQ(Feed("START;SERVER;FIND;NULL;STOP;"), kError);
  EXPECT_EQ(Feed(";;;;;"), kError);
  EXPECT_EQ(tokens.calls, 0);
  EXPECT_EQ(Feed(Request("FIND")), kOk);  // still in step
}

TEST_F(RelayClientTest, OverlongRequestIsConsumedToItsEndAndRefused) {
  const std::string huge = Request("OPEN", std::string(100000, 'p'));
  std::string replies;
  for (size_t i = 0; i < huge.size(); i += 4096) replies += Feed(huge.substr(i, 4096));
  EXPECT_EQ(replies, kError);
  EXPECT_TRUE(tokens.passwords.empty());
  EXPECT_EQ(Feed(Request("FIND")), kOk);

  // The longest request kept is still answered.
  const std::string longest = Request("OPEN", std::string(kMaxRequestBytes - 23, 'p'));
  ASSERT_EQ(longest.size(), kMaxRequestBytes);
  EXPECT_EQ(Feed(longest), kError);
  ASSERT_EQ(tokens.passwords.size(), 1u);
  EXPECT_EQ(tokens.passwords[0].size(), kMaxRequestBytes - 23);
  EXPECT_EQ(Feed(Request("OPEN", std::string(kMaxRequestBytes - 22, 'p'))), kError);
  EXPECT_EQ(tokens.passwords.size(), 1u);
}

TEST_F(RelayClientTest, ResetDropsAPartialRequest) {
  EXPECT_EQ(Feed("START;SERVER;GETID;"), "");
  client.Reset();
  EXPECT_FALSE(client.HasPartialRequest());
  EXPECT_EQ(Feed(Request("FIND")), kOk);
}

TEST_F(RelayClientTest, DataFieldIsNeverEmpty) {
  tokens.uid.clear();
  EXPECT_EQ(Feed(Request("GETID")), kError);
  tokens.uid = "a;b";
  EXPECT_EQ(Feed(Request("GETID")), kError);
  tokens.record.clear();
  EXPECT_EQ(Feed(Request("GETDATA")), kError);
}

}  // namespace
}  // namespace quill
