// The timer's presence check in a remote-desktop session.
#include "main_dlg.h"
#include "monitor_constants.h"
#include "monitor_fixture.h"

namespace quill {
namespace {

class RemoteCheckTest : public MonitorTest {
 protected:
  fake::FakeMainWindow window;
  fake::FakeRemotePresence relay;
};

TEST_F(RemoteCheckTest, ConsoleSessionNeitherAsksTheClientNorLocks) {
  CMainDlg dlg(ports, window, relay);
  dlg.OnTimer(kTimerCheck);
  EXPECT_EQ(relay.probes, 1);
  EXPECT_EQ(relay.finds, 0);
  EXPECT_TRUE(window.calls.empty());
  EXPECT_FALSE(dlg.remoteSession());
  EXPECT_TRUE(log.lines.empty());
}

TEST_F(RemoteCheckTest, TokenPresentOnTheClientKeepsTheSession) {
  relay.probeDefault = true;
  relay.findResult = 0;
  CMainDlg dlg(ports, window, relay);
  dlg.OnTimer(kTimerCheck);
  EXPECT_EQ(relay.probes, 2);
  EXPECT_EQ(relay.finds, 1);
  EXPECT_TRUE(dlg.remoteSession());
  EXPECT_EQ(window.Count("LockWorkStation"), 0);
  EXPECT_EQ(log.lines, std::vector<std::string>{"remote check: session=yes find=0"});
}

TEST_F(RemoteCheckTest, FailedFindLocksAtOnceWithoutQuestion) {
  relay.probeDefault = true;
  relay.findResult = 6;  // the client answered, but not "OK"
  CMainDlg dlg(ports, window, relay);
  dlg.OnTimer(kTimerCheck);
  EXPECT_EQ(window.calls, std::vector<std::string>{"LockWorkStation"});
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(log.lines,
            (std::vector<std::string>{"remote check: session=yes find=6", "remote lock done"}));
}

TEST_F(RemoteCheckTest, ChannelLostAtTheSecondProbeLocksWithoutFind) {
  relay.probeAnswers = {true, false};
  CMainDlg dlg(ports, window, relay);
  dlg.OnTimer(kTimerCheck);
  EXPECT_EQ(relay.finds, 0);
  EXPECT_FALSE(dlg.remoteSession());
  EXPECT_EQ(window.calls, std::vector<std::string>{"LockWorkStation"});
  EXPECT_EQ(log.lines.front(), "remote check: session=no find=1");
}

TEST_F(RemoteCheckTest, FailedRemoteLockIsLoggedWithoutMessage) {
  relay.probeDefault = true;
  relay.findResult = 3;
  window.lockSucceeds = false;
  window.lockError = 5;
  CMainDlg dlg(ports, window, relay);
  dlg.OnTimer(kTimerCheck);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(log.lines.back(), "remote lock failed: error=5");
}

TEST_F(RemoteCheckTest, HideTimerRunsTheCheckFirst) {
  relay.probeDefault = true;
  relay.findResult = 1;
  CMainDlg dlg(ports, window, relay);
  dlg.OnTimer(kTimerHide);
  EXPECT_EQ(window.calls,
            (std::vector<std::string>{"LockWorkStation", "SendMinimizeCommand", "KillTimer 2"}));
}

}  // namespace
}  // namespace quill
