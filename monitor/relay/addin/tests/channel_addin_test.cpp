#include "channel_addin.h"

#include <gtest/gtest.h>

#include <string>

#include "addin_fakes.h"
#include "channel_constants.h"

namespace quill {
namespace {

using testing::Bytes;
using testing::kFindRequest;
using testing::kFoundReply;
using testing::kNotFoundReply;
using testing::kOnly;
using testing::Length;
using Outcome = ChannelAddin::DataOutcome;
using State = ChannelAddin::State;

class ChannelAddinTest : public ::testing::Test {
 protected:
  ChannelAddinTest() : relay_(tokens_), addin_(host_, relay_) {}

  void Connect() {
    addin_.OnInitialized();
    ASSERT_EQ(addin_.OnConnected(), kChannelOk);
  }
  Outcome SendWhole(const std::string& message) {
    return addin_.OnDataReceived(Bytes(message), Length(message), Length(message), kOnly);
  }

  testing::RecordingHost host_;
  testing::SetTokens tokens_;
  RelayClient relay_;
  ChannelAddin addin_;
};

TEST_F(ChannelAddinTest, LifeCycleOpensOnConnectClosesOnDisconnectAndStopsAtTerminate) {
  EXPECT_EQ(addin_.CurrentState(), State::kCreated);
  addin_.OnInitialized();
  EXPECT_EQ(addin_.CurrentState(), State::kInitialized);
  EXPECT_EQ(host_.opens, 0);
  // Nothing is answered before the channel is open.
  EXPECT_EQ(SendWhole(kFindRequest), Outcome::kIgnored);

  EXPECT_EQ(addin_.OnConnected(), kChannelOk);
  EXPECT_EQ(addin_.CurrentState(), State::kOpen);
  EXPECT_EQ(addin_.OnConnected(), kChannelOk);  // a repeated connect does not reopen
  EXPECT_EQ(host_.opens, 1);

  addin_.OnDisconnected();
  EXPECT_EQ(addin_.CurrentState(), State::kClosed);
  EXPECT_EQ(host_.closes, 1);
  addin_.OnDisconnected();  // nothing left to close
  EXPECT_EQ(host_.closes, 1);
  // Data after the disconnect is not answered.
  EXPECT_EQ(SendWhole(kFindRequest), Outcome::kIgnored);
  EXPECT_TRUE(host_.writes.empty());

  // A reconnect opens the channel again and answers.
  EXPECT_EQ(addin_.OnConnected(), kChannelOk);
  EXPECT_EQ(host_.opens, 2);
  EXPECT_EQ(SendWhole(kFindRequest), Outcome::kAnswered);

  // Terminate closes what is open; after it the add-in stays shut.
  addin_.OnTerminated();
  EXPECT_EQ(addin_.CurrentState(), State::kTerminated);
  EXPECT_EQ(host_.closes, 2);
  EXPECT_NE(addin_.OnConnected(), kChannelOk);
  EXPECT_EQ(host_.opens, 2);
  EXPECT_EQ(SendWhole(kFindRequest), Outcome::kIgnored);
  EXPECT_EQ(host_.writes.size(), 1u);
}

TEST_F(ChannelAddinTest, AChannelTheClientWouldNotOpenTakesNoData) {
  host_.openResult = 13;  // unknown channel name
  addin_.OnInitialized();
  EXPECT_EQ(addin_.OnConnected(), 13u);
  EXPECT_EQ(addin_.CurrentState(), State::kClosed);
  EXPECT_EQ(SendWhole(kFindRequest), Outcome::kIgnored);
  addin_.OnDisconnected();
  EXPECT_EQ(host_.closes, 0);  // never opened, never closed
}

TEST_F(ChannelAddinTest, FindIsAnsweredFromTheTokensWhetherInOneChunkOrSeveral) {
  Connect();
  EXPECT_EQ(SendWhole(kFindRequest), Outcome::kAnswered);
  ASSERT_EQ(host_.writes.size(), 1u);
  EXPECT_EQ(host_.writes[0].bytes, kFoundReply);

  tokens_.attached = false;
  const std::string find = kFindRequest;
  EXPECT_EQ(addin_.OnDataReceived(Bytes(find), 5, Length(find), kChannelFlagFirst),
            Outcome::kPartial);
  EXPECT_EQ(addin_.OnDataReceived(Bytes(find) + 5, 1, Length(find), 0), Outcome::kPartial);
  EXPECT_EQ(addin_.OnDataReceived(Bytes(find) + 6, 14, Length(find), 0), Outcome::kPartial);
  EXPECT_EQ(host_.writes.size(), 1u);  // nothing is written before the last chunk
  EXPECT_EQ(
      addin_.OnDataReceived(Bytes(find) + 20, Length(find) - 20, Length(find), kChannelFlagLast),
      Outcome::kAnswered);
  ASSERT_EQ(host_.writes.size(), 2u);
  EXPECT_EQ(host_.writes[1].bytes, kNotFoundReply);

  tokens_.attached = true;
  EXPECT_EQ(SendWhole("START;SERVER;GETID;NULL;END;"), Outcome::kAnswered);
  EXPECT_EQ(host_.writes.back().bytes, "START;CLIENT;OK;" + tokens_.uid + ";END;");
  EXPECT_EQ(SendWhole("START;SERVER;OPEN;12345678;END;"), Outcome::kAnswered);
  EXPECT_EQ(host_.writes.back().bytes, kFoundReply);
  EXPECT_EQ(tokens_.passwords, std::vector<std::string>{"12345678"});
}

TEST_F(ChannelAddinTest, ReplyBuffersLiveUntilTheClientFinishesWithThem) {
  Connect();
  ASSERT_EQ(SendWhole(kFindRequest), Outcome::kAnswered);
  ASSERT_EQ(SendWhole("START;SERVER;CLOSE;NULL;END;"), Outcome::kAnswered);
  ASSERT_EQ(host_.writes.size(), 2u);
  EXPECT_EQ(addin_.PendingWriteCount(), 2u);
  // The client reads the buffers later: they still hold the replies.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(host_.liveBuffers[0]), 25), kFoundReply);

  // Only the buffers handed out are released, each once.
  int notOurs = 0;
  EXPECT_FALSE(addin_.OnWriteFinished(&notOurs));
  EXPECT_FALSE(addin_.OnWriteFinished(nullptr));
  EXPECT_EQ(addin_.PendingWriteCount(), 2u);
  EXPECT_TRUE(addin_.OnWriteFinished(host_.writes[0].userData));  // complete
  EXPECT_FALSE(addin_.OnWriteFinished(host_.writes[0].userData));
  EXPECT_EQ(addin_.PendingWriteCount(), 1u);
  EXPECT_TRUE(addin_.OnWriteFinished(host_.writes[1].userData));  // cancelled
  EXPECT_EQ(addin_.PendingWriteCount(), 0u);

  // A write the client refuses is never reported back: released at once.
  host_.writeResult = 10;  // not open
  EXPECT_EQ(SendWhole(kFindRequest), Outcome::kWriteFailed);
  EXPECT_EQ(addin_.PendingWriteCount(), 0u);

  // Writes still queued at termination go with the add-in.
  host_.writeResult = kChannelOk;
  ASSERT_EQ(SendWhole(kFindRequest), Outcome::kAnswered);
  addin_.OnDisconnected();
  EXPECT_EQ(addin_.PendingWriteCount(), 1u);  // the client cancels it after the close
  EXPECT_TRUE(addin_.OnWriteFinished(host_.writes.back().userData));
  ASSERT_EQ(addin_.OnConnected(), kChannelOk);
  ASSERT_EQ(SendWhole(kFindRequest), Outcome::kAnswered);
  addin_.OnTerminated();
  EXPECT_EQ(addin_.PendingWriteCount(), 0u);
}

TEST_F(ChannelAddinTest, MalformedChunkingIsRefusedWithoutAReplyAndTheNextRequestIsAnswered) {
  Connect();
  const std::string find = kFindRequest;
  // A chunk larger than the total announced for its message.
  EXPECT_EQ(addin_.OnDataReceived(Bytes(find), Length(find), 10, kChannelFlagFirst | 0),
            Outcome::kRefused);
  EXPECT_EQ(addin_.OnDataReceived(Bytes(find), Length(find), Length(find), kChannelFlagLast),
            Outcome::kIgnored);
  // A total over the request limit is refused before anything is stored.
  std::string huge(kMaxRequestBytes + 1, 'A');
  EXPECT_EQ(addin_.OnDataReceived(Bytes(huge), 100, Length(huge), kChannelFlagFirst),
            Outcome::kRefused);
  EXPECT_EQ(
      addin_.OnDataReceived(Bytes(huge) + 100, Length(huge) - 100, Length(huge), kChannelFlagLast),
      Outcome::kIgnored);
  // A later chunk overrunning the announced total.
  EXPECT_EQ(addin_.OnDataReceived(Bytes(find), 10, 20, kChannelFlagFirst), Outcome::kPartial);
  EXPECT_EQ(addin_.OnDataReceived(Bytes(find) + 10, 11, 20, 0), Outcome::kRefused);
  // A last chunk that leaves the message short of its total.
  EXPECT_EQ(addin_.OnDataReceived(Bytes(find), 10, Length(find), kChannelFlagFirst),
            Outcome::kPartial);
  EXPECT_EQ(addin_.OnDataReceived(Bytes(find) + 10, 5, Length(find), kChannelFlagLast),
            Outcome::kRefused);
  EXPECT_TRUE(host_.writes.empty());

  EXPECT_EQ(SendWhole(kFindRequest), Outcome::kAnswered);
  ASSERT_EQ(host_.writes.size(), 1u);
  EXPECT_EQ(host_.writes[0].bytes, kFoundReply);
}

TEST_F(ChannelAddinTest, ARequestAtTheLimitIsAnsweredAndADisconnectDropsAPartialMessage) {
  Connect();
  // OPEN with an argument that fills the request to exactly the limit.
  const std::string head = "START;SERVER;OPEN;";
  const std::string tail = ";END;";
  std::string request =
      head + std::string(kMaxRequestBytes - head.size() - tail.size(), 'p') + tail;
  ASSERT_EQ(request.size(), kMaxRequestBytes);
  EXPECT_EQ(addin_.OnDataReceived(Bytes(request), 600, Length(request), kChannelFlagFirst),
            Outcome::kPartial);
  EXPECT_EQ(addin_.OnDataReceived(Bytes(request) + 600, Length(request) - 600, Length(request),
                                  kChannelFlagLast),
            Outcome::kAnswered);
  ASSERT_EQ(host_.writes.size(), 1u);
  EXPECT_EQ(host_.writes[0].bytes, kNotFoundReply);  // a wrong password, but one reply

  // Half a message, then the connection drops: the rest never completes it.
  const std::string find = kFindRequest;
  EXPECT_EQ(addin_.OnDataReceived(Bytes(find), 9, Length(find), kChannelFlagFirst),
            Outcome::kPartial);
  addin_.OnDisconnected();
  ASSERT_EQ(addin_.OnConnected(), kChannelOk);
  EXPECT_EQ(
      addin_.OnDataReceived(Bytes(find) + 9, Length(find) - 9, Length(find), kChannelFlagLast),
      Outcome::kIgnored);
  EXPECT_EQ(host_.writes.size(), 1u);
}

TEST_F(ChannelAddinTest, EachMessageStandsAlone) {
  Connect();
  // A message holding only part of a request gets no reply, and its
  // leftover does not spoil the next request.
  EXPECT_EQ(SendWhole("START;SERVER;FI"), Outcome::kNoReply);
  EXPECT_EQ(SendWhole(kFindRequest), Outcome::kAnswered);
  ASSERT_EQ(host_.writes.size(), 1u);
  EXPECT_EQ(host_.writes[0].bytes, kFoundReply);

  // Two requests in one message: both replies go out in one write.
  EXPECT_EQ(SendWhole(std::string(kFindRequest) + "START;SERVER;GETID;NULL;END;"),
            Outcome::kAnswered);
  ASSERT_EQ(host_.writes.size(), 2u);
  EXPECT_EQ(host_.writes[1].bytes,
            std::string(kFoundReply) + "START;CLIENT;OK;" + tokens_.uid + ";END;");

  // An unknown command still gets exactly one reply.
  EXPECT_EQ(SendWhole("START;SERVER;FORMAT;NULL;END;"), Outcome::kAnswered);
  EXPECT_EQ(host_.writes.back().bytes, kNotFoundReply);
}

}  // namespace
}  // namespace quill
