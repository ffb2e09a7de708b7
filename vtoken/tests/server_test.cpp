// The server over real loopback sockets, driven by a raw client.
#include "server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "raw_client.h"

namespace quill {
namespace {

TokenSpec Spec(TokenKind kind, TokenModel model) {
  TokenSpec spec;
  spec.kind = kind;
  spec.model = model;
  return spec;
}

// The UID value in a decrypted answer.
TokenUidValue UidOf(const Frame& answer) {
  AnswerView view;
  TokenUidValue uid{};
  if (ParseAnswerFrame(answer, &view) == AnswerCheck::kOk && view.length == uid.size()) {
    std::copy(view.data, view.data + uid.size(), uid.begin());
  }
  return uid;
}

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server_.Start()); }

  VirtualTokenServer server_{kTestFrameKey};
};

TEST_F(ServerTest, EachKindAndModelSaysHelloAndAnswersTheUidCommand) {
  TokenSpec withUid = Spec(TokenKind::kHid, TokenModel::kB);
  withUid.uid = TokenUidValue();
  withUid.uid->fill(0x5A);
  const int hidA = server_.AddToken(Spec(TokenKind::kHid, TokenModel::kA));
  const int hidB = server_.AddToken(withUid);
  const int cdromA = server_.AddToken(Spec(TokenKind::kCdrom, TokenModel::kA));
  const int cdromB = server_.AddToken(Spec(TokenKind::kCdrom, TokenModel::kB));
  ASSERT_EQ(server_.TokenCount(), 4);

  struct Expected {
    int id;
    TokenKind kind;
    std::string hello;
    TokenUidValue uid;
  };
  const Expected expected[] = {
      {hidA, TokenKind::kHid, "QVT1 hid 04b4 b328\n", DefaultUid(hidA)},
      {hidB, TokenKind::kHid, "QVT1 hid 04b4 b812\n", *withUid.uid},
      {cdromA, TokenKind::kCdrom, "vid_04b4pid_b708", DefaultUid(cdromA)},
      {cdromB, TokenKind::kCdrom, "vid_04b4pid_b826", DefaultUid(cdromB)},
  };
  for (const Expected& token : expected) {
    SCOPED_TRACE(token.id);
    RawClient client(token.kind, server_.Port(token.id));
    ASSERT_TRUE(client.Connected());
    const std::string hello = client.ReadHello();
    if (token.kind == TokenKind::kHid) {
      EXPECT_EQ(hello, token.hello);
    } else {
      EXPECT_EQ(hello.rfind("QVT1 cdrom \\\\?\\usbstor#", 0), 0u) << hello;
      EXPECT_NE(hello.find(token.hello), std::string::npos) << hello;
      EXPECT_EQ(hello.find(' ', 11), std::string::npos);
      EXPECT_EQ(hello.back(), '\n');
    }
    Frame answer;
    ASSERT_TRUE(client.Exchange(UidCommand(), &answer));
    EXPECT_EQ(UidOf(answer), token.uid);
  }
  EXPECT_NE(DefaultUid(hidA), DefaultUid(hidB));
  EXPECT_NE(server_.Spec(cdromA).path, server_.Spec(cdromB).path);
  EXPECT_EQ(server_.Endpoint(hidA), "127.0.0.1:" + std::to_string(server_.Port(hidA)));
}

TEST_F(ServerTest, UnplugRefusesConnectionsUntilPluggedOnTheSamePort) {
  const int id = server_.AddToken(Spec(TokenKind::kHid, TokenModel::kA));
  const uint16_t port = server_.Port(id);
  RawClient open(TokenKind::kHid, port);
  ASSERT_FALSE(open.ReadHello().empty());

  server_.Unplug(id);
  EXPECT_FALSE(server_.Plugged(id));
  EXPECT_TRUE(open.ClosedByPeer());
  EXPECT_FALSE(RawClient(TokenKind::kHid, port).Connected());

  ASSERT_TRUE(server_.Plug(id));
  EXPECT_EQ(server_.Port(id), port);
  RawClient again(TokenKind::kHid, port);
  ASSERT_EQ(again.ReadHello(), "QVT1 hid 04b4 b328\n");
  Frame answer;
  ASSERT_TRUE(again.Exchange(UidCommand(), &answer));
  EXPECT_EQ(UidOf(answer), DefaultUid(id));
  EXPECT_EQ(server_.Stats(id).connections, 2u);
}

TEST_F(ServerTest, ServesConnectionsAtOnceWithSharedState) {
  const int id = server_.AddToken(Spec(TokenKind::kCdrom, TokenModel::kA));
  RawClient first(TokenKind::kCdrom, server_.Port(id));
  RawClient second(TokenKind::kCdrom, server_.Port(id));
  ASSERT_FALSE(first.ReadHello().empty());
  ASSERT_FALSE(second.ReadHello().empty());

  // The fault is the token's, so it hits whichever connection asks next.
  server_.InjectFault(id, {FaultKind::kStatusWord, 0x6982}, 1);
  Frame answer;
  AnswerView view;
  ASSERT_TRUE(second.Exchange(UidCommand(), &answer));
  ASSERT_EQ(ParseAnswerFrame(answer, &view), AnswerCheck::kOk);
  EXPECT_EQ(view.statusWord, 0x6982);
  ASSERT_TRUE(first.Exchange(UidCommand(), &answer));
  EXPECT_EQ(UidOf(answer), DefaultUid(id));

  const TokenStats stats = server_.Stats(id);
  EXPECT_EQ(stats.connections, 2u);
  EXPECT_EQ(stats.exchanges, 2u);
  EXPECT_EQ(stats.answers, 2u);
}

TEST_F(ServerTest, NoAnswerAndDropFaultsOnTheWire) {
  const int id = server_.AddToken(Spec(TokenKind::kHid, TokenModel::kA));
  RawClient client(TokenKind::kHid, server_.Port(id));
  client.ReadHello();

  server_.InjectFault(id, {FaultKind::kNoAnswer}, 1);
  Frame wire;
  ASSERT_TRUE(client.SendRequest(EncryptedRequest(kTestFrameKey, UidCommand())));
  EXPECT_EQ(client.ReadAnswer(&wire, 300), ReadResult::kTimeout);
  // The connection stays usable and the next request gets its own answer.
  Frame answer;
  ASSERT_TRUE(client.Exchange(UidCommand(), &answer));
  EXPECT_EQ(UidOf(answer), DefaultUid(id));

  server_.InjectFault(id, {FaultKind::kDrop}, 1);
  ASSERT_TRUE(client.SendRequest(EncryptedRequest(kTestFrameKey, UidCommand())));
  EXPECT_EQ(client.ReadAnswer(&wire), ReadResult::kClosed);
}

TEST_F(ServerTest, UnplugCutsShortADelayedAnswer) {
  const int id = server_.AddToken(Spec(TokenKind::kHid, TokenModel::kA));
  RawClient client(TokenKind::kHid, server_.Port(id));
  client.ReadHello();
  server_.InjectFault(id, {FaultKind::kDelay, kMaxFaultDelayMs}, 1);
  ASSERT_TRUE(client.SendRequest(EncryptedRequest(kTestFrameKey, UidCommand())));
  while (server_.Stats(id).exchanges == 0) std::this_thread::yield();
  server_.Unplug(id);  // would wait out the delay if the wait were not interrupted
  EXPECT_TRUE(client.ClosedByPeer());
}

TEST_F(ServerTest, CountsRequestsThatOverlapAcrossTokens) {
  const int hid = server_.AddToken(Spec(TokenKind::kHid, TokenModel::kA));
  const int cdrom = server_.AddToken(Spec(TokenKind::kCdrom, TokenModel::kB));
  server_.InjectFault(hid, {FaultKind::kDelay, 200}, 0);
  server_.InjectFault(cdrom, {FaultKind::kDelay, 200}, 0);
  RawClient a(TokenKind::kHid, server_.Port(hid));
  RawClient b(TokenKind::kCdrom, server_.Port(cdrom));
  a.ReadHello();
  b.ReadHello();

  // One after the other: no overlap.
  Frame answer;
  ASSERT_TRUE(a.Exchange(UidCommand(), &answer));
  ASSERT_TRUE(b.Exchange(UidCommand(), &answer));
  EXPECT_EQ(server_.Stats(hid).interleaved + server_.Stats(cdrom).interleaved, 0u);

  // Both at once: the later arrival is counted.
  ASSERT_TRUE(a.SendRequest(EncryptedRequest(kTestFrameKey, UidCommand())));
  ASSERT_TRUE(b.SendRequest(EncryptedRequest(kTestFrameKey, UidCommand())));
  Frame wire;
  EXPECT_EQ(a.ReadAnswer(&wire), ReadResult::kOk);
  EXPECT_EQ(b.ReadAnswer(&wire), ReadResult::kOk);
  EXPECT_EQ(server_.Stats(hid).interleaved + server_.Stats(cdrom).interleaved, 1u);
}

TEST(ServerSetupTest, RefusesBadPathsAndTakenPorts) {
  VirtualTokenServer server(kTestFrameKey);
  TokenSpec spec = Spec(TokenKind::kCdrom, TokenModel::kA);
  spec.path = "has a blank";
  EXPECT_EQ(server.AddToken(spec), -1);

  ASSERT_TRUE(server.Start());
  const int first = server.AddToken(Spec(TokenKind::kHid, TokenModel::kA));
  TokenSpec samePort = Spec(TokenKind::kHid, TokenModel::kA);
  samePort.port = server.Port(first);
  EXPECT_EQ(server.AddToken(samePort), -1);
  EXPECT_NE(server.LastError().find("cannot listen"), std::string::npos);
  EXPECT_EQ(server.TokenCount(), 1);
}

}  // namespace
}  // namespace quill
