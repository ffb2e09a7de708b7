// The relay over the loopback channel against a real socket: the client
// core behind quill-relay-client's listener, scripted clients that answer
// late or hang up mid-reply, and the program itself.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base64.h"
#include "fake_text.h"
#include "loopback_remote_channel.h"
#include "relay_client.h"
#include "relay_listener.h"
#include "remote_relay.h"
#include "stub_tokens.h"
#include "token.h"
#include "vtoken/server.h"

namespace quill {
namespace {

// Serves connections on a thread until destroyed.
class ServedListener {
 public:
  explicit ServedListener(ChunkHandler handler) : handler_(std::move(handler)) {
    std::string error;
    listening_ = listener_.Listen(0, &error);
    if (listening_) thread_ = std::thread([this] { Run(); });
  }
  ~ServedListener() {
    stopping_ = true;
    listener_.Stop();
    if (thread_.joinable()) thread_.join();
  }
  bool listening() const { return listening_; }
  LoopbackEndpoint Endpoint() const { return LoopbackEndpoint{"127.0.0.1", listener_.Port()}; }
  int connections() const { return connections_; }

 private:
  void Run() {
    while (!stopping_) {
      if (listener_.ServeOne(handler_) == ServeEnd::kAcceptFailed) return;
      ++connections_;
    }
  }

  ChunkHandler handler_;
  RelayListener listener_;
  bool listening_ = false;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  std::thread thread_;
};

// A listener whose handler is the client core over stub tokens.
class ClientCoreTest : public ::testing::Test {
 protected:
  ClientCoreTest()
      : served([this](const uint8_t* data, size_t length, std::string* reply) {
          *reply = client.ReceiveAndReply(data, length);
          return true;
        }) {}

  test::StubTokens tokens;
  RelayClient client{tokens};
  ServedListener served;
  fake::FakeText text;
};

TEST_F(ClientCoreTest, AnswersEveryRequestOverTheSocket) {
  ASSERT_TRUE(served.listening());
  LoopbackRemoteChannel channel(served.Endpoint());
  CRemoteRelay relay(channel, text);
  ASSERT_TRUE(relay.Probe());
  ASSERT_TRUE(relay.Probe());
  EXPECT_EQ(channel.opens(), 1);

  EXPECT_EQ(relay.Find(), kRelayOk);
  char id[kRelayIdCapacity];
  EXPECT_EQ(relay.GetId(id, sizeof id), kRelayOk);
  EXPECT_EQ(std::string(id), tokens.uid);
  uint8_t data[kRelayDataCapacity];
  int count = 0;
  EXPECT_EQ(relay.GetData(data, sizeof data, &count), kRelayOk);
  EXPECT_EQ(std::vector<uint8_t>(data, data + count), tokens.record);
  EXPECT_EQ(relay.Open(u"wrong"), kRelayStatusNotOk);
  EXPECT_EQ(relay.Open(u"12345678"), kRelayOk);
  EXPECT_TRUE(tokens.loggedIn);
  EXPECT_EQ(relay.Close(), kRelayOk);
  EXPECT_FALSE(tokens.loggedIn);

  tokens.attached = false;
  EXPECT_EQ(relay.Find(), kRelayStatusNotOk);
}

TEST_F(ClientCoreTest, ReconnectsAfterTheClientEndHangsUp) {
  ASSERT_TRUE(served.listening());
  LoopbackRemoteChannel channel(served.Endpoint());
  CRemoteRelay relay(channel, text);
  ASSERT_TRUE(relay.Probe());
  EXPECT_EQ(relay.Find(), kRelayOk);
  // The channel goes (as after a failed write): the request fails, the next
  // probe connects anew and the listener serves the new connection.
  channel.CloseChannel();
  EXPECT_EQ(relay.Find(), kRelaySendFailed);
  ASSERT_TRUE(relay.Probe());
  EXPECT_EQ(channel.opens(), 2);
  EXPECT_EQ(relay.Find(), kRelayOk);
}

TEST(LoopbackChannel, LateReplyIsReadAsTheAnswerToTheNextRequest) {
  std::atomic<int> requests{0};
  ServedListener served([&](const uint8_t*, size_t, std::string* reply) {
    if (++requests == 1) {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      *reply = "START;CLIENT;OK;NULL;END;";
    } else {
      *reply = "START;CLIENT;ERROR;NULL;END;";
    }
    return true;
  });
  ASSERT_TRUE(served.listening());
  LoopbackRemoteChannel channel(served.Endpoint(), 100);
  fake::FakeText text;
  CRemoteRelay relay(channel, text);
  ASSERT_TRUE(relay.Probe());
  EXPECT_EQ(relay.Find(), kRelayReceiveFailed);  // no reply within the wait
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  EXPECT_EQ(relay.Find(), kRelayOk);  // the first request's late "OK"
  EXPECT_EQ(relay.Find(), kRelayStatusNotOk);
  EXPECT_EQ(channel.opens(), 1);
}

TEST(LoopbackChannel, ClientHangingUpMidReplyFailsTheReadAndDropsTheChannel) {
  ServedListener served([](const uint8_t*, size_t, std::string* reply) {
    *reply = "START;CLI";
    return false;
  });
  ASSERT_TRUE(served.listening());
  LoopbackRemoteChannel channel(served.Endpoint(), 2000);
  fake::FakeText text;
  CRemoteRelay relay(channel, text);
  ASSERT_TRUE(relay.Probe());
  // The partial bytes arrive as one read; the hang-up shows at the next.
  const int first = relay.Find();
  EXPECT_TRUE(first == kRelayMalformed || first == kRelayReceiveFailed) << first;
  if (first == kRelayMalformed) {
    EXPECT_EQ(relay.Find(), kRelayReceiveFailed);
  }
  EXPECT_FALSE(channel.IsChannelOpen());
  EXPECT_TRUE(relay.Probe());
  EXPECT_EQ(channel.opens(), 2);
}

TEST(LoopbackChannel, SilentClientTimesOut) {
  ServedListener served([](const uint8_t*, size_t, std::string*) { return true; });
  ASSERT_TRUE(served.listening());
  LoopbackRemoteChannel channel(served.Endpoint(), 150);
  fake::FakeText text;
  CRemoteRelay relay(channel, text);
  ASSERT_TRUE(relay.Probe());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(relay.Find(), kRelayReceiveFailed);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(140));
  EXPECT_TRUE(channel.IsChannelOpen());
}

// ---------------------------------------------------------------- the program

std::string RunProgram(const std::string& arguments, int* status) {
  const std::string command = std::string(QUILL_RELAY_CLIENT_PROGRAM) + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char buffer[256];
  while (pipe != nullptr && fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  const int raw = pipe != nullptr ? pclose(pipe) : -1;
  *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return output;
}

TEST(RelayClientProgram, HelpAndBadCommandLines) {
  int status = -1;
  EXPECT_NE(RunProgram("--help", &status).find("usage: quill-relay-client"), std::string::npos);
  EXPECT_EQ(status, 0);
  EXPECT_NE(RunProgram("--port 70000", &status).find("--port wants a number"), std::string::npos);
  EXPECT_EQ(status, 2);
  EXPECT_NE(RunProgram("--bogus", &status).find("unknown or incomplete option"), std::string::npos);
  EXPECT_EQ(status, 2);
}

TEST(RelayClientProgram, RefusesAPortInUse) {
  RelayListener taken;
  std::string error;
  ASSERT_TRUE(taken.Listen(0, &error));
  int status = -1;
  const std::string output = RunProgram("--port " + std::to_string(taken.Port()), &status);
  EXPECT_NE(output.find("cannot listen on 127.0.0.1:" + std::to_string(taken.Port())),
            std::string::npos)
      << output;
  EXPECT_EQ(status, 1);
}

TEST(RelayClientProgram, AnswersFromVirtualTokensAndPrintsOneLinePerRequest) {
  VirtualTokenServer server;
  TokenSpec spec;
  spec.kind = TokenKind::kHid;
  spec.model = TokenModel::kA;
  const int token = server.AddToken(spec);
  ASSERT_TRUE(server.Start()) << server.LastError();
  char uid[kUidTextSize];
  FormatUid(server.Spec(token).uid.value().data(), uid);

  const std::string command = "QUILL_VIRTUAL_TOKENS=" + server.Endpoint(token) + " " +
                              QUILL_RELAY_CLIENT_PROGRAM + " --once";
  FILE* program = popen(command.c_str(), "r");
  ASSERT_NE(program, nullptr);
  char line[256] = {};
  ASSERT_NE(fgets(line, sizeof line, program), nullptr);
  const std::string listening = line;
  ASSERT_EQ(listening.rfind("listening 127.0.0.1:", 0), 0u) << listening;
  LoopbackEndpoint endpoint;
  ASSERT_TRUE(ParseLoopbackEndpoint(listening.substr(10, listening.size() - 11), &endpoint));

  {
    LoopbackRemoteChannel channel(endpoint);
    fake::FakeText text;
    CRemoteRelay relay(channel, text);
    ASSERT_TRUE(relay.Probe());
    EXPECT_EQ(relay.Find(), kRelayOk);
    char id[kRelayIdCapacity];
    EXPECT_EQ(relay.GetId(id, sizeof id), kRelayOk);
    EXPECT_STREQ(id, uid);
    EXPECT_EQ(relay.Open(u"wrong"), kRelayStatusNotOk);
    EXPECT_EQ(relay.Open(u"12345678"), kRelayOk);
    uint8_t record[kRelayDataCapacity];
    int count = 0;
    EXPECT_EQ(relay.GetData(record, sizeof record, &count), kRelayOk);
    EXPECT_EQ(count, static_cast<int>(kKeyInfoSize));
    EXPECT_EQ(relay.Close(), kRelayOk);
    server.Unplug(token);
    EXPECT_EQ(relay.Find(), kRelayStatusNotOk);
  }  // the channel closes: with --once the program ends

  std::string rest;
  while (fgets(line, sizeof line, program) != nullptr) rest += line;
  const int status = pclose(program);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(rest,
            "request FIND -> OK\n"
            "request GETID -> OK\n"
            "request OPEN -> ERROR\n"
            "request OPEN -> OK\n"
            "request GETDATA -> OK\n"
            "request CLOSE -> OK\n"
            "request FIND -> ERROR\n"
            "connection closed\n");
  server.Stop();
}

}  // namespace
}  // namespace quill
