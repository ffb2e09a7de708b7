// CRemoteRelay through a scripted channel: the session and channel life
// cycle, and each request's result codes.
#include "remote_relay.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base64.h"
#include "fake_remote_channel.h"
#include "fake_text.h"

namespace quill {
namespace {

using test::kErrorReply;
using test::kOkReply;

class RemoteRelayTest : public ::testing::Test {
 protected:
  // Probes so that the relay is connected.
  void Connect() { ASSERT_TRUE(relay.Probe()); }

  test::FakeRemoteChannel channel;
  fake::FakeText text;
  CRemoteRelay relay{channel, text};
};

TEST_F(RemoteRelayTest, ConsoleSessionLeavesTheChannelAlone) {
  channel.remote = false;
  EXPECT_FALSE(relay.Probe());
  EXPECT_FALSE(relay.connected());
  EXPECT_EQ(channel.sessionQuestions, 1);
  EXPECT_EQ(channel.opens, 0);
  EXPECT_EQ(relay.Find(), kRelayNotConnected);
  EXPECT_TRUE(channel.requests.empty());
}

TEST_F(RemoteRelayTest, FailedOpenMeansNotConnected) {
  channel.openSucceeds = false;
  EXPECT_FALSE(relay.Probe());
  EXPECT_FALSE(relay.connected());
  EXPECT_EQ(channel.opens, 1);
}

TEST_F(RemoteRelayTest, ProbesShareOneChannel) {
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(relay.Probe());
  EXPECT_EQ(channel.opens, 1);
  EXPECT_EQ(channel.closes, 0);
  EXPECT_TRUE(relay.connected());
}

TEST_F(RemoteRelayTest, EveryRequestRefusesToRunUnconnected) {
  char id[kRelayIdCapacity];
  uint8_t data[kRelayDataCapacity];
  int count = 0;
  EXPECT_EQ(relay.Find(), kRelayNotConnected);
  EXPECT_EQ(relay.Open(u"12345678"), kRelayNotConnected);
  EXPECT_EQ(relay.GetId(id, sizeof id), kRelayNotConnected);
  EXPECT_EQ(relay.GetData(data, sizeof data, &count), kRelayNotConnected);
  EXPECT_EQ(relay.Close(), kRelayNotConnected);
  EXPECT_TRUE(channel.requests.empty());
  EXPECT_EQ(channel.reads, 0);
}

TEST_F(RemoteRelayTest, FindSendsOneRequestAndReadsOneReply) {
  Connect();
  channel.Reply(kOkReply);
  EXPECT_EQ(relay.Find(), kRelayOk);
  EXPECT_EQ(channel.requests, std::vector<std::string>{"START;SERVER;FIND;NULL;END;"});
  EXPECT_EQ(channel.reads, 1);
  EXPECT_EQ(channel.offered, std::vector<size_t>{kRelayReplyRead});
}

TEST_F(RemoteRelayTest, FindResultCodes) {
  Connect();
  channel.Reply(kErrorReply);
  EXPECT_EQ(relay.Find(), kRelayStatusNotOk);
  channel.Reply("START;CLIENT;OK;;END;");  // empty data field: four fields
  EXPECT_EQ(relay.Find(), kRelayMalformed);
  channel.Reply("START;SERVER;OK;NULL;END;");
  EXPECT_EQ(relay.Find(), kRelayMalformed);
  channel.Reply("START;CLIENT;OK;NULL;END;6;7;8;");
  EXPECT_EQ(relay.Find(), kRelayOk);
  channel.Reply("STARTING;CLIENT;OK;NULL;END;");
  EXPECT_EQ(relay.Find(), kRelayOk);
  EXPECT_EQ(relay.Find(), kRelayReceiveFailed);  // silence
  // Failures change nothing: still connected, still the same channel.
  EXPECT_TRUE(relay.connected());
  EXPECT_EQ(channel.opens, 1);
  EXPECT_EQ(channel.closes, 0);
}

TEST_F(RemoteRelayTest, FullReadWithoutTerminatorIsDelimitedByItsCount) {
  Connect();
  const std::string reply = "START;CLIENT;OK;" + std::string(1004, 'D') + ";END";
  ASSERT_EQ(reply.size(), kRelayReplyRead);
  channel.Reply(reply);
  EXPECT_EQ(relay.Find(), kRelayOk);
  // A reply longer than one read: the read takes 1024 bytes, the end word
  // is cut off.
  channel.Reply("START;CLIENT;OK;" + std::string(1010, 'D') + ";END");
  EXPECT_EQ(relay.Find(), kRelayMalformed);
}

TEST_F(RemoteRelayTest, FailedWriteClosesTheChannelForTheNextProbe) {
  Connect();
  channel.sendSucceeds = false;
  EXPECT_EQ(relay.Find(), kRelaySendFailed);
  EXPECT_EQ(channel.reads, 0);
  EXPECT_EQ(channel.closes, 1);
  EXPECT_TRUE(relay.connected());  // until the next Probe
  channel.sendSucceeds = true;
  EXPECT_TRUE(relay.Probe());
  EXPECT_EQ(channel.opens, 2);
}

TEST_F(RemoteRelayTest, BrokenReadClosesTheChannelButTimeoutKeepsIt) {
  Connect();
  channel.Fail(ChannelRead::kTimeout);
  EXPECT_EQ(relay.Find(), kRelayReceiveFailed);
  EXPECT_EQ(channel.closes, 0);
  channel.Fail(ChannelRead::kBroken);
  EXPECT_EQ(relay.Find(), kRelayReceiveFailed);
  EXPECT_EQ(channel.closes, 1);
  // With the channel gone the request still writes nothing and reads nothing.
  EXPECT_EQ(relay.Find(), kRelaySendFailed);
  EXPECT_TRUE(relay.Probe());
  channel.Reply(kOkReply);
  EXPECT_EQ(relay.Find(), kRelayOk);
  EXPECT_EQ(channel.opens, 2);
}

TEST_F(RemoteRelayTest, LateReplyIsReadAsTheNextAnswer) {
  Connect();
  EXPECT_EQ(relay.Find(), kRelayReceiveFailed);  // nothing within the wait
  channel.Reply(kOkReply);                       // the late answer to the first
  channel.Reply(kErrorReply);                    // the answer to the second
  EXPECT_EQ(relay.Find(), kRelayOk);
  EXPECT_EQ(relay.Find(), kRelayStatusNotOk);
}

TEST_F(RemoteRelayTest, OpenConvertsItsTextInTheThreadCodePage) {
  Connect();
  channel.Reply(kOkReply);
  EXPECT_EQ(relay.Open(u"p\u00e4ss"), kRelayOk);
  EXPECT_EQ(channel.requests.back(), "START;SERVER;OPEN;p\xe4ss;END;");
  ASSERT_EQ(text.conversions.size(), 1u);
  EXPECT_EQ(text.conversions[0].codePage, CodePage::kThreadAnsi);
  channel.Reply(kErrorReply);
  EXPECT_EQ(relay.Open(u"wrong"), kRelayStatusNotOk);
}

TEST_F(RemoteRelayTest, OpenRefusesWhatCannotTravelAndSendsNothing) {
  Connect();
  channel.Reply(kOkReply);
  EXPECT_EQ(relay.Open(std::u16string(127, u'x').c_str()), kRelayOk);
  EXPECT_EQ(channel.requests.size(), 1u);
  EXPECT_EQ(relay.Open(std::u16string(128, u'x').c_str()), kRelaySendFailed);
  // Two bytes per ideograph: 64 characters convert to 128 bytes.
  text.threadAnsi = fake::FakeText::Model::kChinese;
  EXPECT_EQ(relay.Open(std::u16string(64, u'\u4e2d').c_str()), kRelaySendFailed);
  EXPECT_EQ(relay.Open(u"semi;colon"), kRelaySendFailed);
  EXPECT_EQ(relay.Open(nullptr), kRelaySendFailed);
  const char16_t lone[] = {u'a', 0xD800, u'b', 0};
  EXPECT_EQ(relay.Open(lone), kRelaySendFailed);
  EXPECT_EQ(channel.requests.size(), 1u);
  EXPECT_EQ(channel.reads, 1);
  EXPECT_EQ(channel.closes, 0);
}

TEST_F(RemoteRelayTest, GetIdHandsBackTheDataFieldFollowedByZeros) {
  Connect();
  channel.Reply("START;CLIENT;OK;0123456789abcdef0123456789abcdef;END;");
  char id[kRelayIdCapacity + 8];
  std::memset(id, 'X', sizeof id);
  EXPECT_EQ(relay.GetId(id, kRelayIdCapacity), kRelayOk);
  EXPECT_STREQ(id, "0123456789abcdef0123456789abcdef");
  for (size_t i = 32; i < kRelayIdCapacity; ++i) ASSERT_EQ(id[i], 0) << i;
  EXPECT_EQ(id[kRelayIdCapacity], 'X');  // nothing past the buffer
  EXPECT_EQ(channel.requests.back(), "START;SERVER;GETID;NULL;END;");

  channel.Reply(kErrorReply);
  EXPECT_EQ(relay.GetId(id, kRelayIdCapacity), kRelayStatusNotOk);
  EXPECT_EQ(relay.GetId(id, kRelayIdCapacity - 1), kRelaySendFailed);
  EXPECT_EQ(channel.requests.size(), 2u);
}

TEST_F(RemoteRelayTest, GetDataDecodesTheKeyInformationRecord) {
  Connect();
  std::vector<uint8_t> record(232);
  for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(i * 7);
  channel.Reply("START;CLIENT;OK;" + Base64Encode(record.data(), record.size()) + ";END;");
  uint8_t data[kRelayDataCapacity + 1];
  std::memset(data, 0xAA, sizeof data);
  int count = -1;
  EXPECT_EQ(relay.GetData(data, kRelayDataCapacity, &count), kRelayOk);
  ASSERT_EQ(count, 232);
  EXPECT_EQ(std::vector<uint8_t>(data, data + count), record);
  EXPECT_EQ(channel.requests.back(), "START;SERVER;GETDATA;NULL;END;");

  channel.Reply("START;CLIENT;OK;QUJDRA;END;");  // an incomplete last group
  EXPECT_EQ(relay.GetData(data, kRelayDataCapacity, &count), kRelayOk);
  EXPECT_EQ(count, 3);
}

TEST_F(RemoteRelayTest, GetDataFailures) {
  Connect();
  uint8_t data[kRelayDataCapacity + 1];
  std::memset(data, 0xAA, sizeof data);
  int count = -1;
  channel.Reply("START;CLIENT;OK;QQ=A;END;");
  EXPECT_EQ(relay.GetData(data, kRelayDataCapacity, &count), kRelayBadData);
  channel.Reply("START;CLIENT;OK;QU*D;END;");
  EXPECT_EQ(relay.GetData(data, kRelayDataCapacity, &count), kRelayBadData);
  channel.Reply(kErrorReply);
  EXPECT_EQ(relay.GetData(data, kRelayDataCapacity, &count), kRelayStatusNotOk);
  // More than the caller's room: refused, nothing copied.
  channel.Reply("START;CLIENT;OK;QUJDREVG;END;");
  EXPECT_EQ(relay.GetData(data, 5, &count), kRelayBadData);
  EXPECT_EQ(count, -1);
  EXPECT_EQ(data[0], 0xAA);
  // The largest data field one read carries decodes within 768 bytes.
  channel.Reply("START;CLIENT;OK;" + std::string(1004, 'A') + ";END");
  EXPECT_EQ(relay.GetData(data, kRelayDataCapacity, &count), kRelayOk);
  EXPECT_EQ(count, 753);
  EXPECT_EQ(data[kRelayDataCapacity], 0xAA);
}

TEST_F(RemoteRelayTest, CloseAcceptsAtMostThirtyTwoBytes) {
  Connect();
  channel.Reply(kOkReply);
  EXPECT_EQ(relay.Close(), kRelayOk);
  EXPECT_EQ(channel.requests.back(), "START;SERVER;CLOSE;NULL;END;");
  const std::string thirtyTwo = "START;CLIENT;OK;NULL;END;" + std::string(7, ';');
  ASSERT_EQ(thirtyTwo.size(), 32u);
  channel.Reply(thirtyTwo);
  EXPECT_EQ(relay.Close(), kRelayOk);
  channel.Reply(thirtyTwo + ";");
  EXPECT_EQ(relay.Close(), kRelayMalformed);
  channel.Reply("START;CLIENT;OK;" + std::string(900, 'N') + ";END;");
  EXPECT_EQ(relay.Close(), kRelayMalformed);
  channel.Reply(kErrorReply);
  EXPECT_EQ(relay.Close(), kRelayStatusNotOk);
}

}  // namespace
}  // namespace quill
