// The main window's timer driving the real relay through its adapter: the
// presence check in console and remote sessions, with a scripted channel and
// with the loopback channel when nothing listens.
#include <gtest/gtest.h>

#include "fake_remote_channel.h"
#include "loopback_remote_channel.h"
#include "main_dlg.h"
#include "monitor_constants.h"
#include "monitor_fixture.h"
#include "remote_channel_choice.h"
#include "remote_relay.h"
#include "remote_relay_presence.h"
#include "virtual_channel_setting.h"

namespace quill {
namespace {

using test::kErrorReply;
using test::kOkReply;

class PresenceCheckTest : public MonitorTest {
 protected:
  // Runs `ticks` ticks of the check timer.
  void Tick(int ticks = 1) {
    for (int i = 0; i < ticks; ++i) dialog.OnTimer(kTimerCheck);
  }
  int Locks() { return window.Count("LockWorkStation"); }

  fake::FakeMainWindow window;
  test::FakeRemoteChannel channel;
  CRemoteRelay relay{channel, text};
  RemoteRelayPresence presence{relay};
  CMainDlg dialog{ports, window, presence};
};

TEST_F(PresenceCheckTest, ConsoleSessionAsksOnceAndOpensNothing) {
  channel.remote = false;
  Tick(3);
  EXPECT_EQ(channel.sessionQuestions, 3);  // one system-metrics call per tick
  EXPECT_EQ(channel.opens, 0);
  EXPECT_TRUE(channel.requests.empty());
  EXPECT_EQ(Locks(), 0);
  EXPECT_FALSE(dialog.remoteSession());
  EXPECT_TRUE(log.lines.empty());
}

TEST_F(PresenceCheckTest, RemoteSessionWithoutClientEndpointLocksNothing) {
  channel.openSucceeds = false;
  Tick(2);
  EXPECT_EQ(channel.opens, 2);
  EXPECT_TRUE(channel.requests.empty());
  EXPECT_EQ(Locks(), 0);
}

TEST_F(PresenceCheckTest, TokenOnTheClientKeepsTheSessionWithOneChannel) {
  channel.Reply(kOkReply);
  channel.Reply(kOkReply);
  channel.Reply(kOkReply);
  Tick(3);
  EXPECT_EQ(Locks(), 0);
  EXPECT_TRUE(dialog.remoteSession());
  EXPECT_EQ(channel.requests.size(), 3u);
  EXPECT_EQ(channel.opens, 1);  // the two probes of every tick share it
  EXPECT_EQ(log.lines.back(), "remote check: session=yes find=0");
}

TEST_F(PresenceCheckTest, ErrorSilenceAndMalformedRepliesEachLock) {
  channel.Reply(kErrorReply);
  Tick();
  EXPECT_EQ(Locks(), 1);
  EXPECT_EQ(log.lines,
            (std::vector<std::string>{"remote check: session=yes find=6", "remote lock done"}));
  Tick();  // silence
  EXPECT_EQ(Locks(), 2);
  EXPECT_EQ(log.lines[2], "remote check: session=yes find=3");
  channel.Reply("START;CLIENT;OK;;END;");
  Tick();
  EXPECT_EQ(Locks(), 3);
  EXPECT_EQ(log.lines[4], "remote check: session=yes find=5");
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PresenceCheckTest, LostChannelLocksOnceThenReopens) {
  channel.Fail(ChannelRead::kBroken);
  Tick();
  EXPECT_EQ(Locks(), 1);
  channel.Reply(kOkReply);
  Tick();
  EXPECT_EQ(Locks(), 1);
  EXPECT_EQ(channel.opens, 2);
}

TEST(PresenceCheckLoopback, NothingListeningMeansNoRemoteChannelAndNoLock) {
  // A port that was free a moment ago: connecting is refused.
  LoopbackEndpoint endpoint{"127.0.0.1", 1};
  LoopbackRemoteChannel channel(endpoint);
  fake::FakeText text;
  CRemoteRelay relay(channel, text);
  EXPECT_FALSE(relay.Probe());
  EXPECT_EQ(channel.opens(), 0);
  EXPECT_EQ(relay.Find(), kRelayNotConnected);
}

// Which channel the program gets, from QUILL_VIRTUAL_CHANNEL.
class ChannelChoiceTest : public ::testing::Test {
 protected:
  std::unique_ptr<RemoteChannelPort> Choose() {
    auto own = std::make_unique<test::FakeRemoteChannel>();
    platform = own.get();
    return ChooseRemoteChannel(system, std::move(own), &log);
  }

  fake::FakeSystem system;
  fake::FakeLog log;
  test::FakeRemoteChannel* platform = nullptr;
};

TEST_F(ChannelChoiceTest, PlatformChannelUnlessTheVariableIsSet) {
  EXPECT_EQ(Choose().get(), platform);
  EXPECT_TRUE(log.lines.empty());
}

TEST_F(ChannelChoiceTest, LoopbackEndpointGivesTheLoopbackChannel) {
  for (const char16_t* value : {u"127.0.0.1:47000", u"localhost:47000", u"[::1]:47000"}) {
    system.environment[kVirtualChannelVariable] = value;
    std::unique_ptr<RemoteChannelPort> channel = Choose();
    EXPECT_NE(channel.get(), platform);
    EXPECT_NE(dynamic_cast<LoopbackRemoteChannel*>(channel.get()), nullptr);
    EXPECT_TRUE(channel->IsRemoteSession());
    EXPECT_FALSE(channel->IsChannelOpen());
  }
  EXPECT_EQ(log.lines.back(), "remote channel: loopback port 47000");
}

TEST_F(ChannelChoiceTest, MalformedValueIsIgnoredWithoutShowingIt) {
  for (const char16_t* value : {u"10.0.0.7:47000", u"127.0.0.1", u"127.0.0.1:0", u"127.0.0.1:99999",
                                u"", u"127.0.0.1:4700\u00e9"}) {
    system.environment[kVirtualChannelVariable] = value;
    log.lines.clear();
    EXPECT_EQ(Choose().get(), platform);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0],
              "remote channel: QUILL_VIRTUAL_CHANNEL ignored (not a loopback host:port)");
  }
}

}  // namespace
}  // namespace quill
